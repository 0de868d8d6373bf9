// What a screen reader and a keyboard-only user get of the window: every
// control named and described, the indicator's colour in words, the
// progress as a value, and every action of the compact window within Tab's reach.

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "form_test_rig.h"
#include "modal_answerer.h"
#include "support/product_image.h"

namespace {

using gui_test::FormRig;

// A control the user works with, as opposed to one that only shows text or
// is a part of another control (a combo box's edit, a grid's own scroll bars).
bool IsInteractive(const QWidget* widget) {
    for (const QWidget* up = widget->parentWidget(); up != nullptr; up = up->parentWidget()) {
        if (qobject_cast<const QComboBox*>(up) != nullptr ||
            qobject_cast<const QAbstractScrollArea*>(up) != nullptr ||
            qobject_cast<const QTabBar*>(up) != nullptr)
            return false;
    }
    // A control of its own making, such as the byte tables' grid.
    if ((widget->focusPolicy() & Qt::TabFocus) != 0 &&
        qobject_cast<const QTabWidget*>(widget) == nullptr)
        return true;
    return qobject_cast<const QAbstractButton*>(widget) != nullptr ||
           qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QComboBox*>(widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(widget) != nullptr ||
           qobject_cast<const QAbstractSlider*>(widget) != nullptr ||
           qobject_cast<const QAbstractItemView*>(widget) != nullptr;
}

TEST(Accessibility, EveryControlOfTheWindowAndItsPagesIsNamedAndDescribed) {
    FormRig rig(96, true);
    QStringList missing;
    int controls = 0;
    for (const QWidget* widget : rig.Form().findChildren<QWidget*>()) {
        if (!IsInteractive(widget))
            continue;
        ++controls;
        if (widget->accessibleName().isEmpty() || widget->accessibleDescription().isEmpty())
            missing << widget->parentWidget()->objectName() + "/" + widget->objectName() + " (" +
                           widget->metaObject()->className() + ")";
    }
    EXPECT_GT(controls, 80);
    EXPECT_TRUE(missing.isEmpty()) << missing.join("\n").toStdString();
}

TEST(Accessibility, TheIndicatorSaysInWordsWhatItsColourShows) {
    FormRig rig;
    auto* indicator = rig.Find<QFrame>("pnlUSBExist");
    EXPECT_EQ(indicator->accessibleDescription(), "No device");
    EXPECT_EQ(indicator->toolTip(), "No device");
    rig.Plug(sim::ProductConfig{});
    rig.WriteFile("PaleReed_f066.hex",
                  gui_test::HexFileOf(test_support::ProductImage(0x2FC6, 0xF066, 0x1000, 0x21)));
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_EQ(indicator->accessibleDescription(), "Device connected, update file ready");
    EXPECT_EQ(indicator->toolTip(), "Device connected, update file ready");
    EXPECT_EQ(indicator->accessibleName(), "Device state");
}

TEST(Accessibility, TheProgressIsReadAsAPercentage) {
    FormRig rig;
    auto* bar = rig.Find<QProgressBar>("barUpdateProgress");
    bar->setValue(bar->maximum() * 45 / 100);
    EXPECT_EQ(bar->text(), "45 %");
    QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(bar);
    ASSERT_NE(readable, nullptr);
    EXPECT_EQ(readable->text(QAccessible::Value), "45");
    EXPECT_EQ(readable->text(QAccessible::Name), "Update progress");
}

// What Tab visits from the focus, round the window once.
QList<QWidget*> TabRound(QWidget& window) {
    QList<QWidget*> visited;
    for (int press = 0; press < 40; ++press) {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr || visited.contains(focus))
            break;
        visited << focus;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    (void)window;
    return visited;
}

// Every visible, enabled control that takes focus by Tab is in the round.
void ExpectTabReachesEveryAction(FormRig& rig, const QStringList& named) {
    rig.Form().show();
    rig.Form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&rig.Form()));
    QTest::keyClick(&rig.Form(), Qt::Key_Tab);  // from nowhere to the first control
    const QList<QWidget*> round = TabRound(rig.Form());
    QStringList reached;
    for (const QWidget* widget : round)
        reached << widget->objectName();
    for (const QWidget* widget : rig.Form().findChildren<QWidget*>()) {
        if (widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus) &&
            IsInteractive(widget)) {
            EXPECT_TRUE(round.contains(widget)) << widget->objectName().toStdString();
        }
    }
    for (const QString& name : named)
        EXPECT_TRUE(reached.contains(name))
            << name.toStdString() << " not in " << reached.join(", ").toStdString();
}

TEST(Accessibility, TabReachesStartAndSaveReportAfterAFailure) {
    FormRig rig;
    rig.Plug(sim::ProductConfig{});
    rig.WriteFile("PaleReed_f066.hex",
                  gui_test::HexFileOf(test_support::ProductImage(0x2FC6, 0xF066, 0x1000, 0x22)));
    ASSERT_GT(rig.TickUntilFound(), 0);
    sim::FaultPlan plan;
    plan.corruptReads = sim::FaultPlan::CorruptReads{0x40, 0x01, 1000};
    rig.bus.SetFaultPlan(plan);
    gui_test::ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    rig.Find<QPushButton>("btnSimpleAuto")->click();
    ExpectTabReachesEveryAction(rig, {"btnSimpleAuto", "btnSaveReport"});
}

TEST(Accessibility, TabReachesChooseFileForTheChipWaitingWithoutAFile) {
    FormRig rig;
    sim::ProductConfig config;
    config.blankFlash = true;
    rig.Plug(config);
    ASSERT_GT(rig.TickUntilFound(), 0);
    ExpectTabReachesEveryAction(rig, {"btnChooseFile"});
}

}  // namespace
