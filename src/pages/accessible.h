#pragma once

#include <QString>
#include <QWidget>

namespace pages {

// What a screen reader says of a control: its name, and what it is for or
// what it shows. Set where the control is made, next to its visible text.
inline void SetAccessibleTexts(QWidget* widget, const QString& name, const QString& description) {
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}

// The name a caption gives its control, without the punctuation around it:
// " Save" is "Save", "Start Addr:" is "Start Addr", "Write Status : 0x" is
// "Write Status".
inline QString NameFromCaption(const QString& caption) {
    QString name = caption.trimmed();
    if (name.endsWith(QStringLiteral("0x")))
        name.chop(2);
    name = name.trimmed();
    while (name.endsWith(QLatin1Char(':')) || name.endsWith(QChar(0x2026)))
        name = name.chopped(1).trimmed();
    return name;
}

}  // namespace pages
