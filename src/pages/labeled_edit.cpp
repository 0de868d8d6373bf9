#include "pages/labeled_edit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>

#include "pages/accessible.h"

namespace pages {

LabeledEdit::LabeledEdit(const QString& objectName, const QString& caption, const QString& text,
                         QWidget* parent)
    : QWidget(parent), label_(new QLabel(caption, this)), edit_(new QLineEdit(text, this)) {
    setObjectName(objectName);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(label_);
    layout->addWidget(edit_, 1);
    label_->setBuddy(edit_);
    edit_->setAccessibleName(NameFromCaption(caption));
    edit_->installEventFilter(this);
}

bool LabeledEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        emit keyDown(static_cast<QKeyEvent*>(event)->key());
    }
    return QWidget::eventFilter(watched, event);
}

KeyDownFilter::KeyDownFilter(QWidget* target) : QObject(target) {
    target->installEventFilter(this);
}

bool KeyDownFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        emit keyDown(static_cast<QKeyEvent*>(event)->key());
    return QObject::eventFilter(watched, event);
}

}  // namespace pages
