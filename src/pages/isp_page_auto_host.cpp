#include "pages/isp_page_auto_host.h"

#include <QCheckBox>
#include <QRadioButton>
#include <utility>

#include "image/firmware_image.h"
#include "pages/integer_text.h"
#include "pages/isp_page_layout.h"
#include "pages/labeled_edit.h"

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

// The edits hold KB; negative numbers keep their 32-bit pattern, as the
// range handler of the page reads them.
std::uint32_t IspPageAutoHost::RangeStartKb() {
    return static_cast<std::uint32_t>(StrToInt(controls_.lbledISPStart->text()));
}

std::uint32_t IspPageAutoHost::RangeSizeKb() {
    return static_cast<std::uint32_t>(StrToInt(controls_.lbledISPRange->text()));
}

}  // namespace pages
