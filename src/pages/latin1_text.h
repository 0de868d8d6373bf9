#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <string_view>

namespace pages {

// The core reports its texts as plain byte strings; every one of them is
// ASCII, which Latin-1 reads unchanged.
inline QString FromLatin1View(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The text as the single-byte codes the product stores, or nothing when a
// character has no such code: converting it anyway would send '?' in its place.
inline std::optional<QByteArray> ExactLatin1(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return std::nullopt;
    }
    return text.toLatin1();
}

}  // namespace pages
