#pragma once

#include <functional>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "flash/auto_run_host.h"

namespace flash_test {

// The window as the "Auto" run sees it: check boxes, range edits and the
// image, with a log of what the run asked for and when.
class FakeAutoHost final : public flash::AutoRunHost {
public:
    FakeAutoHost() {
        for (auto option :
             {flash::AutoOption::IspMode, flash::AutoOption::Erase, flash::AutoOption::Blank,
              flash::AutoOption::Program, flash::AutoOption::Verify, flash::AutoOption::Protect,
              flash::AutoOption::ReloadFile}) {
            ticked[option] = true;
        }
    }

    void TickOnly(std::vector<flash::AutoOption> options) {
        for (auto& [option, on] : ticked)
            on = false;
        for (auto option : options)
            ticked[option] = true;
    }

    bool IsTicked(flash::AutoOption option) override { return ticked[option]; }
    bool ReloadProgramFile() override {
        asked.push_back("reload");
        if (onReload)
            onReload();
        return reloadLoads;
    }
    flash::ImageView Image() override { return {image, imageLength}; }
    bool IsWholeFlashSelected() override { return wholeFlash; }
    std::uint32_t RangeStartKb() override { return Convert(startText); }
    std::uint32_t RangeSizeKb() override { return Convert(sizeText); }

    std::map<flash::AutoOption, bool> ticked;
    bool reloadLoads = true;
    std::function<void()> onReload;
    std::span<const std::uint8_t> image;
    std::uint32_t imageLength = 0;
    bool wholeFlash = true;
    std::string startText = "32";
    std::string sizeText = "32";
    std::vector<std::string> asked;

private:
    static std::uint32_t Convert(const std::string& text) {
        std::size_t used = 0;
        const unsigned long value = std::stoul(text, &used);
        if (used != text.size())
            throw std::invalid_argument("'" + text + "' is not a valid integer value");
        return static_cast<std::uint32_t>(value);
    }
};

}  // namespace flash_test
