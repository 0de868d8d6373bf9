#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QScrollBar>
#include <QWidget>
#include <array>
#include <cstdint>

#include "pages/page_context.h"
#include "product/device_status.h"

namespace pages {

class I2cPage;

// The "Information" page: the product's connection, mute, input format and
// sample rate on request, its five HID media keys, and one free-form I2C
// transaction of up to five command and five data bytes.
class InformationPage : public QWidget {
    Q_OBJECT

public:
    // The special I2C group shares the slave address with the I2C Access page
    // and shows an address taken over here in that page's address edit.
    InformationPage(PageContext& context, I2cPage& i2cPage, QWidget* parent = nullptr);

    void btnUpdateStatusClick();
    void btnHIDClick(const QObject& sender);
    void srblen0Change();
    void srblen1Change();
    void edtMI2CAddr1KeyDown(int key);
    void btnWriteSpecI2CClick();
    void btnReadSpecI2CClick();

    std::array<std::uint8_t, 3> StatusBytes() const {
        return {status_.status0, status_.status1, status_.status2};
    }
    // False until an update has read all three bytes, and after one that failed.
    bool StatusKnown() const { return statusKnown_; }

private:
    static constexpr int kMaxBytes = 5;
    // The first bytes of a row of byte edits, as many as its length bar says.
    struct TypedBytes {
        std::array<std::uint8_t, kMaxBytes> bytes{};
        std::uint8_t count = 0;
    };

    QWidget* BuildStatus();
    QWidget* BuildHidKeys();
    QWidget* BuildSpecialI2c();
    QLayout* BuildLengthRow(const QString& labelName, const QString& caption, QScrollBar* bar,
                            QLabel* value);
    QLayout* BuildByteRow(const QString& labelName, const QString& caption,
                          const QString& editPrefix);
    QLabel* StatusLabel(const QString& name, const QString& text);
    QLabel* RowLabel(const QString& name, const QString& caption);
    void ShowStatus();
    void ShowStatusUnknown();
    void ShowOutcome(const QString& text);
    void PrepareI2c();
    void ShowLength(const QScrollBar& bar, QLabel& value, const QString& editPrefix);
    QLineEdit* ByteEdit(const QString& prefix, int i) const;
    TypedBytes CollectBytes(const QScrollBar& bar, const QString& prefix) const;

    PageContext& context_;
    I2cPage& i2cPage_;
    product::DeviceStatus status_;
    bool statusKnown_ = false;

    QLabel* lblConnect_;
    QLabel* lblMute_;
    std::array<QLabel*, 4> formatAndRate_{};  // the two captions and their values
    QLineEdit* edtMI2CAddr1_;
    QScrollBar* srblen0_;
    QScrollBar* srblen1_;
    QLabel* lbllencmd_;
    QLabel* lbllendat_;
    QLabel* lblInfoStatus_;
};

}  // namespace pages
