#include "product/device_status.h"

#include <array>

#include "chip/registers.h"
#include "chip/request_codes.h"
#include "usb/open_scope.h"
#include "usb/quorvex_usb.h"

namespace product {
namespace {

constexpr const char* kBlankRate = "        ";
constexpr std::array<const char*, 32> kRateTexts = {
    " 44.1KHz", "   48KHz", " 88.2KHz", "   96KHz", "176.4KHz", "  192KHz", "352.8KHz", "  384KHz",
    "705.6KHz", "  768KHz", kBlankRate, kBlankRate, kBlankRate, kBlankRate, kBlankRate, kBlankRate,
    " DoP  64", " DoP 128", " DoP 256", " DoP 512", kBlankRate, kBlankRate, kBlankRate, kBlankRate,
    " DSD  64", " DSD 128", " DSD 256", " DSD 512", kBlankRate, kBlankRate, kBlankRate, kBlankRate,
};

// The firmware answers a key within a few milliseconds; ten polls give it ample time.
constexpr int kHidPolls = 10;
constexpr std::uint32_t kHidPollPauseMs = 10;

}  // namespace

std::string DeviceStatus::RateText() const {
    return kRateTexts[static_cast<std::size_t>(RateIndex())];
}

std::optional<DeviceStatus> ReadDeviceStatus(usb::QuorvexUsb& link) {
    DeviceStatus status;
    const usb::OpenScope device(link);
    const bool read = chip::RegSelectBank(link, chip::kBankMailbox) &&
                      chip::RegRead(link, chip::kRegStatus0, status.status0) &&
                      chip::RegRead(link, chip::kRegStatus1, status.status1) &&
                      chip::RegRead(link, chip::kRegStatus2, status.status2);
    if (!read)
        return std::nullopt;
    return status;
}

bool SendHidKey(usb::QuorvexUsb& link, HidKey key) {
    const usb::OpenScope device(link);
    const bool sent =
        chip::RegSelectBank(link, chip::kBankMailbox) &&
        chip::RegWrite(link, chip::kRegMailboxSelector, static_cast<std::uint8_t>(key)) &&
        chip::RegWrite(link, chip::kRegMailboxCommand, chip::kMailboxHidCommand);
    bool done = false;
    for (int poll = 0; sent && !done && poll < kHidPolls; ++poll) {
        link.SleepMs(kHidPollPauseMs);
        std::uint8_t command = 0;
        done = chip::RegRead(link, chip::kRegMailboxCommand, command) &&
               command == chip::kMailboxHidDone;
    }
    return done;
}

}  // namespace product
