#include "pages/bit_box_row.h"

#include <QMouseEvent>
#include <QStyle>
#include <algorithm>
#include <functional>
#include <utility>

#include "pages/accessible.h"
#include "pages/page_fonts.h"

namespace pages {

namespace {

constexpr int kBits = 8;
constexpr int kMargin = 6;
constexpr int kRowGap = 2;

// A check box that reports the release of any mouse button after it has
// taken the click itself, so the handler sees the box's new state.
class BitBox final : public QCheckBox {
public:
    BitBox(std::function<void()> onRelease, QWidget* parent)
        : QCheckBox(parent), onRelease_(std::move(onRelease)) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QCheckBox::mouseReleaseEvent(event);
        onRelease_();
    }

private:
    std::function<void()> onRelease_;
};

}  // namespace

BitBoxRow::BitBoxRow(const QString& panelName, const QString& labelName, const QString& boxPrefix,
                     QWidget* parent)
    : QFrame(parent), boxPrefix_(boxPrefix), numbers_(new QLabel(this)) {
    setObjectName(panelName);
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    numbers_->setObjectName(labelName);
    numbers_->setText(QStringLiteral("7 6 5 4 3 2 1 0"));

    // Each box stands under its digit: the digits are spread to the boxes'
    // pitch with letter spacing, so the fixed-pitch label and the row agree.
    QFont fixed = FixedPitchFont();
    const int charWidth = QFontMetrics(fixed).horizontalAdvance(QLatin1Char('0'));
    auto* probe = new BitBox([] {}, this);
    const QSize boxSize = probe->sizeHint();
    delete probe;
    const int pitch = std::max(2 * charWidth, boxSize.width() + 8);
    fixed.setLetterSpacing(QFont::AbsoluteSpacing, (pitch - 2 * charWidth) / 2.0);
    numbers_->setFont(fixed);
    const int left = kMargin + std::max(0, (boxSize.width() - charWidth) / 2);
    numbers_->move(left, kMargin);
    numbers_->adjustSize();

    const int boxTop = kMargin + numbers_->height() + kRowGap;
    for (int column = 0; column < kBits; ++column) {
        const int bit = kBits - 1 - column;
        auto* box = new BitBox([this] { emit mouseUp(); }, this);
        box->setObjectName(boxPrefix + QString::number(bit));
        box->setToolTip(QStringLiteral("Bit %1").arg(bit));
        SetAccessibleTexts(box, QStringLiteral("Bit %1").arg(bit),
                           QStringLiteral("Sets or clears the bit and writes the byte"));
        box->setFixedSize(boxSize);
        box->move(left + column * pitch + (charWidth - boxSize.width()) / 2, boxTop);
    }
    setFixedSize(left + (kBits - 1) * pitch + charWidth + left,
                 boxTop + boxSize.height() + kMargin);
}

QCheckBox* BitBoxRow::Box(int bit) const {
    return findChild<QCheckBox*>(boxPrefix_ + QString::number(bit), Qt::FindDirectChildrenOnly);
}

std::uint8_t BitBoxRow::Value() const {
    std::uint8_t value = 0;
    for (int bit = 0; bit < kBits; ++bit) {
        if (Box(bit)->isChecked())
            value |= static_cast<std::uint8_t>(1u << bit);
    }
    return value;
}

void BitBoxRow::Show(std::uint8_t value) {
    for (int bit = 0; bit < kBits; ++bit)
        Box(bit)->setChecked((value >> bit) & 1u);
}

}  // namespace pages
