#pragma once

#include <QString>
#include <string_view>

namespace pages {

// The core reports its texts as plain byte strings; every one of them is
// ASCII, which Latin-1 reads unchanged.
inline QString FromLatin1View(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace pages
