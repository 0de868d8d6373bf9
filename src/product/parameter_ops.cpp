#include "product/parameter_ops.h"

#include <algorithm>
#include <array>

#include "chip/param_commands.h"
#include "chip/request_codes.h"
#include "usb/quorvex_usb.h"

namespace product {
namespace {

constexpr std::uint8_t kSelectorVid = 0x08;
constexpr std::uint8_t kSelectorPid = 0x0A;
constexpr std::uint8_t kSelectorString1 = 0x10;
constexpr std::uint8_t kSelectorStringStep = 0x04;
constexpr std::uint8_t kSelectorSetting = 0x20;
constexpr std::uint8_t kRead = chip::kSelectorReadBit;

constexpr std::size_t kChunkSize = chip::kMailboxDataCount;
constexpr std::size_t kSettingSize = 4;
// The firmware stores each chunk before it takes the next one.
constexpr std::uint32_t kChunkPauseMs = 50;

void Access(usb::QuorvexUsb& link, std::uint8_t selector, std::uint8_t argument, std::size_t count,
            std::uint8_t* data) {
    chip::ParamAccess(link, chip::kMailboxParamCommand, selector, argument,
                      static_cast<std::uint8_t>(count), data);
}

void WriteId(usb::QuorvexUsb& link, std::uint8_t selector, std::string_view text) {
    std::array<std::uint8_t, kIdTextLength> bytes{};
    std::copy_n(text.begin(), std::min(text.size(), bytes.size()), bytes.begin());
    Access(link, selector, 0, bytes.size(), bytes.data());
}

std::string ReadId(usb::QuorvexUsb& link, std::uint8_t selector) {
    std::array<std::uint8_t, kIdTextLength> bytes{};
    Access(link, selector | kRead, 0, bytes.size(), bytes.data());
    std::string text(bytes.begin(), bytes.end());
    return text.substr(0, text.find('\0'));
}

std::uint8_t StringSelector(ProductString which) {
    return static_cast<std::uint8_t>(kSelectorString1 +
                                     kSelectorStringStep * (static_cast<int>(which) - 1));
}

}  // namespace

void WriteVid(usb::QuorvexUsb& link, std::string_view text) {
    WriteId(link, kSelectorVid, text);
}

void WritePid(usb::QuorvexUsb& link, std::string_view text) {
    WriteId(link, kSelectorPid, text);
}

std::string ReadVid(usb::QuorvexUsb& link) {
    return ReadId(link, kSelectorVid);
}

std::string ReadPid(usb::QuorvexUsb& link) {
    return ReadId(link, kSelectorPid);
}

bool WriteProductString(usb::QuorvexUsb& link, ProductString which, std::string_view text) {
    if (text.size() > kMaxProductStringLength)
        return false;
    std::array<std::uint8_t, 1 + kMaxProductStringLength> packet{};
    packet[0] = static_cast<std::uint8_t>(text.size());
    std::copy(text.begin(), text.end(), packet.begin() + 1);
    const std::size_t length = text.size() + 1;
    for (std::size_t first = 0, chunk = 0; first < length; first += kChunkSize, ++chunk) {
        Access(link, StringSelector(which), static_cast<std::uint8_t>(chunk),
               std::min(kChunkSize, length - first), packet.data() + first);
        link.SleepMs(kChunkPauseMs);
    }
    return true;
}

std::string ReadProductString(usb::QuorvexUsb& link, ProductString which) {
    std::array<std::uint8_t, 1 + kMaxProductStringLength> packet{};
    const std::uint8_t selector = StringSelector(which) | kRead;
    Access(link, selector, 0, kChunkSize, packet.data());
    const std::size_t length = std::min<std::size_t>(packet[0], kMaxProductStringLength) + 1;
    for (std::size_t first = kChunkSize, chunk = 1; first < length; first += kChunkSize, ++chunk)
        Access(link, selector, static_cast<std::uint8_t>(chunk), kChunkSize, packet.data() + first);
    return std::string(packet.begin() + 1, packet.begin() + static_cast<std::ptrdiff_t>(length));
}

void WriteSystemSetting(usb::QuorvexUsb& link, const SystemSetting& setting) {
    std::array<std::uint8_t, kSettingSize> bytes = setting.ToBytes();
    Access(link, kSelectorSetting, 0, bytes.size(), bytes.data());
}

SystemSetting ReadSystemSetting(usb::QuorvexUsb& link, const SystemSetting& before) {
    std::array<std::uint8_t, kSettingSize> bytes = before.ToBytes();
    Access(link, kSelectorSetting | kRead, 0, bytes.size(), bytes.data());
    return SystemSetting::FromBytes(bytes);
}

}  // namespace product
