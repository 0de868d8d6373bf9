#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/launch_options.h"
#include "app/platform_start_watch.h"
#include "app/tform1.h"
#include "app/tool_session.h"
#include "app/toolkit_options.h"
#include "platform/parent_console.h"

namespace {

constexpr int kExitStartupError = 1;
constexpr int kExitUsage = 2;

int RunTool(const app::LaunchOptions& options) {
    app::ToolSession session(options);
    TForm1::Options windowOptions;
    windowOptions.engineering = options.engineering;
    windowOptions.trace = session.Trace();
    windowOptions.updateFile = options.updateFile;
    windowOptions.replayStop = session.ReplayStop();
    // A tool unpacked from an archive together with its update file.
    windowOptions.secondFolder = QCoreApplication::applicationDirPath();
    windowOptions.downloadFolder =
        QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    {
        TForm1 form(session.Context(), windowOptions);
        form.show();
        QApplication::exec();
    }
    // Once the window has let go of the device, so that a simulated
    // product's state file holds what the last operation left.
    if (const std::string error = session.Keep(); !error.empty())
        throw std::runtime_error("The simulator state could not be saved: " + error);
    return 0;
}

// Said on stderr for a terminal or the journal, and in a box for a user who
// started the tool from the menu; a platform without a screen has nobody to
// press OK, so there the box would only hang the process.
int ReportStartupError(const QString& message) {
    std::fprintf(stderr, "palereed-update-tool: %s\n", qUtf8Printable(message));
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        QMessageBox::critical(nullptr, QApplication::applicationName(), message);
    return kExitStartupError;
}

// Help, version and bad options are answered before QApplication exists, so
// they work without a display and never open a window.
std::optional<int> AnswerWithoutWindow(const app::LaunchRequest& request) {
    switch (request.action) {
        case app::LaunchRequest::Action::ShowHelp:
            std::fputs(qUtf8Printable(app::LaunchUsage()), stdout);
            return 0;
        case app::LaunchRequest::Action::ShowVersion:
            std::fputs(qUtf8Printable(app::LaunchVersion()), stdout);
            return 0;
        case app::LaunchRequest::Action::Refuse:
            std::fprintf(stderr, "palereed-update-tool: %s (see --help)\n",
                         qUtf8Printable(request.error));
            return kExitUsage;
        case app::LaunchRequest::Action::Run:
            break;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    platform::UseParentConsole();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const app::LaunchRequest request = app::ParseLaunchOptions(arguments);
    if (const auto answered = AnswerWithoutWindow(request))
        return *answered;

    // QApplication takes Qt's own options (-style, -platform, ...) out of argv.
    std::unique_ptr<QApplication> application;
    {
        const app::PlatformStartWatch watch(
            app::RequestedPlatform(request.options.toolkitArguments));
        application = std::make_unique<QApplication>(argc, argv);
    }
    QApplication::setApplicationName(QStringLiteral("Pale Reed Update Tool"));
    try {
        return RunTool(request.options);
    } catch (const app::LaunchUsageError& error) {
        std::fprintf(stderr, "palereed-update-tool: %s (see --help)\n", error.what());
        return kExitUsage;
    } catch (const std::exception& error) {
        return ReportStartupError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return ReportStartupError(QStringLiteral("The tool stopped with an unknown error."));
    }
}
