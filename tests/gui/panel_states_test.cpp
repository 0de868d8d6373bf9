// The device panel walked through its states: in each, the whole panel says
// what is true then and nothing left over from the state before, and every
// line of it fits inside the compact window (the suite also runs at twice the
// font resolution, see tests/CMakeLists.txt).

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "form_test_rig.h"
#include "modal_answerer.h"
#include "product/run_state.h"
#include "sim/fault_plan.h"
#include "support/product_image.h"

namespace {

using gui_test::FormRig;
using gui_test::ModalAnswerer;

// The panel as the user reads it.
struct PanelView {
    QString device;
    QString file;
    QString process;  // ending in "…": the text starts so
    QString start;
    bool startEnabled = false;
    bool chooseFileEnabled = true;
    QString choice;  // "-": the product choice is hidden
};

std::string Describe(const PanelView& view) {
    return QStringLiteral(
               "device: %1\nfile: %2\nprocess: %3\nstart: %4 (%5)\nchoose file: %6\n"
               "choice: %7")
        .arg(view.device, view.file, view.process, view.start,
             view.startEnabled ? QStringLiteral("on") : QStringLiteral("off"),
             view.chooseFileEnabled ? QStringLiteral("on") : QStringLiteral("off"), view.choice)
        .toStdString();
}

struct Panel {
    std::unique_ptr<FormRig> rig;
    std::shared_ptr<sim::SimChip> chip;
    std::unique_ptr<ModalAnswerer> boxes = std::make_unique<ModalAnswerer>();

    Panel() {
        TForm1::Options options;
        // The window's own scaling follows the screen, as in the shipped tool.
        options.logicalDpi = static_cast<int>(QApplication::primaryScreen()->logicalDotsPerInch());
        rig = std::make_unique<FormRig>(options);
    }
    QPushButton* Start() const { return rig->Find<QPushButton>("btnSimpleAuto"); }
    QComboBox* Choice() const { return rig->Find<QComboBox>("cbxRecoveryProduct"); }
    void Ticks(int count) const {
        for (int tick = 0; tick < count; ++tick)
            rig->Tick();
    }
    void F066File() const {
        rig->WriteFile("PaleReed_f066.hex", gui_test::HexFileOf(test_support::ProductImage(
                                                0x2FC6, 0xF066, 0x2000, 0x21)));
    }
    void PlugProduct() {
        sim::ProductConfig config;
        config.flash = sim::FlashModel::W25q80;
        chip = rig->Plug(config);
        ASSERT_GT(rig->TickUntilFound(), 0);
    }
    // A chip found waiting, blank: its flash cannot say what it was.
    void PlugBlankChip() {
        sim::ProductConfig config;
        config.row = 4;
        config.blankFlash = true;
        chip = rig->Plug(config);
        ASSERT_GT(rig->TickUntilFound(), 0);
    }
    void Run(QMessageBox::StandardButton answer) const {
        boxes->Answer(answer);
        Start()->click();
    }
    // Power lost while the erase is polled.
    void RunLosingPower() const {
        sim::FaultPlan plan;
        plan.powerLossAtRequest = 400;
        rig->bus.SetFaultPlan(plan);
        Run(QMessageBox::Ok);
        rig->bus.SetFaultPlan({});
    }
    void TwoFilesForABlankChip() const {
        rig->WriteFile("PaleReed_f067.hex", gui_test::HexFileOf({1, 2, 3}));
        rig->WriteFile("PaleReed_f06A.hex", gui_test::HexFileOf(test_support::ProductImage(
                                                0x2FC6, 0xF06A, 0x1000, 0x44)));
    }

    PanelView View() const {
        PanelView view;
        view.device = rig->Find<QLabel>("lblDetectDevice")->text();
        view.file = rig->Find<QLabel>("lblUpdaeFileStatus")->text();
        view.process = rig->Find<QLabel>("lblISPProcStatus")->text();
        view.start = Start()->text();
        view.startEnabled = Start()->isEnabled();
        auto* choose = rig->Find<QPushButton>("btnChooseFile");
        view.chooseFileEnabled = !choose->isHidden() && choose->isEnabled() &&
                                 !rig->Find<QLabel>("lblDropHint")->isHidden();
        view.choice = Choice()->isHidden() ? QStringLiteral("-") : Choice()->currentText();
        return view;
    }
};

struct PanelCase {
    std::string name;
    std::function<void(Panel&)> arrange;
    PanelView expected;  // "{dir}" stands for the working folder
};

void PrintTo(const PanelCase& c, std::ostream* out) {
    *out << c.name;
}

QString Filled(QString text) {
    return text.replace(QStringLiteral("{dir}"), QDir::toNativeSeparators(QDir::currentPath()));
}

const QString kWaiting =
    QStringLiteral("A device is waiting for its firmware: an earlier update did not finish.");

const PanelCase kCases[] = {
    {"NothingPluggedNoFile",
     [](Panel&) {},
     {"No device is available",
      "No Updated File !   Looked for the products' update files (PaleReed_f066.hex and so on) "
      "in:\n{dir}",
      "", "Start", false, true, "-"}},
    {"NothingPluggedFileInFolder",
     [](Panel& p) {
         p.F066File();
         p.Ticks(10);
     },
     {"No device is available",
      "Update Hex file   PaleReed_f066.hex    for Pale Reed F066 is here: plug in the "
      "product.\nFrom the current folder: {dir}",
      "", "Start", false, true, "-"}},
    {"ProductReady",
     [](Panel& p) {
         p.F066File();
         p.PlugProduct();
     },
     {"Find Device Pale Reed F066",
      "Update Hex file   PaleReed_f066.hex    is Ready!\nFrom the current folder: {dir}", "",
      "Start", true, true, "-"}},
    {"ProductWithoutFile",
     [](Panel& p) { p.PlugProduct(); },
     {"Find Device Pale Reed F066", "No Updated File !   Looked for PaleReed_f066.hex in:\n{dir}",
      "", "Start", false, true, "-"}},
    {"ProductUnplugged",
     [](Panel& p) {
         p.F066File();
         p.PlugProduct();
         p.rig->Unplug();
         p.Ticks(2);
     },
     {"No device is available",
      "Update Hex file   PaleReed_f066.hex    for Pale Reed F066 is here: plug in the "
      "product.\nFrom the current folder: {dir}",
      "", "Start", false, true, "-"}},
    {"Cancelled",
     [](Panel& p) {
         p.F066File();
         p.PlugProduct();
         p.Run(QMessageBox::Cancel);
     },
     {"Find Device Pale Reed F066",
      "Update Hex file   PaleReed_f066.hex    is Ready!\nFrom the current folder: {dir}",
      "Abort Firmware update process", "Start", true, true, "-"}},
    {"CancelledThenUnplugged",
     [](Panel& p) {
         p.F066File();
         p.PlugProduct();
         p.Run(QMessageBox::Cancel);
         p.rig->Unplug();
         p.Ticks(2);
     },
     {"No device is available",
      "Update Hex file   PaleReed_f066.hex    for Pale Reed F066 is here: plug in the "
      "product.\nFrom the current folder: {dir}",
      "", "Start", false, true, "-"}},
    {"Succeeded",
     [](Panel& p) {
         p.F066File();
         p.PlugProduct();
         p.Run(QMessageBox::Ok);
     },
     {"Find Device Pale Reed F066",
      "Update Hex file   PaleReed_f066.hex    is Ready!\nFrom the current folder: {dir}",
      "Firmware update success!", "Finish", false, true, "-"}},
    {"Failed",
     [](Panel& p) {
         p.F066File();
         p.PlugProduct();
         p.RunLosingPower();
     },
     {"Find Device Pale Reed F066",
      "Update Hex file   PaleReed_f066.hex    is Ready!\nFrom the current folder: {dir}",
      "The device stopped answering at the erase step\u2026", "Start", true, true, "-"}},
    {"FailedAndWaiting",
     [](Panel& p) {
         p.F066File();
         p.PlugProduct();
         p.RunLosingPower();
         ASSERT_GT(p.rig->TickUntilFound(), 0);
     },
     {"Firmware update device 2FC6 is exist",
      kWaiting + " \"Start\" writes PaleReed_f066.hex for Pale Reed F066.\nFrom the current "
                 "folder: {dir}",
      "The device stopped answering at the erase step\u2026", "Start", true, true, "-"}},
    {"RecoveryFailed",
     [](Panel& p) {
         p.F066File();
         p.PlugProduct();
         p.RunLosingPower();
         ASSERT_GT(p.rig->TickUntilFound(), 0);
         p.RunLosingPower();
     },
     {"Firmware update device 2FC6 is exist",
      "Update Hex file   PaleReed_f066.hex    is Ready!\nFrom the current folder: {dir}",
      "The device stopped answering at the erase step\u2026", "Start", true, true, "-"}},
    {"BareChipAsksWhichProduct",
     [](Panel& p) {
         p.TwoFilesForABlankChip();
         p.PlugBlankChip();
     },
     {"Firmware update device 2FC6 is exist",
      kWaiting + " It cannot tell which product it was: choose the product in the list below, "
                 "or choose a file.",
      "", "Start", false, true, ""}},
    {"BareChipProductChosen",
     [](Panel& p) {
         p.TwoFilesForABlankChip();
         p.PlugBlankChip();
         p.Choice()->setCurrentIndex(1);
     },
     {"Firmware update device 2FC6 is exist",
      kWaiting + " \"Start\" writes PaleReed_f06A.hex for Pale Reed F06A (the chip cannot tell "
                 "which product it was).\nFrom the current folder: {dir}",
      "", "Start", true, true, "Pale Reed F06A"}},
    {"RecoverySucceeded",
     [](Panel& p) {
         p.TwoFilesForABlankChip();
         p.PlugBlankChip();
         p.Choice()->setCurrentIndex(1);
         p.Run(QMessageBox::Ok);
     },
     {"Find Device Pale Reed F06A",
      "Update Hex file   PaleReed_f06A.hex    is Ready!\nFrom the current folder: {dir}",
      "Firmware update success!", "Finish", false, true, "-"}},
};

class PanelIn : public testing::TestWithParam<PanelCase> {};

TEST_P(PanelIn, SaysWhatIsTrueInThatStateAndNothingElse) {
    Panel panel;
    GetParam().arrange(panel);
    PanelView expected = GetParam().expected;
    expected.file = Filled(expected.file);
    const PanelView shown = panel.View();
    if (expected.process.endsWith(QChar(0x2026))) {
        expected.process.chop(1);
        EXPECT_TRUE(shown.process.startsWith(expected.process)) << shown.process.toStdString();
        expected.process = shown.process;
    }
    EXPECT_EQ(Describe(shown), Describe(expected));
}

// Every line of the panel is inside the window and tall enough for all its
// wrapped lines, with the window no smaller than it starts.
TEST_P(PanelIn, EveryTextFitsInTheWindow) {
    Panel panel;
    TForm1& form = panel.rig->Form();
    form.show();
    GetParam().arrange(panel);
    QApplication::processEvents();
    QApplication::processEvents();
    const int extra = QApplication::primaryScreen()->logicalDotsPerInch() >= 120 ? 140 : 0;
    EXPECT_GE(form.width(), 606 + extra);
    EXPECT_GE(form.height(), 200 + extra);
    const QRect window = form.rect();
    for (QWidget* widget : form.findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->window() != &form)
            continue;
        const QRect inWindow(widget->mapTo(&form, QPoint(0, 0)), widget->size());
        EXPECT_TRUE(window.contains(inWindow))
            << widget->objectName().toStdString() << " at " << inWindow.x() << "," << inWindow.y()
            << " " << inWindow.width() << "x" << inWindow.height() << " in " << window.width()
            << "x" << window.height();
        if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && label->wordWrap()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                << label->objectName().toStdString() << ": " << label->text().toStdString();
        }
        if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && !label->wordWrap()) {
            EXPECT_GE(label->width(), label->sizeHint().width())
                << label->objectName().toStdString() << ": " << label->text().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(States, PanelIn, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<PanelCase>& info) {
                             return info.param.name;
                         });

// A long file name is elided in the middle, not cut at the window's edge; the
// whole path is in the tool tip.
TEST(PanelFileLine, ALongFileNameIsElidedInTheMiddleWithTheWholePathAsToolTip) {
    Panel panel;
    const QString name =
        QStringLiteral("release-") + QString(120, QLatin1Char('x')) + QStringLiteral("-final.hex");
    panel.rig->WriteFile(name, gui_test::HexFileOf(test_support::ProductImage(0x2FC6, 0xF066)));
    panel.rig->Form().SetFileChooser([&](QWidget*, const pages::FileDialogSetup&) {
        return QDir(panel.rig->WorkDir()).filePath(name);
    });
    panel.rig->Find<QPushButton>("btnChooseFile")->click();
    auto* line = panel.rig->Find<QLabel>("lblUpdaeFileStatus");
    EXPECT_TRUE(line->text().contains(QStringLiteral("release-x")) &&
                line->text().contains(QStringLiteral("x-final.hex")) &&
                line->text().contains(QChar(0x2026)))
        << line->text().toStdString();
    EXPECT_EQ(line->toolTip(), QDir::toNativeSeparators(QDir(panel.rig->WorkDir()).filePath(name)));
}

}  // namespace

namespace {

// The current folder, the tool's own, then the download folder: the first
// that holds the product's file gives it, and the panel says which it was.
TEST(PanelFileLine, TheDownloadFolderIsSearchedAfterTheCurrentAndTheToolsFolders) {
    QTemporaryDir tool;
    QTemporaryDir downloads;
    TForm1::Options options;
    options.secondFolder = tool.path();
    options.downloadFolder = downloads.path();
    FormRig rig(options);
    const QByteArray file =
        gui_test::HexFileOf(test_support::ProductImage(0x2FC6, 0xF066, 0x2000, 0x21));
    rig.WriteFile(QDir(downloads.path()).filePath("PaleReed_f066.hex"), file);
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    auto* line = rig.Find<QLabel>("lblUpdaeFileStatus");
    EXPECT_EQ(line->text(),
              "Update Hex file   PaleReed_f066.hex    is Ready!\nFrom the download "
              "folder: " +
                  QDir::toNativeSeparators(downloads.path()));
    EXPECT_TRUE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());

    rig.WriteFile(QDir(tool.path()).filePath("PaleReed_f066.hex"), file);
    rig.Unplug();
    rig.Tick();
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_EQ(line->text(),
              "Update Hex file   PaleReed_f066.hex    is Ready!\nFrom the tool's "
              "own folder: " +
                  QDir::toNativeSeparators(tool.path()));
}

}  // namespace

namespace {

// The box that refuses to close speaks of an operation going on: it goes
// once nothing holds the link any more.
TEST(PanelCloseRefusal, GoesWhenTheLinkIsFreeAgain) {
    FormRig rig;
    rig.Form().show();
    QPointer<QMessageBox> box;
    {
        const product::RunState::LinkHold held(rig.runState);
        EXPECT_FALSE(rig.Form().close());
        box = rig.Form().findChild<QMessageBox*>(QStringLiteral("CloseRefusedBox"));
        ASSERT_FALSE(box.isNull());
        EXPECT_TRUE(box->isVisible());
        rig.Tick();  // a tick under the hold leaves it
        EXPECT_TRUE(box->isVisible());
    }
    rig.Tick();
    EXPECT_TRUE(box.isNull() || !box->isVisible());
}

}  // namespace
