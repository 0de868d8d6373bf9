#pragma once

#include <functional>

#include "flash/auto_run_host.h"

namespace image {
class FirmwareImage;
}

namespace pages {

struct IspControls;

// What the "Auto" run reads from the ISP page, read at the moment each step
// comes up: the user may change a tick while the run pumps events.
class IspPageAutoHost final : public flash::AutoRunHost {
public:
    IspPageAutoHost(const IspControls& controls, const image::FirmwareImage& firmwareImage,
                    std::function<bool()> reloadProgramFile);

    bool IsTicked(flash::AutoOption option) override;
    bool ReloadProgramFile() override;
    flash::ImageView Image() override;
    bool IsWholeFlashSelected() override;
    std::uint32_t RangeStartKb() override;
    std::uint32_t RangeSizeKb() override;

private:
    const IspControls& controls_;
    const image::FirmwareImage& firmwareImage_;
    std::function<bool()> reloadProgramFile_;
};

}  // namespace pages
