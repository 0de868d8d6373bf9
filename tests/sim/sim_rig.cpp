#include "sim_rig.h"

#include <algorithm>
#include <cstdio>

#include "chip/request_codes.h"

namespace sim_test {

SimRig::SimRig(const sim::ProductConfig& config) {
    chip = sim::PlugProduct(bus, config, clock);
}

bool SimRig::Connect() {
    const sim::UsbIdentity id = chip->Identity();
    char match[32];
    std::snprintf(match, sizeof match, "vid_%04x&pid_%04x", id.vid, id.pid);
    link.SetAudioDriver(id.hasAudioInterface);
    link.SetMatchString(match);
    return link.FindDevice() && link.OpenDevice();
}

bool SimRig::Out(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                 std::vector<std::uint8_t> data) {
    return link.VendorRequest(chip::kTypeOut, request, value, index, data.data(),
                              static_cast<std::uint32_t>(data.size()));
}

bool SimRig::In(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                std::vector<std::uint8_t>& buffer) {
    return link.VendorRequest(chip::kTypeIn, request, value, index, buffer.data(),
                              static_cast<std::uint32_t>(buffer.size()));
}

bool SimRig::EnterIsp() {
    return Out(chip::kRequestEnterIsp, chip::kEnterIspValue, chip::kEnterIspIndex) &&
           WriteReg(chip::kRegBankSelect, chip::kBankIspControl) &&
           WriteReg(chip::kRegIspControl7, chip::kIspControl7Enter) &&
           WriteReg(chip::kRegIspControl1, chip::kIspControl1Enter) &&
           WriteReg(chip::kRegBankSelect, chip::kBankMailbox);
}

bool SimRig::LeaveIsp() {
    return Out(chip::kRequestLeaveIsp, chip::kLeaveIspValue, chip::kLeaveIspIndex);
}

bool SimRig::WriteReg(std::uint16_t reg, std::uint8_t value) {
    return Out(chip::kRequestRegWrite, 0, reg, {value});
}

std::optional<std::uint8_t> SimRig::ReadReg(std::uint16_t reg) {
    std::vector<std::uint8_t> value(1, 0);
    if (!In(chip::kRequestRegRead, 0, reg, value))
        return std::nullopt;
    return value[0];
}

bool SimRig::Instruction(std::vector<std::uint8_t> bytes) {
    return Out(chip::kRequestFlashInstruction, 0, 1, std::move(bytes));
}

std::optional<std::vector<std::uint8_t>> SimRig::ReadBack(std::vector<std::uint8_t> bytes,
                                                          std::uint16_t count) {
    if (!Out(chip::kRequestFlashReadBackInstruction, count, 1, std::move(bytes))) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> ready(1, 0);
    for (int poll = 0; poll < 100; ++poll) {
        if (In(chip::kRequestFlashReady, 0, 0, ready) && ready[0] != 0) {
            std::vector<std::uint8_t> reply(count, 0);
            if (!In(chip::kRequestFlashFetch, 0, 0, reply))
                return std::nullopt;
            return reply;
        }
        clock.SleepMs(1);
    }
    return std::nullopt;
}

std::optional<std::uint8_t> SimRig::FlashStatus() {
    const auto reply = ReadBack({chip::kFlashReadStatus}, 1);
    if (!reply)
        return std::nullopt;
    return (*reply)[0];
}

std::optional<std::vector<std::uint8_t>> SimRig::FlashRead(std::uint32_t address,
                                                           std::uint16_t count) {
    return ReadBack(Addressed(chip::kFlashRead, address), count);
}

bool SimRig::WaitNotBusy(std::uint32_t limitMs) {
    for (std::uint32_t ms = 0; ms <= limitMs; ++ms) {
        const auto status = FlashStatus();
        if (status && (*status & chip::kFlashStatusBusy) == 0)
            return true;
        clock.SleepMs(1);
    }
    return false;
}

std::vector<std::uint8_t> Addressed(std::uint8_t instruction, std::uint32_t address,
                                    std::vector<std::uint8_t> data) {
    // Sized once and filled, rather than an initializer list grown by insert():
    // GCC 12 at -O3 sees an out-of-bounds copy in the latter (-Warray-bounds).
    std::vector<std::uint8_t> bytes(4 + data.size());
    bytes[0] = instruction;
    bytes[1] = static_cast<std::uint8_t>(address >> 16);
    bytes[2] = static_cast<std::uint8_t>(address >> 8);
    bytes[3] = static_cast<std::uint8_t>(address);
    std::copy(data.begin(), data.end(), bytes.begin() + 4);
    return bytes;
}

}  // namespace sim_test
