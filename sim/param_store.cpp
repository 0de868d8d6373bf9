#include "sim/param_store.h"

#include <algorithm>

namespace sim {
namespace {

template <std::size_t N>
void CopyText(std::array<char, N>& to, std::string_view text) {
    to.fill('\0');
    std::copy_n(text.begin(), std::min(text.size(), N), to.begin());
}

}  // namespace

ParamStore::ParamStore() {
    SetVid("2fc6");
    SetPid("f066");
    SetString(1, "Quorvex-inc");
    SetString(2, "Quorvex-inc UAC2 22");
    SetString(3, "QVUA170203");
}

int ParamStore::StringIndexFor(std::uint8_t selector) {
    switch (selector) {
        case kSelectorString1:
            return 0;
        case kSelectorString2:
            return 1;
        case kSelectorString3:
            return 2;
        default:
            return -1;
    }
}

bool ParamStore::Apply(std::uint8_t selector, std::uint8_t argument, Data& data) {
    const bool read = (selector & kReadBit) != 0;
    const auto base = static_cast<std::uint8_t>(selector & ~kReadBit);
    if (const int index = StringIndexFor(base); index >= 0) {
        return ApplyString(index, read, argument, data);
    }
    if (argument != 0)
        return false;
    std::uint8_t* field = nullptr;
    std::size_t size = 4;
    if (base == kSelectorVid) {
        field = reinterpret_cast<std::uint8_t*>(vid_.data());
    } else if (base == kSelectorPid) {
        field = reinterpret_cast<std::uint8_t*>(pid_.data());
    } else if (base == kSelectorSysSetting) {
        field = sys_.data();
    } else {
        return false;
    }
    if (read) {
        std::copy_n(field, size, data.begin());
    } else {
        std::copy_n(data.begin(), size, field);
    }
    return true;
}

bool ParamStore::ApplyString(int index, bool read, std::uint8_t chunk, Data& data) {
    if (chunk >= kStringChunks)
        return false;
    auto at = strings_[index].begin() + chunk * kDataRegisters;
    if (read) {
        std::copy_n(at, kDataRegisters, data.begin());
    } else {
        std::copy_n(data.begin(), kDataRegisters, at);
    }
    return true;
}

std::string ParamStore::String(int which) const {
    if (which < 1 || which > 3)
        return {};
    const Packet& packet = strings_[which - 1];
    const std::size_t n = std::min<std::size_t>(packet[0], kMaxStringLength);
    return std::string(packet.begin() + 1, packet.begin() + 1 + n);
}

void ParamStore::SetVid(std::string_view text) {
    CopyText(vid_, text);
}

void ParamStore::SetPid(std::string_view text) {
    CopyText(pid_, text);
}

void ParamStore::SetString(int which, std::string_view text) {
    if (which < 1 || which > 3)
        return;
    Packet& packet = strings_[which - 1];
    packet.fill(0);
    const std::size_t n = std::min(text.size(), kMaxStringLength);
    packet[0] = static_cast<std::uint8_t>(n);
    std::copy_n(text.begin(), n, packet.begin() + 1);
}

}  // namespace sim
