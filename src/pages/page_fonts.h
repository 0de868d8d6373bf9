#pragma once

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>
#include <QWidget>

namespace pages {

// Table cells, byte edits and bit numbers.
inline constexpr int kFixedPitchPoints = 9;

// A copy of `base` at `points` points, for headings and status labels.
inline QFont SizedFont(QFont base, int points, bool bold = false) {
    base.setPointSize(points);
    base.setBold(bold);
    return base;
}

// Hexadecimal values and bit numbers line up only in a fixed-pitch font. The
// size is always given in points: the system's fixed font may be set in
// pixels, and its pointSize() is then -1, no base to add to.
inline QFont FixedPitchFont(int points = kFixedPitchPoints, bool bold = false) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::Monospace);
    return SizedFont(font, points, bold);
}

// An edit for a few hexadecimal characters: fixed pitch, and just wide enough
// for `characters` of them and its frame, so a row of them stays compact.
inline void FitFixedPitch(QWidget& edit, int characters) {
    constexpr int kFramePadding = 12;
    edit.setFont(FixedPitchFont());
    edit.setFixedWidth(QFontMetrics(edit.font()).horizontalAdvance(QString(characters, u'0')) +
                       kFramePadding);
}

}  // namespace pages
