#include "chip/param_commands.h"

#include "chip/registers.h"
#include "chip/request_codes.h"
#include "usb/quorvex_usb.h"

namespace chip {

namespace {

// A chip that never reports completion costs the window at most 200 ms.
constexpr int kCompletionPolls = 20;
constexpr std::uint32_t kCompletionPauseMs = 10;

void WriteData(usb::QuorvexUsb& link, std::uint8_t count, const std::uint8_t* data) {
    for (std::uint8_t i = 0; i < count; ++i)
        RegWrite(link, kRegMailboxData + i, data[i]);
}

void ReadData(usb::QuorvexUsb& link, std::uint8_t count, std::uint8_t* data) {
    for (std::uint8_t i = 0; i < count; ++i)
        RegRead(link, kRegMailboxData + i, data[i]);
}

// Whether the firmware finished is not examined: a read then yields whatever
// the data registers hold, which is all the chip can offer anyway.
void WaitCompletion(usb::QuorvexUsb& link) {
    std::uint8_t command = 0;
    for (int i = 0; i < kCompletionPolls; ++i) {
        link.SleepMs(kCompletionPauseMs);
        RegRead(link, kRegMailboxCommand, command);
        if (command == kMailboxParamDone)
            return;
    }
}

}  // namespace

bool ParamAccess(usb::QuorvexUsb& link, std::uint8_t command, std::uint8_t selector,
                 std::uint8_t argument, std::uint8_t count, std::uint8_t* data) {
    if (count > kMailboxDataCount || (count != 0 && data == nullptr))
        return false;
    const bool read = (selector & kSelectorReadBit) != 0;

    link.OpenDevice();
    RegSelectBank(link, kBankMailbox);
    if (!read)
        WriteData(link, count, data);
    RegWrite(link, kRegMailboxSelector, selector);
    RegWrite(link, kRegMailboxArgument, argument);
    // The command register goes last: writing it hands the request to the firmware.
    RegWrite(link, kRegMailboxCommand, command);
    WaitCompletion(link);
    if (read) {
        ReadData(link, count, data);
    } else {
        RegWrite(link, kRegMailboxCommand, kMailboxIdle);
    }
    link.CloseDevice();
    return true;
}

}  // namespace chip
