// After a failed update the panel says where and why, and "Save report…"
// writes the run's requests under a short header to a file the user chooses.

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>

#include "form_test_rig.h"
#include "image/sha256.h"
#include "modal_answerer.h"
#include "support/product_image.h"
#include "support/report_reading.h"

namespace {

using gui_test::FormRig;

TEST(WindowReport, AFailureShowsWhereAndWhyAndSavesTheRunsRequests) {
    FormRig rig;
    rig.Plug(sim::ProductConfig{});
    const std::vector<std::uint8_t> image =
        test_support::ProductImage(0x2FC6, 0xF066, 0x1000, 0x35);
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf(image));
    ASSERT_GT(rig.TickUntilFound(), 0);
    auto* save = rig.Find<QPushButton>("btnSaveReport");
    ASSERT_NE(save, nullptr);
    EXPECT_FALSE(save->isVisibleTo(&rig.Form()));

    sim::FaultPlan plan;
    plan.corruptReads = sim::FaultPlan::CorruptReads{0x123, 0x01, 1000};
    rig.bus.SetFaultPlan(plan);
    gui_test::ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    const std::size_t before = rig.trace.Lines().size();
    rig.Find<QPushButton>("btnSimpleAuto")->click();
    const std::vector<std::string> run(
        rig.trace.Lines().begin() + static_cast<std::ptrdiff_t>(before), rig.trace.Lines().end());

    const QString status = rig.Find<QLabel>("lblISPProcStatus")->text();
    EXPECT_TRUE(status.endsWith(
        "\nStep: blank check   Address: 0x000123   Cause: reads 0xFE, expected 0xFF"))
        << status.toStdString();
    ASSERT_TRUE(save->isVisibleTo(&rig.Form()));
    EXPECT_TRUE(save->isEnabled());

    QString reportPath = rig.WorkDir() + "/report.txt";
    QString dialog;
    rig.Form().SetFileChooser([&](QWidget*, const pages::FileDialogSetup& setup) -> QString {
        dialog = setup.name;
        return reportPath;
    });
    save->click();
    EXPECT_EQ(dialog, "SaveReportDialog");

    test_support::ReadReport read = test_support::ReadReportFile(reportPath.toStdString());
    EXPECT_EQ(read.title, "Pale Reed update report");
    auto& header = read.header;
    EXPECT_EQ(header["tool"], std::string("palereed-update-tool ") + PALEREED_VERSION);
    EXPECT_EQ(header["product"], "Pale Reed F066");
    EXPECT_EQ(header["flash part"], "SST25VF016B");
    EXPECT_EQ(header["file"], "PaleReed_f066.hex");
    EXPECT_EQ(header["sha256"], image::Sha256Hex(image));
    EXPECT_EQ(header["outcome"], "failed");
    EXPECT_EQ(header["step"], "blank check");
    EXPECT_EQ(header["address"], "0x000123");
    EXPECT_EQ(header["cause"], "reads 0xFE, expected 0xFF");
    EXPECT_EQ(read.requests, run);
    EXPECT_GT(run.size(), 20u);  // from entering ISP mode to leaving it
}

}  // namespace
