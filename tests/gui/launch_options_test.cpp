#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "app/launch_options.h"
#include "app/tool_session.h"
#include "catalog/product_table.h"
#include "pages/page_context.h"
#include "usb/quorvex_usb.h"
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

// A program's output with its line ends as written on Linux (Windows' text
// mode writes "\r\n").
QString Lines(const QByteArray& output) {
    return QString::fromUtf8(output).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

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
            Lines(process.readAllStandardOutput()), Lines(process.readAllStandardError())};
}

TEST(LaunchOptions, HelpIsPrintedOnStdoutWithEveryOption) {
    const ToolRun run = RunTool({"--help"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("Usage: palereed-update-tool [OPTION]... [FILE]\n"));
    for (const char* option : {"--simulate[=ROW]", "--sim-flash MODEL", "--sim-isp[=VID]",
                               "--sim-timing", "--sim-clock", "--sim-fault", "--sim-state FILE",
                               "--sim-power-cycle", "--engineering", "--trace FILE", "--version"})
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
    ::testing::Values(
        Refusal{"UnknownOption", {"--fast"}, "Unknown option 'fast'"},
        Refusal{"RowPastTheTable", {"--simulate", "10"}, "row from 0 to 9"},
        Refusal{"RowNotANumber", {"--simulate=x"}, "row from 0 to 9"},
        Refusal{"UnknownFlash", {"--sim-flash=xyz"}, "sst25vf016b, mx32 or w25"},
        Refusal{"UnknownIspVid", {"--sim-isp=1234"}, "2fc6 or 0ea0"},
        Refusal{"UnknownFault", {"--simulate", "--sim-fault", "melt@3"}, "--sim-fault"},
        Refusal{"SimulatorOptionWithoutProduct",
                {"--sim-clock", "virtual"},
                "need a simulated product"},
        Refusal{"StrayArgument", {"--simulate", "3", "4"}, "no update file '4'"},
        Refusal{"TraceWithoutFile", {"--trace"}, "--trace needs a file name"},
        Refusal{"TraceFollowedByASimulatorOption",
                {"--trace", "--simulate"},
                "--trace needs a file name"},
        Refusal{
            "TraceFollowedByAnOption", {"--trace", "--engineering"}, "--trace needs a file name"},
        // Opens, but every write fails: only a written line finds it out.
        Refusal{"TraceOntoADeviceThatTakesNoData",
                {"--simulate", "--trace", "/dev/full"},
                "cannot write the trace file '/dev/full': No space left on device"},
        Refusal{"TraceInMissingFolder",
                {"--simulate", "--trace", "/nonexistent-folder/run.trace"},
                "cannot write the trace file '/nonexistent-folder/run.trace'"},
        Refusal{"TraceOntoAFolder", {"--trace", "/"}, "cannot write the trace file '/'"},
        Refusal{"QtOptionWithoutValue", {"--simulate", "-style"}, "-style needs a value"},
        Refusal{
            "QtOptionFollowedByAnOption", {"-platform", "--simulate"}, "-platform needs a value"},
        Refusal{"QtOptionWithEmptyValue", {"-stylesheet="}, "-stylesheet needs a value"}),
    [](const auto& info) { return std::string(info.param.name); });

#if defined(LIBUSB_INIT_FAILS)
// libusb_init is replaced by one that fails, as on a system without usbfs
// (a preloaded library: Linux only).
TEST(LaunchOptions, AStartUpErrorIsReportedAndExitsOne) {
    const ToolRun run = RunTool({}, "offscreen", LIBUSB_INIT_FAILS);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("palereed-update-tool: USB access could not be started"))
        << run.err.toStdString();
}
#endif

// Qt's platform plugin cannot start without a display; Qt alone would abort
// (status 134) with a page of text.
TEST(LaunchOptions, NoDisplayIsOneLineOnStderrAndExitOne) {
    const ToolRun run = RunTool({}, "xcb");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err,
              "palereed-update-tool: no display was found to open the window on (neither DISPLAY "
              "nor WAYLAND_DISPLAY is set, Qt platform \"xcb\"); start the tool in a desktop "
              "session, or update from a terminal with palereed-flash\n");
}

#if defined(LIBUSB_INIT_FAILS)
// The environment names a platform that does not exist: only a -platform that
// reaches Qt lets the start get as far as the USB stack (which fails here).
TEST(LaunchOptions, QtsOwnOptionsGoToQt) {
    const ToolRun run = RunTool({"-platform", "offscreen", "-style", "fusion", "-reverse",
                                 "-qwindowgeometry", "700x300+0+0", "-stylesheet=none.qss"},
                                "no-such-platform", LIBUSB_INIT_FAILS);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("palereed-update-tool: USB access could not be started"))
        << run.err.toStdString();
}
#endif

TEST(LaunchOptions, QtsOwnOptionsAreSetAsideWithTheirValues) {
    QTemporaryDir dir;
    const QString file = dir.filePath("fw.hex");
    QFile(file).open(QIODevice::WriteOnly);
    const auto request = Parse({"-style", "fusion", file, "-reverse", "--engineering", "-platform",
                                "offscreen", "-style=windows"});
    ASSERT_EQ(request.action, app::LaunchRequest::Action::Run) << request.error.toStdString();
    EXPECT_EQ(request.options.updateFile, file);
    EXPECT_TRUE(request.options.engineering);
    EXPECT_EQ(
        request.options.toolkitArguments,
        QStringList({"-style", "fusion", "-reverse", "-platform", "offscreen", "-style=windows"}));
}

TEST(LaunchOptions, NoOptionsIsTheToolAsShipped) {
    const auto request = Parse({});
    ASSERT_EQ(request.action, app::LaunchRequest::Action::Run);
    EXPECT_FALSE(request.options.backend.Simulated());
    EXPECT_FALSE(request.options.engineering);
    EXPECT_TRUE(request.options.traceFile.isEmpty());
}

TEST(LaunchOptions, SimulateAloneIsTheFirstProductWithItsFlash) {
    for (const QStringList& arguments :
         {QStringList{"--simulate"}, {"--simulate", "--engineering"}}) {
        const auto request = Parse(arguments);
        ASSERT_EQ(request.action, app::LaunchRequest::Action::Run) << request.error.toStdString();
        EXPECT_EQ(request.options.backend.simulateRows, std::vector<int>{0});
        EXPECT_FALSE(request.options.backend.flash);
        EXPECT_FALSE(request.options.backend.ispVid);
    }
}

TEST(LaunchOptions, ARowMayFollowSimulateAsItsOwnArgument) {
    for (const QStringList& arguments : {QStringList{"--simulate", "3"}, {"--simulate=3"}}) {
        const auto request = Parse(arguments);
        EXPECT_EQ(request.options.backend.simulateRows, std::vector<int>{3})
            << request.error.toStdString();
    }
}

TEST(LaunchOptions, SimulatorOptionsAreTheCommandLineToolsOwn) {
    QTemporaryDir folder;
    const QString trace = folder.filePath("run.trace");
    const QString state = folder.filePath("product.state");
    const auto request =
        Parse({"--simulate=4", "--sim-flash", "mx32", "--sim-isp", "0EA0", "--sim-timing=max",
               "--sim-clock", "virtual", "--sim-fault=power-loss@40", "--sim-state", state,
               "--sim-power-cycle", "--engineering", "--trace", trace});
    ASSERT_EQ(request.action, app::LaunchRequest::Action::Run) << request.error.toStdString();
    const product::BackendOptions& backend = request.options.backend;
    EXPECT_EQ(backend.simulateRows, std::vector<int>{4});
    EXPECT_EQ(backend.flash, product::SimulatedFlash::Mx32);
    EXPECT_EQ(backend.ispVid, product::kIspVidAlternate);
    EXPECT_TRUE(backend.slowParts);
    EXPECT_TRUE(backend.virtualClock);
    EXPECT_EQ(backend.simFault, "power-loss@40");
    EXPECT_EQ(backend.simState, state.toStdString());
    EXPECT_TRUE(backend.simPowerCycle);
    EXPECT_TRUE(request.options.engineering);
    EXPECT_EQ(request.options.traceFile, trace);
}

// The window's values on the virtual clock, and the simulated product's state
// kept in its file when the session ends.
TEST(LaunchOptions, ASimulatedSessionRunsOnItsClockAndKeepsItsState) {
    QTemporaryDir folder;
    const QString state = folder.filePath("product.state");
    const auto request = Parse({"--simulate", "--sim-clock=virtual", "--sim-state", state});
    ASSERT_EQ(request.action, app::LaunchRequest::Action::Run) << request.error.toStdString();
    app::ToolSession session(request.options);
    const std::uint64_t before = session.Clock().NowUs();
    session.Clock().SleepMs(2000);
    EXPECT_EQ(session.Clock().NowUs() - before, 2000000u);
    // The device link's pauses run on the same clock (through its stop gate).
    session.Context().usbLink.GetClock().SleepMs(1000);
    EXPECT_EQ(session.Clock().NowUs() - before, 3000000u);
    EXPECT_FALSE(QFile::exists(state));
    EXPECT_EQ(session.Keep(), "");
    EXPECT_TRUE(QFile::exists(state));
}

TEST(LaunchOptions, AStateFileThatCannotBeWrittenIsAUsageErrorAtStartUp) {
    const ToolRun run =
        RunTool({"--simulate", "--sim-state", "/no/such/folder/product.state"}, "offscreen");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("cannot be written (its folder does not exist)"))
        << run.err.toStdString();
}

TEST(LaunchOptions, AStateFileThatDoesNotLoadIsAUsageErrorAndIsLeftAlone) {
    QTemporaryDir folder;
    const QString state = folder.filePath("product.state");
    QFile file(state);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a state file\n");
    file.close();
    const ToolRun run = RunTool({"--simulate", "--sim-state", state}, "offscreen");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("does not load")) << run.err.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "not a state file\n");
}

TEST(LaunchOptions, AFileArgumentIsTakenAsTheUpdateFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath("new.bin");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_EQ(Parse({file}).options.updateFile, file);
    EXPECT_EQ(Parse({file, file}).action, app::LaunchRequest::Action::Refuse);
}

}  // namespace
