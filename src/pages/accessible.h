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

}  // namespace pages
