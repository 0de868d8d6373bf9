#pragma once

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QObject>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <cstdint>

#include "pages/page_context.h"

namespace pages {

class LabeledEdit;

// The "Parameter" page: the product parameters in the chip's parameter store.
// The options edit the 4-byte system setting in memory only, "Set" sends it
// whole and "Read back" fetches it; the IDs and strings go out on Enter.
class ParameterPage : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxStringLength = 31;

    explicit ParameterPage(PageContext& context, QWidget* parent = nullptr);

    // Shows sysSetting on the option controls; also the start-up hook.
    void ShowSysSetting();

    void btnReadParaClick();
    void btnSetParaClick();
    void lbledSysVIDPIDKeyDown(const LabeledEdit& sender, int key);
    void lbledSysStrKeyDown(const LabeledEdit& sender, int key);
    void rbnI2SlenClick();
    void rbnSPDIFlenClick();
    void chkI2SLRSwapClick();
    void chkDSDLRSwapClick();
    void rbnMCLKOutFreqClick(const QObject& sender);
    void rbnI2SFormatClick();
    void rbnDSDOutClick();
    void chkMCLKOutOffClick();
    void chkI2SOutOffClick();
    void chkSPDIFOutOffClick();

private:
    QWidget* BuildOptions();
    void AddSwitchesAndButtons(QGridLayout& grid);
    QWidget* BuildIdentity();
    QRadioButton* Radio(const QString& name, const QString& text);
    QCheckBox* Check(const QString& name, const QString& text);
    LabeledEdit* Edit(const QString& name, const QString& caption, const QString& text);
    void ConnectOptions();
    void ConnectEdits();
    void SetSettingBit(int byte, int bit, bool on);
    bool DeviceBusy() const;
    void SendString(std::uint8_t selector, const QByteArray& characters);

    PageContext& context_;
    QLabel* lblEepAvail_;
    QPushButton* btnReadPara_;
    QPushButton* btnSetPara_;
};

}  // namespace pages
