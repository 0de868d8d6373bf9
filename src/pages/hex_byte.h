#pragma once

#include <QLatin1Char>
#include <QString>
#include <cstdint>

namespace pages {

// A byte as the pages show it: two upper-case hexadecimal digits, no prefix.
inline QString HexByte(std::uint8_t value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace pages
