#include "chip_test_rig.h"

#include <algorithm>
#include <cstdio>

#include "chip/request_codes.h"
#include "usb/guid.h"
#include "usb/interface_path.h"

namespace chip_test {

ChipRig::ChipRig(bool open) {
    backend_.SetPaths(
        usb::kUsbDeviceInterfaceClass,
        {usb::MakeInterfacePath(0x0EA0, 0x6000, "1-2", usb::kUsbDeviceInterfaceClass)});
    backend_.SetHandler([this](const usb::DecodedCall& call) { return Answer(call); });
    link_.FindDevice();
    if (open)
        link_.OpenDevice();
    settingUp_ = false;
    link_.SetTrace(&trace_);
}

void ChipRig::QueueRegister(std::uint16_t reg, std::vector<std::uint8_t> values) {
    registerQueues_[reg].insert(registerQueues_[reg].end(), values.begin(), values.end());
}

void ChipRig::QueueReady(std::vector<std::uint8_t> answers) {
    readyQueue_.insert(readyQueue_.end(), answers.begin(), answers.end());
}

std::uint8_t ChipRig::Next(std::deque<std::uint8_t>& queue, std::uint8_t fallback) {
    if (queue.empty())
        return fallback;
    const std::uint8_t value = queue.front();
    queue.pop_front();
    return value;
}

bool ChipRig::Answer(const usb::DecodedCall& call) {
    if (settingUp_)
        return true;  // the probe
    ++requests_;
    const bool fail =
        failedOrdinals_.contains(requests_) || failedCodes_.contains(call.setup.request);
    if (fail) {
        for (std::uint8_t& byte : call.inBuffer)
            byte = failureGarbage_;
        return false;
    }
    Fill(call);
    return true;
}

void ChipRig::Fill(const usb::DecodedCall& call) {
    if (call.inBuffer.empty())
        return;
    switch (call.setup.request) {
        case chip::kRequestRegRead: {
            const std::uint16_t reg = call.setup.index;
            call.inBuffer[0] = Next(registerQueues_[reg], registerDefaults_[reg]);
            break;
        }
        case chip::kRequestFlashReady:
            call.inBuffer[0] = Next(readyQueue_, readyDefault_);
            break;
        case chip::kRequestFlashFetch:
            for (std::size_t i = 0; i < call.inBuffer.size(); ++i) {
                call.inBuffer[i] = i < fetchData_.size() ? fetchData_[i] : 0x00;
            }
            break;
        default:
            break;
    }
}

std::string RegWriteLine(std::uint16_t reg, std::uint8_t value) {
    char line[40];
    std::snprintf(line, sizeof line, "43 90 0000 %04x 1 %02x ok", reg, value);
    return line;
}

std::string RegReadLine(std::uint16_t reg, std::uint8_t value) {
    char line[40];
    std::snprintf(line, sizeof line, "c3 91 0000 %04x 1 %02x ok", reg, value);
    return line;
}

std::string SleepLine(std::uint32_t ms) {
    return "sleep " + std::to_string(ms);
}

}  // namespace chip_test
