#pragma once

// What the parameter page's two files share: the parameter-store selectors,
// the field sizes and the outcome texts of the status line.

#include <QString>
#include <cstdint>

#include "chip/request_codes.h"

namespace pages::parameter_exchange {

// Parameter-store selectors; an odd selector reads.
inline constexpr std::uint8_t kSelectorVid = 0x08;
inline constexpr std::uint8_t kSelectorPid = 0x0A;
inline constexpr std::uint8_t kSelectorString1 = 0x10;
inline constexpr std::uint8_t kSelectorString2 = 0x14;
inline constexpr std::uint8_t kSelectorString3 = 0x18;
inline constexpr std::uint8_t kSelectorWriteSetting = 0x20;
inline constexpr std::uint8_t kSelectorReadSetting = 0x21;

inline constexpr int kIdLength = 4;
inline constexpr int kChunkSize = chip::kMailboxDataCount;
// The firmware stores each chunk before it takes the next one.
inline constexpr std::uint32_t kChunkPauseMs = 50;

inline const QString kReadDone = QStringLiteral("Read from the device");
inline const QString kWritten = QStringLiteral("Written");
inline const QString kNoAnswer = QStringLiteral("The device did not answer: nothing was changed");

}  // namespace pages::parameter_exchange
