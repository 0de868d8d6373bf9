// info: what the device says about itself: flash, parameter store, status.

#include <array>
#include <cstdio>
#include <optional>
#include <ostream>

#include "cli/commands.h"
#include "cli/json_line.h"
#include "cli/session.h"
#include "product/device_status.h"
#include "product/isp_flash_access.h"
#include "product/parameter_ops.h"

namespace cli {
namespace {

struct DeviceInfo {
    product::FlashPart flash;
    bool firmwareRunning = false;  // the parameter store and status answer only then
    // Each empty when the device did not answer for it.
    std::optional<std::string> vid, pid;
    std::array<std::optional<std::string>, 3> strings;
    std::optional<product::SystemSetting> setting;
    std::optional<product::DeviceStatus> status;

    bool AllAnswered() const {
        return !firmwareRunning ||
               (vid && pid && strings[0] && strings[1] && strings[2] && setting && status);
    }
};

constexpr const char* kNoAnswer = "no answer";

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string IdText(const chip::ChipIdBytes& id) {
    return Hex(id[0], 2) + " " + Hex(id[1], 2) + " " + Hex(id[2], 2);
}

std::string SettingText(const product::SystemSetting& s) {
    using S = product::SystemSetting;
    std::string text = std::string("I2S ") +
                       (s.i2sLength == S::OutputLength::Bits32 ? "32" : "24") + " bit, SPDIF " +
                       (s.spdifLength == S::OutputLength::Bits32 ? "32" : "24") + " bit, MCLK " +
                       std::to_string(s.MclkFrequencyFs()) + " Fs, I2S " +
                       (s.i2sFormat == S::I2sFormat::Standard ? "standard" : "left justified") +
                       ", DSD in: " + (s.dsdOutput == S::DsdOutput::NativeDsd ? "DSD" : "DoP");
    if (s.i2sChannelSwap)
        text += ", I2S channels swapped";
    if (s.dsdChannelSwap)
        text += ", DSD channels swapped";
    if (s.mclkOutputOff)
        text += ", MCLK output off";
    if (s.i2sOutputOff)
        text += ", I2S output off";
    if (s.spdifOutputOff)
        text += ", SPDIF output off";
    return text + (s.eepromPresent ? ", EEPROM present" : ", no EEPROM");
}

std::string StatusText(const product::DeviceStatus& status) {
    if (!status.Connected())
        return "USB Disconnected";
    if (status.Muted())
        return "USB connected, Mute";
    return std::string("USB connected, Playing, ") + (status.Dsd() ? "DSD" : "PCM") + ", " +
           status.RateText().substr(status.RateText().find_first_not_of(' ') == std::string::npos
                                        ? 0
                                        : status.RateText().find_first_not_of(' '));
}

DeviceInfo Gather(usb::QuorvexUsb& link, const product::ListedDevice& device) {
    DeviceInfo info;
    info.firmwareRunning = device.mode == product::DeviceMode::Normal;
    if (info.firmwareRunning) {
        info.vid = product::ReadVid(link);
        info.pid = product::ReadPid(link);
        for (int i = 0; i < 3; ++i)
            info.strings[i] =
                product::ReadProductString(link, static_cast<product::ProductString>(i + 1));
        info.setting = product::ReadSystemSetting(link);
        info.status = product::ReadDeviceStatus(link);
    }
    // Last: reading the flash's identification needs ISP mode, and leaving it
    // makes the product start afresh.
    info.flash = product::ReadFlashPart(link);
    return info;
}

std::string FlashText(const product::FlashPart& part) {
    return part.model + ", JEDEC ID " + IdText(part.jedecId) + ", " +
           (part.capacity ? std::to_string(part.capacity / 1024) + " KiB" : "size unknown") + ", " +
           (part.wordProgram ? "word programming" : std::to_string(part.pageSize) + "-byte pages") +
           ", protection " + (part.Protected() ? "on" : "off") + " (status 0x" +
           Hex(part.status, 2) + ")";
}

std::string Quoted(const std::optional<std::string>& text) {
    return text ? "\"" + *text + "\"" : kNoAnswer;
}

std::optional<std::string> SettingHex(const std::optional<product::SystemSetting>& setting,
                                      const char* separator) {
    if (!setting)
        return std::nullopt;
    const std::array<std::uint8_t, 4> bytes = setting->ToBytes();
    return Hex(bytes[0], 2) + separator + Hex(bytes[1], 2) + separator + Hex(bytes[2], 2) +
           separator + Hex(bytes[3], 2);
}

std::optional<std::string> OptionalStatusText(const std::optional<product::DeviceStatus>& status) {
    return status ? std::optional(StatusText(*status)) : std::nullopt;
}

void PrintText(std::ostream& out, const product::ListedDevice& device, const DeviceInfo& info) {
    out << "Device:         " << device.displayName << " (" << device.VidPidText() << ") at "
        << device.location << "\n";
    out << "Flash:          " << FlashText(info.flash) << "\n";
    if (!info.firmwareRunning) {
        out << "Parameters:     not available while the chip waits in ISP mode\n";
        return;
    }
    out << "VID, PID:       " << Quoted(info.vid) << ", " << Quoted(info.pid) << "\n";
    out << "String 1:       " << Quoted(info.strings[0]) << " (Manufacturer)\n";
    out << "String 2:       " << Quoted(info.strings[1]) << " (Model Name)\n";
    out << "String 3:       " << Quoted(info.strings[2]) << " (Serial Number)\n";
    out << "System setting: "
        << (info.setting ? *SettingHex(info.setting, " ") + ": " + SettingText(*info.setting)
                         : kNoAnswer)
        << "\n";
    out << "Status:         " << OptionalStatusText(info.status).value_or(kNoAnswer) << "\n";
}

void PrintJson(std::ostream& out, const product::ListedDevice& device, const DeviceInfo& info) {
    JsonLine line;
    line.Text("event", "info")
        .Text("name", device.displayName)
        .Text("vid_pid", device.VidPidText())
        .Text("location", device.location)
        .Text("jedec_id", IdText(info.flash.jedecId))
        .Text("flash_model", info.flash.model)
        .Number("flash_capacity", info.flash.capacity)
        .Number("page_size", info.flash.pageSize)
        .Bool("word_program", info.flash.wordProgram)
        .Bool("protected", info.flash.Protected());
    if (info.firmwareRunning) {
        line.OptionalText("vid", info.vid)
            .OptionalText("pid", info.pid)
            .OptionalText("string1", info.strings[0])
            .OptionalText("string2", info.strings[1])
            .OptionalText("string3", info.strings[2])
            .OptionalText("system_setting", SettingHex(info.setting, ""))
            .OptionalText("status", OptionalStatusText(info.status));
    }
    out << line.Line();
}

}  // namespace

Outcome RunInfo(Session& session) {
    product::ListedDevice device;
    if (auto refused = session.Choose(device))
        return *refused;
    if (auto refused = session.Aim(device))
        return *refused;
    const DeviceInfo info = Gather(session.Link(), device);
    if (session.Options().json)
        PrintJson(session.Env().out, device, info);
    else
        PrintText(session.Env().out, device, info);
    Outcome outcome{kExitDone, {}};
    if (!info.AllAnswered()) {
        outcome = Outcome{kExitFailed,
                          "the device did not answer some parameter or status requests; their "
                          "values read \"no answer\" (null in JSON)"};
    }
    outcome.unit.SetDevice(device);
    outcome.unit.serial = info.strings[2];
    outcome.unit.flashPart = info.flash.model;
    return outcome;
}

}  // namespace cli
