#include "modal_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

namespace gui_test {

ModalAnswerer::ModalAnswerer() {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
    timer_.start();
}

void ModalAnswerer::Answer(QMessageBox::StandardButton button, std::function<void()> after) {
    answers_.push_back({button, std::move(after)});
}

void ModalAnswerer::AnswerTicked(QMessageBox::StandardButton button) {
    answers_.push_back({button, {}, true});
}

void ModalAnswerer::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible())
        return;
    // A box nobody planned for is recorded and dismissed, so a test that did
    // not expect it fails on its checks instead of waiting for ever.
    Planned planned{QMessageBox::Cancel, {}};
    if (!answers_.empty()) {
        planned = std::move(answers_.front());
        answers_.pop_front();
    }
    titles_ << box->windowTitle();
    texts_ << box->text();
    icons_ << box->icon();
    defaults_ << box->standardButton(box->defaultButton());
    QCheckBox* check = box->checkBox();
    checkBoxes_ << (check == nullptr ? QString()
                                     : (check->isChecked() ? "[x] " : "[ ] ") + check->text());
    if (check != nullptr && planned.tick)
        check->setChecked(true);
    QAbstractButton* button = box->button(planned.button);
    if (button != nullptr) {
        button->click();
    } else {
        box->reject();
    }
    if (planned.after)
        QTimer::singleShot(0, planned.after);
}

}  // namespace gui_test
