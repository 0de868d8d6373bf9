#pragma once

#include <QFont>
#include <QFontDatabase>

namespace pages {

// Hexadecimal values and bit numbers line up only in a fixed-pitch font.
inline QFont FixedPitchFont(int extraPoints = 0, bool bold = false) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::Monospace);
    if (extraPoints != 0)
        font.setPointSize(font.pointSize() + extraPoints);
    font.setBold(bold);
    return font;
}

// A copy of `base` at `points` points, for headings and status labels.
inline QFont SizedFont(QFont base, int points, bool bold = false) {
    base.setPointSize(points);
    base.setBold(bold);
    return base;
}

}  // namespace pages
