#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "app/launch_options.h"
#include "version/version.h"

namespace {

app::LaunchRequest Parse(const QStringList& arguments) {
    return app::ParseLaunchOptions(QStringList{"palereed-update-tool"} + arguments);
}

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the real executable. The platform named here does not exist, so the
// run fails loudly if the tool creates its QApplication: whatever answers
// without a window needs no display either.
ToolRun RunTool(const QStringList& arguments,
                const QString& platform = QStringLiteral("no-such-platform"),
                const QString& preload = QString()) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", platform);
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    if (!preload.isEmpty()) {
        environment.insert("LD_PRELOAD", preload);
        // Under AddressSanitizer the preloaded library stands before its runtime.
        environment.insert("ASAN_OPTIONS",
                           environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(PALEREED_UPDATE_TOOL, arguments);
    // A generous bound that only turns a hang (a modal box nobody answers)
    // into a failure.
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(LaunchOptions, HelpIsPrintedOnStdoutWithEveryOption) {
    const ToolRun run = RunTool({"--help"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("Usage: palereed-update-tool [OPTION]... [FILE]\n"));
    for (const char* option : {"--simulate[=ROW]", "--sim-flash=MODEL", "--sim-isp[=VID]",
                               "--engineering", "--trace FILE", "--version"})
        EXPECT_TRUE(run.out.contains(option)) << option;
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
}

TEST(LaunchOptions, VersionIsTheProjectVersion) {
    const ToolRun run = RunTool({"--simulate", "3", "--version"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QString("palereed-update-tool %1\n").arg(version::kVersion));
}

struct Refusal {
    const char* name;
    QStringList arguments;
    const char* reason;
};

// Keeps ctest's listing to the case name rather than a dump of the bytes.
void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << refusal.name;
}

class LaunchRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(LaunchRefusal, IsOneLineOnStderrAndExitTwoBeforeAnyWindow) {
    const ToolRun run = RunTool(GetParam().arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.startsWith("palereed-update-tool: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(GetParam().reason)) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith('\n'));
}

INSTANTIATE_TEST_SUITE_P(
    BadOptions, LaunchRefusal,
    ::testing::Values(Refusal{"UnknownOption", {"--fast"}, "Unknown option 'fast'"},
                      Refusal{"RowPastTheTable", {"--simulate", "10"}, "row from 0 to 9"},
                      Refusal{"RowNotANumber", {"--simulate=x"}, "row from 0 to 9"},
                      Refusal{"UnknownFlash", {"--sim-flash=xyz"}, "sst25vf016b, mx32 or w25"},
                      Refusal{"UnknownIspVid", {"--sim-isp=1234"}, "2fc6 or 0ea0"},
                      Refusal{"StrayArgument", {"--simulate", "3", "4"}, "no update file '4'"},
                      Refusal{"TraceWithoutFile", {"--trace"}, "Missing value after '--trace'"},
                      Refusal{"TraceInMissingFolder",
                              {"--simulate", "--trace", "/nonexistent-folder/run.trace"},
                              "cannot write the trace file '/nonexistent-folder/run.trace'"},
                      Refusal{
                          "TraceOntoAFolder", {"--trace", "/"}, "cannot write the trace file '/'"}),
    [](const auto& info) { return std::string(info.param.name); });

// libusb_init is replaced by one that fails, as on a system without usbfs.
TEST(LaunchOptions, AStartUpErrorIsReportedAndExitsOne) {
    const ToolRun run = RunTool({}, "offscreen", LIBUSB_INIT_FAILS);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("palereed-update-tool: USB access could not be started"))
        << run.err.toStdString();
}

TEST(LaunchOptions, NoOptionsIsTheToolAsShipped) {
    const auto request = Parse({});
    ASSERT_EQ(request.action, app::LaunchRequest::Action::Run);
    EXPECT_FALSE(request.options.simulatedProduct);
    EXPECT_FALSE(request.options.engineering);
    EXPECT_TRUE(request.options.traceFile.isEmpty());
}

TEST(LaunchOptions, SimulateAloneIsTheFirstProductWithItsFlash) {
    for (const QStringList& arguments :
         {QStringList{"--simulate"}, {"--simulate", "--engineering"}}) {
        const auto request = Parse(arguments);
        ASSERT_TRUE(request.options.simulatedProduct) << request.error.toStdString();
        EXPECT_EQ(request.options.simulatedProduct->row, 0);
        EXPECT_EQ(request.options.simulatedProduct->flash, sim::FlashModel::Sst25vf016b);
        EXPECT_FALSE(request.options.simulatedProduct->blankFlash);
    }
}

TEST(LaunchOptions, ARowMayFollowSimulateAsItsOwnArgument) {
    for (const QStringList& arguments : {QStringList{"--simulate", "3"}, {"--simulate=3"}}) {
        const auto request = Parse(arguments);
        ASSERT_TRUE(request.options.simulatedProduct) << request.error.toStdString();
        EXPECT_EQ(request.options.simulatedProduct->row, 3);
    }
}

TEST(LaunchOptions, SimulationCompanionsChooseRowFlashAndIspChip) {
    QTemporaryDir folder;
    const QString trace = folder.filePath("run.trace");
    const auto request = Parse({"--simulate=4", "--sim-flash=mx32", "--sim-isp", "0EA0",
                                "--engineering", "--trace", trace});
    ASSERT_EQ(request.action, app::LaunchRequest::Action::Run) << request.error.toStdString();
    ASSERT_TRUE(request.options.simulatedProduct);
    EXPECT_EQ(request.options.simulatedProduct->row, 4);
    EXPECT_EQ(request.options.simulatedProduct->flash, sim::FlashModel::Mx25l1021e);
    EXPECT_EQ(request.options.simulatedProduct->ispVid, sim::kIspVidAlternate);
    EXPECT_TRUE(request.options.simulatedProduct->blankFlash);
    EXPECT_TRUE(request.options.engineering);
    EXPECT_EQ(request.options.traceFile, trace);
}

TEST(LaunchOptions, AFileArgumentIsTakenAsTheUpdateFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath("new.bin");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_EQ(Parse({file}).options.updateFile, file);
    EXPECT_EQ(Parse({file, file}).action, app::LaunchRequest::Action::Refuse);
}

}  // namespace
