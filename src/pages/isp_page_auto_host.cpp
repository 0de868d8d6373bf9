#include "pages/isp_page_auto_host.h"

#include <QCheckBox>
#include <QRadioButton>
#include <utility>

#include "image/firmware_image.h"
#include "pages/isp_page_layout.h"
#include "pages/isp_page_range_kb.h"

namespace pages {

IspPageAutoHost::IspPageAutoHost(const IspControls& controls,
                                 const image::FirmwareImage& firmwareImage,
                                 std::function<bool()> reloadProgramFile)
    : controls_(controls),
      firmwareImage_(firmwareImage),
      reloadProgramFile_(std::move(reloadProgramFile)) {}

bool IspPageAutoHost::IsTicked(flash::AutoOption option) {
    using flash::AutoOption;
    switch (option) {
        case AutoOption::IspMode:
            return controls_.chkISPMode->isChecked();
        case AutoOption::Erase:
            return controls_.chkErase->isChecked();
        case AutoOption::Blank:
            return controls_.chkBlank->isChecked();
        case AutoOption::Program:
            return controls_.chkProgram->isChecked();
        case AutoOption::Verify:
            return controls_.chkVerify->isChecked();
        case AutoOption::Protect:
            return controls_.chkProtect->isChecked();
        case AutoOption::ReloadFile:
            return controls_.chkReadFile->isChecked();
        case AutoOption::ChangedOnly:
            return controls_.chkChangedOnly->isChecked();
    }
    return false;
}

bool IspPageAutoHost::ReloadProgramFile() {
    return reloadProgramFile_();
}

flash::ImageView IspPageAutoHost::Image() {
    return flash::ImageView{firmwareImage_.Bytes(), firmwareImage_.ImageLength()};
}

bool IspPageAutoHost::IsWholeFlashSelected() {
    return controls_.rbnRange0->isChecked();
}

// Read as the range handler of the page reads them; the user may have typed
// while the reload's box was open, so they are checked again here.
std::uint32_t IspPageAutoHost::RangeStartKb() {
    return RangeStartKbOf(controls_);
}

std::uint32_t IspPageAutoHost::RangeSizeKb() {
    return RangeSizeKbOf(controls_);
}

}  // namespace pages
