#include "chip/registers.h"

#include "chip/request_codes.h"
#include "usb/quorvex_usb.h"

namespace chip {

bool RegWrite(usb::QuorvexUsb& link, std::uint16_t reg, std::uint8_t value) {
    return link.VendorRequest(kTypeOut, kRequestRegWrite, 0, reg, &value, 1);
}

bool RegRead(usb::QuorvexUsb& link, std::uint16_t reg, std::uint8_t& value) {
    std::uint8_t received = value;
    const bool ok = link.VendorRequest(kTypeIn, kRequestRegRead, 0, reg, &received, 1);
    if (ok)
        value = received;
    return ok;
}

bool RegSelectBank(usb::QuorvexUsb& link, std::uint8_t bank) {
    return RegWrite(link, kRegBankSelect, bank);
}

bool IspMode(usb::QuorvexUsb& link, bool enter) {
    const bool ok = enter ? link.VendorRequest(kTypeOut, kRequestEnterIsp, kEnterIspValue,
                                               kEnterIspIndex, nullptr, 0)
                          : link.VendorRequest(kTypeOut, kRequestLeaveIsp, kLeaveIspValue,
                                               kLeaveIspIndex, nullptr, 0);
    // The control registers are written whatever the mode request did.
    RegSelectBank(link, kBankIspControl);
    if (enter) {
        RegWrite(link, kRegIspControl7, kIspControl7Enter);
        RegWrite(link, kRegIspControl1, kIspControl1Enter);
    } else {
        RegWrite(link, kRegIspControl7, kIspControl7Leave);
    }
    return ok;
}

bool FlashReady(usb::QuorvexUsb& link) {
    return FlashReadyFlag(link).value_or(false);
}

std::optional<bool> FlashReadyFlag(usb::QuorvexUsb& link) {
    std::uint8_t ready = 0;
    if (!link.VendorRequest(kTypeIn, kRequestFlashReady, 0, 0, &ready, 1))
        return std::nullopt;
    return ready != 0;
}

bool I2cPrepare(usb::QuorvexUsb& link) {
    RegSelectBank(link, kBankI2cMaster);
    return RegWrite(link, kRegI2cSetup, kI2cSetupValue);
}

}  // namespace chip
