// Device replies through the chip commands: a device whose every answer
// (success, byte count, bytes) comes from the fuzz input, driven through a
// fuzz-chosen sequence of the commands that read from it. Findings: a crash,
// a read or write past a caller's buffer (every destination is a buffer of
// exactly the size asked for), a broken promise of a command's header, a
// block the link builds that its driver would refuse, a handle leaked or
// closed twice, and a command that does not end within its bounds.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "chip/flash_commands.h"
#include "chip/i2c_commands.h"
#include "chip/param_commands.h"
#include "chip/registers.h"
#include "chip/request_codes.h"
#include "fuzz/reply_backend.h"
#include "sim/virtual_clock.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

namespace {

// Far above the longest legitimate command (a 255-byte I2C read with every
// poll used is about 6,500 requests), far below anything that looks like a hang.
constexpr std::uint64_t kMaxCallsPerCommand = 20000;
constexpr std::uint64_t kMaxSleepUsPerCommand = 5'000'000;
constexpr int kMaxCommands = 64;
constexpr std::uint8_t kUntouched = 0xA5;

enum class Command {
    Open,
    Close,
    SwitchPath,
    FindDevice,
    CheckDevice,
    RegRead,
    SelectBank,
    IspMode,
    FlashReady,
    FlashReadStatus,
    FlashReadId,
    FlashReadBlock,
    FlashFetch,
    ParamRead,
    I2cRead,
    I2cReadCmd,
    I2cReceiveByte,
    kMaxValue = I2cReceiveByte,
};

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "device replies: %s\n", what);
    std::abort();
}

void Require(bool condition, const char* what) {
    if (!condition)
        Finding(what);
}

// Formats every request as the --trace option would, so the trace's reading
// of the request buffers is fuzzed too, and keeps nothing.
class DiscardTrace final : public usb::RequestTrace {
public:
    void Line(std::string_view) override {}
};

struct Rig {
    explicit Rig(FuzzedDataProvider& in) : input(in), backend(in), link(backend, clock) {
        link.SetTrace(&trace);
    }
    FuzzedDataProvider& input;
    sim::VirtualClock clock;
    fuzz::ReplyBackend backend;
    DiscardTrace trace;
    usb::QuorvexUsb link;
};

// A destination of exactly `size` bytes, pre-set so changes show.
std::vector<std::uint8_t> Destination(std::size_t size) {
    return std::vector<std::uint8_t>(size, kUntouched);
}

bool Untouched(const std::vector<std::uint8_t>& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == kUntouched; });
}

void RunRegRead(Rig& rig) {
    std::uint8_t value = kUntouched;
    if (!chip::RegRead(rig.link, rig.input.ConsumeIntegral<std::uint16_t>(), value))
        Require(value == kUntouched, "a failed register read changed its destination");
}

void RunFlashReadId(Rig& rig) {
    chip::ChipIdBytes id{kUntouched, kUntouched, kUntouched};
    if (!chip::FlashReadId(rig.link, id))
        Require(Untouched(std::vector(id.begin(), id.end())), "a failed ID read changed the ID");
}

void RunFlashReadBlock(Rig& rig) {
    const auto length = rig.input.ConsumeIntegralInRange<std::uint16_t>(0, 300);
    const auto address = rig.input.ConsumeIntegral<std::uint32_t>();
    auto destination = Destination(length);
    const std::uint64_t before = rig.backend.Calls();
    const bool ok = chip::FlashReadBlock(rig.link, address, length, destination.data());
    if (length == 0 || length > chip::kMaxFetchLength)
        Require(!ok && rig.backend.Calls() == before, "a block length out of range was sent");
}

void RunFlashFetch(Rig& rig) {
    const auto count = rig.input.ConsumeIntegral<std::uint8_t>();
    auto destination = Destination(count);
    const std::uint64_t before = rig.backend.Calls();
    if (!chip::FlashFetch(rig.link, count, destination.data()))
        Require(count == 0 ? rig.backend.Calls() == before : Untouched(destination),
                "a failed fetch changed its destination, or an empty one was sent");
}

void RunParamRead(Rig& rig) {
    const auto count = rig.input.ConsumeIntegralInRange<std::uint8_t>(0, 9);
    const auto selector = static_cast<std::uint8_t>(rig.input.ConsumeIntegral<std::uint8_t>() | 1);
    auto destination = Destination(count);
    const std::uint64_t before = rig.backend.Calls();
    const bool ok =
        chip::ParamAccess(rig.link, rig.input.ConsumeIntegral<std::uint8_t>(), selector,
                          rig.input.ConsumeIntegral<std::uint8_t>(), count, destination.data());
    if (count > chip::kMailboxDataCount)
        Require(!ok && rig.backend.Calls() == before, "an oversized mailbox read was sent");
}

void RunI2cRead(Rig& rig, bool withCommands) {
    const auto address = rig.input.ConsumeIntegral<std::uint8_t>();
    const auto replyCount = rig.input.ConsumeIntegral<std::uint8_t>();
    const std::vector<std::uint8_t> commands = rig.input.ConsumeBytes<std::uint8_t>(
        withCommands ? rig.input.ConsumeIntegralInRange(0, 4) : 1);
    auto destination = Destination(replyCount);
    const std::uint64_t before = rig.backend.Calls();
    const bool ok = chip::I2cReadCmd(rig.link, static_cast<std::uint8_t>(address & ~1U),
                                     static_cast<std::uint8_t>(commands.size()), commands.data(),
                                     replyCount, destination.data());
    if (replyCount == 0)
        Require(!ok && rig.backend.Calls() == before, "an I2C read of no bytes touched the bus");
    else if (!ok)
        Require(Untouched(destination), "an unanswered I2C read changed its destination");
}

void RunCommand(Rig& rig, Command command) {
    usb::QuorvexUsb& link = rig.link;
    std::uint8_t byte = 0;
    switch (command) {
        case Command::Open:
            link.OpenDevice();
            break;
        case Command::Close:
            link.CloseDevice();
            break;
        case Command::SwitchPath:
            link.SetAudioDriver(!link.UsesAudioDriver());
            link.SetMatchString(rig.input.ConsumeBool() ? "vid_2fc6&pid_6000"
                                                        : "vid_0ea0&pid_6000");
            break;
        case Command::FindDevice:
            link.FindDevice();
            break;
        case Command::CheckDevice:
            link.CheckDevice();
            break;
        case Command::RegRead:
            RunRegRead(rig);
            break;
        case Command::SelectBank:
            chip::RegSelectBank(link, rig.input.ConsumeIntegral<std::uint8_t>());
            break;
        case Command::IspMode:
            chip::IspMode(link, rig.input.ConsumeBool());
            break;
        case Command::FlashReady:
            chip::FlashReady(link);
            break;
        case Command::FlashReadStatus:
            chip::FlashReadStatus(link);
            break;
        case Command::FlashReadId:
            RunFlashReadId(rig);
            break;
        case Command::FlashReadBlock:
            RunFlashReadBlock(rig);
            break;
        case Command::FlashFetch:
            RunFlashFetch(rig);
            break;
        case Command::ParamRead:
            RunParamRead(rig);
            break;
        case Command::I2cRead:
            RunI2cRead(rig, false);
            break;
        case Command::I2cReadCmd:
            RunI2cRead(rig, true);
            break;
        case Command::I2cReceiveByte:
            chip::I2cReceiveByte(link, rig.input.ConsumeBool(), byte);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    {
        Rig rig(input);
        rig.link.SetAudioDriver(input.ConsumeBool());
        for (int i = 0; i < kMaxCommands && input.remaining_bytes() > 0; ++i) {
            const std::uint64_t calls = rig.backend.Calls();
            const std::uint64_t slept = rig.clock.SleptUs();
            RunCommand(rig, input.ConsumeEnum<Command>());
            Require(rig.backend.Calls() - calls <= kMaxCallsPerCommand, "a command does not end");
            Require(rig.clock.SleptUs() - slept <= kMaxSleepUsPerCommand,
                    "a command waits too long");
        }
        rig.link.CloseDevice();
        Require(rig.backend.OpenHandles() == 0, "a handle was left open");
    }
    return 0;
}
