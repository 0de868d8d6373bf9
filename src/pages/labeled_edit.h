#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace pages {

// An edit with its caption label beside it, as one control: the name given
// to it is the control's name, its text is the edit's text.
class LabeledEdit : public QWidget {
    Q_OBJECT

public:
    LabeledEdit(const QString& objectName, const QString& caption, const QString& text,
                QWidget* parent = nullptr);

    QString text() const { return edit_->text(); }
    void setText(const QString& text) { edit_->setText(text); }
    QLineEdit* edit() const { return edit_; }
    QLabel* label() const { return label_; }
    // What the edit is for, for a screen reader; its name is the caption's.
    void Describe(const QString& description) { edit_->setAccessibleDescription(description); }

signals:
    // Every key pressed in the edit, before the edit handles it; nothing is consumed.
    void keyDown(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* label_;
    QLineEdit* edit_;
};

// Installs a key-down notification on any widget: `onKey` runs for each key
// pressed in it, before the widget handles the key; nothing is consumed.
class KeyDownFilter : public QObject {
    Q_OBJECT

public:
    explicit KeyDownFilter(QWidget* target);

signals:
    void keyDown(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace pages
