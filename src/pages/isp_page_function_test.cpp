// The single flash steps of the "Function Test" group and the access range.

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "chip/flash_commands.h"
#include "chip/registers.h"
#include "chip/request_codes.h"
#include "flash/flash_state.h"
#include "flash/flash_texts.h"
#include "flash/isp_erase.h"
#include "pages/integer_text.h"
#include "pages/isp_page.h"
#include "pages/isp_page_progress.h"
#include "pages/isp_page_range_kb.h"
#include "pages/labeled_edit.h"
#include "pages/page_keys.h"
#include "usb/open_scope.h"
#include "usb/quorvex_usb.h"

namespace pages {

namespace {

constexpr std::uint64_t kBytesPerKb = 1024;
// The size "All" leaves behind. Only the range erase reads it, and with "All"
// the erase takes the whole chip instead.
constexpr std::uint32_t kAllRangeSize = 0x8000;

QString FromStd(const std::string& text) {
    return QString::fromLatin1(text);
}

}  // namespace

void IspPage::btnEnterISPClick() {
    usb::QuorvexUsb& link = context_.usbLink;
    if (!link.IsFound())
        return;
    RunExclusive([&] {
        const usb::OpenScope device(link);
        if (IspActive_) {
            chip::IspMode(link, false);
            IspActive_ = false;
            controls_.btnEnterISP->setText(QStringLiteral("Enter ISP"));
        } else {
            // The ISP control register in bank 13 is set before the mode request.
            chip::RegWrite(link, chip::kRegBankSelect, chip::kBankIspControl);
            chip::RegWrite(link, chip::kRegIspControl1, chip::kIspControl1Enter);
            chip::IspMode(link, true);
            IspActive_ = true;
            controls_.btnEnterISP->setText(QStringLiteral("Exit ISP"));
        }
    });
}

void IspPage::btnUSBChipIDClick() {
    usb::QuorvexUsb& link = context_.usbLink;
    RunExclusive([&] {
        {
            const usb::OpenScope device(link);
            // A failed read leaves the previous ID, which the label then shows again.
            chip::FlashReadId(link, context_.flash.chipId);
        }
        controls_.lblUSBChipID->setText(FromStd(flash::ChipIdText(context_.flash.chipId)));
    });
}

void IspPage::btnUSBReadStatusClick() {
    usb::QuorvexUsb& link = context_.usbLink;
    RunExclusive([&] {
        const std::uint8_t status = [&link] {
            const usb::OpenScope device(link);
            return chip::FlashReadStatus(link);
        }();
        controls_.lblUSBStatus->setText(QStringLiteral("0x") + FromStd(flash::Hex2(status)));
    });
}

void IspPage::lbledtUSBWriteStatusKeyDown(int key) {
    if (!IsEnterKey(key))
        return;
    // Converted before the device is touched: a bad text sends nothing.
    const auto value =
        static_cast<std::uint8_t>(HexTextToInt(controls_.lbledtUSBWriteStatus->text()));
    usb::QuorvexUsb& link = context_.usbLink;
    RunExclusive([&] {
        const usb::OpenScope device(link);
        chip::FlashWriteStatus(link, value);
    });
}

void IspPage::btnUSBWriteEnableClick() {
    usb::QuorvexUsb& link = context_.usbLink;
    RunExclusive([&] {
        const usb::OpenScope device(link);
        chip::FlashWriteEnable(link);
    });
}

void IspPage::btnUSBWriteDisableClick() {
    usb::QuorvexUsb& link = context_.usbLink;
    RunExclusive([&] {
        const usb::OpenScope device(link);
        chip::FlashWriteDisable(link);
    });
}

void IspPage::btnUSBEraseClick() {
    const flash::EraseScope scope =
        WholeFlashSelected() ? flash::EraseScope::WholeChip : flash::EraseScope::AccessRange;
    RunExclusive([&] { flash::EraseFlash(context_.usbLink, scope, context_.flash, *progress_); });
}

void IspPage::rbnRangeClick() {
    IspControls& c = controls_;
    const bool assigned = !c.rbnRange0->isChecked();
    for (QWidget* control :
         {static_cast<QWidget*>(c.lbledISPStart), static_cast<QWidget*>(c.lbledISPRange),
          static_cast<QWidget*>(c.Label20), static_cast<QWidget*>(c.Label21)}) {
        control->setEnabled(assigned);
    }
    flash::FlashState& state = context_.flash;
    if (!assigned) {
        state.rangeStart = 0;
        state.rangeSize = kAllRangeSize;
        return;
    }
    // One after the other: a bad size text still leaves the new start in place.
    state.rangeStart = RangeStartKbOf(c) * kBytesPerKb;
    state.rangeSize = RangeSizeKbOf(c) * kBytesPerKb;
}

// New range texts take effect at the next click on a range button.
void IspPage::lbledISPStartKeyDown(int /*key*/) {}

}  // namespace pages
