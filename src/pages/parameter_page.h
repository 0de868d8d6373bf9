#pragma once

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QObject>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <optional>

#include "pages/page_context.h"
#include "product/parameter_ops.h"

namespace pages {

class LabeledEdit;
}  // namespace pages
class QAbstractButton;
namespace pages {

// The "Parameter" page: the product parameters in the chip's parameter store.
// The options edit the 4-byte system setting in memory only, "Set" sends it
// whole and "Read back" fetches it; the IDs and strings go out on Enter. The
// status line says how each exchange with the device ended.
class ParameterPage : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxStringLength = static_cast<int>(product::kMaxProductStringLength);

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
    // Changes the setting in memory through its named fields.
    template <typename Change>
    void ChangeSetting(Change change);
    // Enter's text as single-byte codes, or nothing after a box that names the field.
    std::optional<QByteArray> FieldBytes(const LabeledEdit& sender);
    void SendString(product::ProductString which, const QByteArray& characters);
    // Radio groups without a choice and cleared boxes: what the device holds is not known.
    void ShowSettingUnknown();
    // The radio buttons and check boxes of the setting.
    QList<QAbstractButton*> OptionButtons() const;
    void ShowOutcome(const QString& text);

    PageContext& context_;
    // The four setting bytes held are the device's own, read back since the
    // page started and not lost to a failed read: only then may "Set" send
    // them, the bytes no control shows among them.
    bool settingRead_ = false;
    QWidget* options_ = nullptr;
    QLabel* lblParaStatus_;
    QLabel* lblEepAvail_;
    QPushButton* btnReadPara_;
    QPushButton* btnSetPara_;
};

}  // namespace pages
