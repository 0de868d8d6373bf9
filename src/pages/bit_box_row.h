#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QString>
#include <cstdint>

namespace pages {

// The bits of one register byte as eight check boxes, bit 7 on the left, under
// the bit numbers "7 6 5 4 3 2 1 0" in a fixed-pitch font. The panel carries
// the given name; the boxes are named the prefix followed by their bit number.
class BitBoxRow : public QFrame {
    Q_OBJECT

public:
    BitBoxRow(const QString& panelName, const QString& labelName, const QString& boxPrefix,
              QWidget* parent = nullptr);

    // The byte the boxes show: bit i is set when box i is checked.
    std::uint8_t Value() const;
    void Show(std::uint8_t value);
    QCheckBox* Box(int bit) const;
    QLabel* BitNumbers() const { return numbers_; }

signals:
    // A mouse button was released over one of the boxes, after the box took
    // the click: the byte now shown is the one the user asked for. A box
    // toggled from the keyboard raises nothing.
    void mouseUp();

private:
    QString boxPrefix_;
    QLabel* numbers_;
};

}  // namespace pages
