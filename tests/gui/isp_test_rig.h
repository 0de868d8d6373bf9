#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "flash/flash_state.h"
#include "image/firmware_image.h"
#include "pages/isp_page.h"
#include "pages/page_context.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "sim/virtual_clock.h"
#include "simulated_program.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

namespace gui_test {

// The ISP page alone, set up as the window leaves it at start-up, over a
// simulated product that the link has found on the audio-driver path. Every
// text the page's progress shows is recorded, and errors that escape a
// handler are caught instead of opening the error box. The trace starts
// empty once the rig is built.
class IspRig : public SimulatedProgram {
public:
    explicit IspRig(sim::FlashModel flash = sim::FlashModel::Sst25vf016b, bool plugged = true);
    ~IspRig();

    pages::IspPage& Page() { return *page_; }
    template <typename T>
    T* Find(const char* name) const {
        return page_->findChild<T*>(QString::fromLatin1(name));
    }
    // Clicks the named button, check box or radio button as the user would.
    void Click(const char* name) const;

    sim::SimChip& Chip() { return *chip_; }
    // Puts the chip in ISP mode with the Enter ISP button, then erases and
    // unprotects its flash behind the tool's back; the trace starts afresh.
    void PrepareBlankFlash();
    // An image of `length` bytes that the simulated chip boots from.
    std::vector<std::uint8_t> LoadFirmware(std::uint32_t length, std::uint8_t seed = 1);
    bool FlashHolds(const std::vector<std::uint8_t>& bytes, std::uint32_t at = 0) const;

    QString WriteFile(const QString& name, const QByteArray& content) const;

    const std::vector<std::string>& Lines() const { return trace.Lines(); }
    int CountLines(const std::string& line) const;
    int CountLinesStartingWith(const std::string& prefix) const;
    // The open and close events of the link, in order.
    std::vector<std::string> OpenCloseLines() const;

    QStringList stepTexts;
    QStringList addressTexts;
    QStringList statusRegisterTexts;
    QStringList handlerErrors;

private:
    QTemporaryDir dir_;
    std::shared_ptr<sim::SimChip> chip_;
    std::unique_ptr<pages::IspPage> page_;
};

}  // namespace gui_test
