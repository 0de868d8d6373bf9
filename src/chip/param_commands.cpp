#include "chip/param_commands.h"

#include <array>

#include "chip/registers.h"
#include "chip/request_codes.h"
#include "usb/open_scope.h"
#include "usb/quorvex_usb.h"

namespace chip {

namespace {

// A chip that never reports completion costs the window at most 200 ms.
constexpr int kCompletionPolls = 20;
constexpr std::uint32_t kCompletionPauseMs = 10;

bool WriteData(usb::QuorvexUsb& link, std::uint8_t count, const std::uint8_t* data) {
    bool ok = true;
    for (std::uint8_t i = 0; i < count; ++i)
        ok = RegWrite(link, kRegMailboxData + i, data[i]) && ok;
    return ok;
}

// All bytes or none: a half-read parameter is no parameter.
bool ReadData(usb::QuorvexUsb& link, std::uint8_t count, std::uint8_t* data) {
    std::array<std::uint8_t, kMailboxDataCount> read{};
    for (std::uint8_t i = 0; i < count; ++i) {
        if (!RegRead(link, kRegMailboxData + i, read[i]))
            return false;
    }
    for (std::uint8_t i = 0; i < count; ++i)
        data[i] = read[i];
    return true;
}

bool WaitCompletion(usb::QuorvexUsb& link) {
    for (int i = 0; i < kCompletionPolls; ++i) {
        link.SleepMs(kCompletionPauseMs);
        std::uint8_t command = 0;
        if (RegRead(link, kRegMailboxCommand, command) && command == kMailboxParamDone)
            return true;
    }
    return false;
}

bool SendRequest(usb::QuorvexUsb& link, std::uint8_t command, std::uint8_t selector,
                 std::uint8_t argument) {
    bool ok = RegWrite(link, kRegMailboxSelector, selector);
    ok = RegWrite(link, kRegMailboxArgument, argument) && ok;
    // The command register goes last: writing it hands the request to the firmware.
    return RegWrite(link, kRegMailboxCommand, command) && ok;
}

}  // namespace

bool ParamAccess(usb::QuorvexUsb& link, std::uint8_t command, std::uint8_t selector,
                 std::uint8_t argument, std::uint8_t count, std::uint8_t* data) {
    if (count > kMailboxDataCount || (count != 0 && data == nullptr))
        return false;
    const bool read = (selector & kSelectorReadBit) != 0;

    const usb::OpenScope device(link);
    bool ok = RegSelectBank(link, kBankMailbox);
    if (!read)
        ok = WriteData(link, count, data) && ok;
    ok = SendRequest(link, command, selector, argument) && ok;
    ok = WaitCompletion(link) && ok;
    if (read) {
        // Without the completion the data registers hold nothing of this request.
        ok = ok && ReadData(link, count, data);
    } else {
        // The mailbox goes back to idle also after a request that timed out,
        // so a late answer to it cannot pass for the next one's.
        ok = RegWrite(link, kRegMailboxCommand, kMailboxIdle) && ok;
    }
    return ok;
}

}  // namespace chip
