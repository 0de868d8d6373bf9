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

bool Access(usb::QuorvexUsb& link, std::uint8_t selector, std::uint8_t argument, std::size_t count,
            std::uint8_t* data) {
    return chip::ParamAccess(link, chip::kMailboxParamCommand, selector, argument,
                             static_cast<std::uint8_t>(count), data);
}

bool WriteId(usb::QuorvexUsb& link, std::uint8_t selector, std::string_view text) {
    // The first four characters, zero-padded.
    std::array<std::uint8_t, kIdTextLength> bytes{};
    for (std::size_t i = 0; i < bytes.size() && i < text.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(text[i]);
    return Access(link, selector, 0, bytes.size(), bytes.data());
}

std::optional<std::string> ReadId(usb::QuorvexUsb& link, std::uint8_t selector) {
    std::array<std::uint8_t, kIdTextLength> bytes{};
    if (!Access(link, selector | kRead, 0, bytes.size(), bytes.data()))
        return std::nullopt;
    std::string text(bytes.begin(), bytes.end());
    return text.substr(0, text.find('\0'));
}

std::uint8_t StringSelector(ProductString which) {
    return static_cast<std::uint8_t>(kSelectorString1 +
                                     kSelectorStringStep * (static_cast<int>(which) - 1));
}

}  // namespace

bool WriteVid(usb::QuorvexUsb& link, std::string_view text) {
    return WriteId(link, kSelectorVid, text);
}

bool WritePid(usb::QuorvexUsb& link, std::string_view text) {
    return WriteId(link, kSelectorPid, text);
}

std::optional<std::string> ReadVid(usb::QuorvexUsb& link) {
    return ReadId(link, kSelectorVid);
}

std::optional<std::string> ReadPid(usb::QuorvexUsb& link) {
    return ReadId(link, kSelectorPid);
}

StringWrite WriteProductString(usb::QuorvexUsb& link, ProductString which, std::string_view text) {
    if (text.size() > kMaxProductStringLength)
        return StringWrite::TooLong;
    std::array<std::uint8_t, 1 + kMaxProductStringLength> packet{};
    packet[0] = static_cast<std::uint8_t>(text.size());
    std::copy(text.begin(), text.end(), packet.begin() + 1);
    const std::size_t length = text.size() + 1;
    for (std::size_t first = 0, chunk = 0; first < length; first += kChunkSize, ++chunk) {
        if (!Access(link, StringSelector(which), static_cast<std::uint8_t>(chunk),
                    std::min(kChunkSize, length - first), packet.data() + first))
            return chunk == 0 ? StringWrite::NotAnswered : StringWrite::StoppedPartWay;
        link.SleepMs(kChunkPauseMs);
    }
    return StringWrite::Written;
}

std::optional<std::string> ReadProductString(usb::QuorvexUsb& link, ProductString which) {
    std::array<std::uint8_t, 1 + kMaxProductStringLength> packet{};
    const std::uint8_t selector = StringSelector(which) | kRead;
    if (!Access(link, selector, 0, kChunkSize, packet.data()))
        return std::nullopt;
    const std::size_t length = std::min<std::size_t>(packet[0], kMaxProductStringLength) + 1;
    for (std::size_t first = kChunkSize, chunk = 1; first < length; first += kChunkSize, ++chunk) {
        if (!Access(link, selector, static_cast<std::uint8_t>(chunk), kChunkSize,
                    packet.data() + first))
            return std::nullopt;
    }
    return std::string(packet.begin() + 1, packet.begin() + static_cast<std::ptrdiff_t>(length));
}

bool WriteSystemSetting(usb::QuorvexUsb& link, const SystemSetting& setting) {
    std::array<std::uint8_t, kSettingSize> bytes = setting.ToBytes();
    return Access(link, kSelectorSetting, 0, bytes.size(), bytes.data());
}

std::optional<SystemSetting> ReadSystemSetting(usb::QuorvexUsb& link) {
    std::array<std::uint8_t, kSettingSize> bytes{};
    if (!Access(link, kSelectorSetting | kRead, 0, bytes.size(), bytes.data()))
        return std::nullopt;
    return SystemSetting::FromBytes(bytes);
}

}  // namespace product
