#include "chip/flash_commands.h"

#include <algorithm>
#include <optional>
#include <string>

#include "chip/registers.h"
#include "chip/request_codes.h"
#include "usb/quorvex_usb.h"

namespace chip {

namespace {

// Ready-poll bounds. A status read gives up fast because its 0xFF answer looks
// busy, so its callers simply poll the status again; a block read has no such
// second chance and waits one millisecond per not-ready answer.
constexpr int kStatusReadyPolls = 10;
constexpr int kIdReadyPolls = 100;
constexpr int kBlockReadyPolls = 100;
constexpr std::uint32_t kBlockPollPauseMs = 1;
// The engine clocks a block of up to 64 bytes out well within one request's
// time, but a longer one (up to 255 bytes takes some 0.2 ms) may still be
// clocking at the first ready query on a fast link; it is asked once more at
// once before the 1 ms pauses start, instead of waiting five times longer
// than the block needs.
constexpr std::uint16_t kBlockReadyWithinOneRequest = 64;

// What a status read yields when the flash never answered; callers take it for busy.
constexpr std::uint8_t kNoStatus = 0xFF;

constexpr std::uint8_t kStatusReplyCount = 1;
constexpr std::uint8_t kIdReplyCount = 3;

constexpr std::size_t kAddressBytes = 3;
constexpr std::size_t kWordBytes = 2;

// Flash addresses travel most significant byte first.
void PutAddress(std::uint8_t* out, std::uint32_t address) {
    out[0] = static_cast<std::uint8_t>(address >> 16);
    out[1] = static_cast<std::uint8_t>(address >> 8);
    out[2] = static_cast<std::uint8_t>(address);
}

bool SendInstruction(usb::QuorvexUsb& link, std::uint16_t index, std::span<std::uint8_t> bytes) {
    return link.VendorRequest(kTypeOut, kRequestFlashInstruction, 0, index, bytes.data(),
                              static_cast<std::uint32_t>(bytes.size()));
}

// True once the engine has the reply ready. Otherwise `why` says what the
// last query met, taken there and then: its request's own error, or an
// engine that kept answering "not ready" (which fails no request, so the
// link's last error would then be some earlier request's).
bool PollReady(usb::QuorvexUsb& link, int polls, std::uint32_t pauseMs, std::string& why) {
    std::optional<bool> ready;
    for (int i = 0; i < polls; ++i) {
        ready = FlashReadyFlag(link);
        if (ready.value_or(false))
            return true;
        if (pauseMs != 0)
            link.SleepMs(pauseMs);
    }
    // No request went out after the last query, so a failed one's error is still its own.
    why = ready ? "the reply was not ready after " + std::to_string(polls) + " checks"
                : link.LastRequestError();
    return false;
}

bool PollReady(usb::QuorvexUsb& link, int polls, std::uint32_t pauseMs) {
    std::string unused;
    return PollReady(link, polls, pauseMs, unused);
}

// Empty when the ID arrived in `chipId`; otherwise why not.
std::optional<std::string> ReadIdInto(usb::QuorvexUsb& link, ChipIdBytes& chipId) {
    // As for the status: a lost instruction leaves an earlier reply behind.
    if (!FlashCommand(link, kFlashReadId, kIdReplyCount))
        return link.LastRequestError();
    std::string notReady;
    if (!PollReady(link, kIdReadyPolls, 0, notReady))
        return notReady;
    if (!FlashFetch(link, kIdReplyCount, chipId.data()))
        return link.LastRequestError();
    return std::nullopt;
}

}  // namespace

bool FlashWrite(usb::QuorvexUsb& link, std::uint8_t instruction,
                std::span<const std::uint8_t> data) {
    if (data.size() > kMaxFlashWriteData)
        return false;
    std::array<std::uint8_t, 1 + kMaxFlashWriteData> bytes{instruction};
    std::copy(data.begin(), data.end(), bytes.begin() + 1);
    return SendInstruction(link, kInstructionEnds, std::span(bytes).first(1 + data.size()));
}

bool FlashCommand(usb::QuorvexUsb& link, std::uint8_t instruction, std::uint8_t replyCount) {
    return link.VendorRequest(kTypeOut, kRequestFlashReadBackInstruction, replyCount,
                              kInstructionEnds, &instruction, 1);
}

bool FlashFetch(usb::QuorvexUsb& link, std::uint8_t count, std::uint8_t* destination) {
    if (count == 0 || destination == nullptr)
        return false;
    // Staged so that a failed fetch (a short answer counts as one) leaves the
    // destination exactly as it was.
    std::array<std::uint8_t, kMaxFetchLength> staging;
    std::copy_n(destination, count, staging.begin());
    if (!link.VendorRequest(kTypeIn, kRequestFlashFetch, 0, 0, staging.data(), count)) {
        return false;
    }
    std::copy_n(staging.begin(), count, destination);
    return true;
}

bool FlashWriteEnable(usb::QuorvexUsb& link) {
    return FlashWrite(link, kFlashWriteEnable, {});
}

bool FlashWriteDisable(usb::QuorvexUsb& link) {
    return FlashWrite(link, kFlashWriteDisable, {});
}

bool FlashEraseChip(usb::QuorvexUsb& link) {
    return FlashWrite(link, kFlashChipErase, {});
}

bool FlashEraseSector(usb::QuorvexUsb& link, std::uint32_t address) {
    std::array<std::uint8_t, kAddressBytes> bytes;
    PutAddress(bytes.data(), address);
    return FlashWrite(link, kFlashSectorErase, bytes);
}

bool FlashWriteStatus(usb::QuorvexUsb& link, std::uint8_t value) {
    return FlashWrite(link, kFlashWriteStatus, std::span(&value, 1));
}

std::uint8_t FlashReadStatus(usb::QuorvexUsb& link) {
    // After a lost instruction the engine still holds the reply of the one
    // before (a data byte, say), which must never pass for the status.
    if (!FlashCommand(link, kFlashReadStatus, kStatusReplyCount))
        return kNoStatus;
    std::uint8_t status = kNoStatus;
    if (PollReady(link, kStatusReadyPolls, 0)) {
        FlashFetch(link, kStatusReplyCount, &status);
    }
    return status;
}

bool FlashReadId(usb::QuorvexUsb& link, ChipIdBytes& chipId, std::string* why) {
    const std::optional<std::string> failure = ReadIdInto(link, chipId);
    if (failure && why != nullptr)
        *why = *failure;
    return !failure;
}

bool FlashReadBlock(usb::QuorvexUsb& link, std::uint32_t address, std::uint16_t length,
                    std::uint8_t* destination) {
    if (length == 0 || length > kMaxFetchLength || destination == nullptr)
        return false;
    std::array<std::uint8_t, 1 + kAddressBytes> bytes{kFlashRead};
    PutAddress(bytes.data() + 1, address);
    if (!link.VendorRequest(kTypeOut, kRequestFlashReadBackInstruction, length, kInstructionEnds,
                            bytes.data(), bytes.size())) {
        return false;
    }
    const bool quickSecondQuery = length > kBlockReadyWithinOneRequest;
    if (quickSecondQuery && PollReady(link, 1, 0))
        return FlashFetch(link, static_cast<std::uint8_t>(length), destination);
    if (!PollReady(link, kBlockReadyPolls - (quickSecondQuery ? 1 : 0), kBlockPollPauseMs))
        return false;
    return FlashFetch(link, static_cast<std::uint8_t>(length), destination);
}

bool FlashPageProgram(usb::QuorvexUsb& link, std::uint32_t address, std::uint16_t length,
                      const std::uint8_t* data) {
    if (length == 0 || length > kMaxPageProgramLength || data == nullptr)
        return false;
    std::array<std::uint8_t, 1 + kAddressBytes> header{kFlashPageProgram};
    PutAddress(header.data() + 1, address);
    // Without its header the data would reach the flash as an instruction of
    // its own: page data starting with 0xC7 is a chip erase.
    if (!SendInstruction(link, kInstructionContinues, header))
        return false;
    std::array<std::uint8_t, kMaxPageProgramLength> page;
    std::copy_n(data, length, page.begin());
    return SendInstruction(link, kInstructionEnds, std::span(page).first(length));
}

bool FlashWordProgram(usb::QuorvexUsb& link, std::uint32_t address, std::uint16_t length,
                      const std::uint8_t* data) {
    if (length < kWordBytes || length % kWordBytes != 0 || length > kMaxPageProgramLength ||
        data == nullptr) {
        return false;
    }
    std::array<std::uint8_t, 1 + kAddressBytes + kWordBytes> first{kFlashWordProgram};
    PutAddress(first.data() + 1, address);
    first[1 + kAddressBytes] = data[0];
    first[2 + kAddressBytes] = data[1];
    // The flash advances the address itself; each further word is an
    // instruction of its own. After a lost word every later one would land
    // two bytes early, so the sequence stops at the first failure.
    if (!SendInstruction(link, kInstructionEnds, first))
        return false;
    for (std::size_t k = kWordBytes; k < length; k += kWordBytes) {
        std::array<std::uint8_t, 1 + kWordBytes> next{kFlashWordProgram, data[k], data[k + 1]};
        if (!SendInstruction(link, kInstructionEnds, next))
            return false;
    }
    return true;
}

}  // namespace chip
