#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

namespace gui_test {

// Answers modal message boxes as they appear, in order, and records what they
// said; a box beyond the planned answers is dismissed as if cancelled. An extra action may run
// right after a box is answered (for example a click that lands while the run the box started is in
// progress).
class ModalAnswerer : public QObject {
public:
    ModalAnswerer();

    void Answer(QMessageBox::StandardButton button, std::function<void()> after = {});
    // The same, ticking the box's check box first.
    void AnswerTicked(QMessageBox::StandardButton button);

    const QStringList& Titles() const { return titles_; }
    const QStringList& Texts() const { return texts_; }
    QList<QMessageBox::Icon> Icons() const { return icons_; }
    // The button Enter would have pressed in each box.
    QList<QMessageBox::StandardButton> Defaults() const { return defaults_; }
    // Each box's check box as it was shown: "[ ] text" or "[x] text"; "" without one.
    const QStringList& CheckBoxes() const { return checkBoxes_; }
    int Pending() const { return static_cast<int>(answers_.size()); }

private:
    void Poll();

    struct Planned {
        QMessageBox::StandardButton button;
        std::function<void()> after;
        bool tick = false;
    };
    std::deque<Planned> answers_;
    QStringList titles_;
    QStringList texts_;
    QList<QMessageBox::Icon> icons_;
    QList<QMessageBox::StandardButton> defaults_;
    QStringList checkBoxes_;
    QTimer timer_;
};

}  // namespace gui_test
