#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

// The product parameters that the firmware keeps across power cycles: USB VID
// and PID as four ASCII characters each, three USB strings, and the 4-byte
// system setting. Selectors with bit 0 set read, the others write.
class ParamStore {
public:
    static constexpr std::uint8_t kSelectorVid = 0x08;
    static constexpr std::uint8_t kSelectorPid = 0x0A;
    static constexpr std::uint8_t kSelectorString1 = 0x10;
    static constexpr std::uint8_t kSelectorString2 = 0x14;
    static constexpr std::uint8_t kSelectorString3 = 0x18;
    static constexpr std::uint8_t kSelectorSysSetting = 0x20;  // 0x21 reads it
    static constexpr std::uint8_t kReadBit = 0x01;

    static constexpr std::size_t kDataRegisters = 8;
    static constexpr std::size_t kMaxStringLength = 31;
    static constexpr std::size_t kStringChunks = 4;  // packet: length byte + up to 31 characters
    static constexpr std::array<std::uint8_t, 4> kDefaultSysSetting = {0xA1, 0x00, 0x00, 0x00};

    using Data = std::array<std::uint8_t, kDataRegisters>;

    ParamStore();

    // One mailbox request: a write takes its bytes from `data` (the data
    // registers), a read fills `data`. For strings `argument` is the chunk
    // index 0-3. False when the selector or argument is not one the firmware
    // knows, and nothing changes.
    bool Apply(std::uint8_t selector, std::uint8_t argument, Data& data);

    std::string Vid() const { return std::string(vid_.begin(), vid_.end()); }
    std::string Pid() const { return std::string(pid_.begin(), pid_.end()); }
    // String 1, 2 or 3 as its packet now reads (length byte, then characters).
    std::string String(int which) const;
    std::array<std::uint8_t, 4> SysSetting() const { return sys_; }

    void SetVid(std::string_view text);
    void SetPid(std::string_view text);
    void SetString(int which, std::string_view text);
    void SetSysSetting(const std::array<std::uint8_t, 4>& setting) { sys_ = setting; }

    // String 1, 2 or 3 byte for byte as the host last wrote it, for keeping
    // the store between runs (a host may leave any bytes in a packet).
    using Packet = std::array<std::uint8_t, kDataRegisters * kStringChunks>;
    Packet StringPacket(int which) const { return strings_.at(which - 1); }
    void SetStringPacket(int which, const Packet& packet) { strings_.at(which - 1) = packet; }

private:
    static int StringIndexFor(std::uint8_t selector);
    bool ApplyString(int index, bool read, std::uint8_t chunk, Data& data);

    std::array<char, 4> vid_{};
    std::array<char, 4> pid_{};
    std::array<Packet, 3> strings_{};
    std::array<std::uint8_t, 4> sys_ = kDefaultSysSetting;
};

}  // namespace sim
