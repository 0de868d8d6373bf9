#pragma once

#include <QFont>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <utility>

namespace pages {

// Controls carry the names of the window's form: handlers and tests find
// them by it. `args` go to the widget's constructor as they are.
template <typename Widget, typename... Args>
Widget* Named(const QString& name, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(name);
    return widget;
}

// A named label. A `points` above 0 sets its size; the face stays the one it
// inherits, so the label still follows the window's font.
inline QLabel* NamedLabel(const QString& name, const QString& text, QWidget* parent,
                          int points = 0) {
    auto* label = Named<QLabel>(name, text, parent);
    if (points > 0) {
        QFont font = label->font();
        font.setPointSize(points);
        label->setFont(font);
    }
    return label;
}

}  // namespace pages
