#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>

#include "app/launch_options.h"
#include "app/tform1.h"
#include "pages/program_values.h"
#include "product/backend_factory.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "usb/clock.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

namespace {

constexpr int kExitStartupError = 1;
constexpr int kExitUsage = 2;

// The simulated bus with the chosen product plugged in, or the real one that
// the product layer chose for this build.
std::unique_ptr<usb::DeviceBackend> MakeBackend(const app::LaunchOptions& options,
                                                usb::Clock& clock) {
    if (!options.simulatedProduct) {
        product::BackendStart start = product::MakeBackend(product::BackendOptions{}, clock);
        if (!start.backend)
            throw std::runtime_error(start.error);
        return std::move(start.backend);
    }
    auto bus = std::make_unique<sim::SimBackend>(clock);
    sim::PlugProduct(*bus, *options.simulatedProduct, clock);
    return bus;
}

int RunTool(const app::LaunchOptions& options) {
    // Program-wide values: created before the window, released after it, the
    // device link last of them.
    usb::SteadyClock clock;
    const std::unique_ptr<usb::DeviceBackend> backend = MakeBackend(options, clock);
    usb::QuorvexUsb usbLink(*backend, clock);
    std::unique_ptr<usb::FileTrace> trace;
    if (!options.traceFile.isEmpty()) {
        trace = std::make_unique<usb::FileTrace>(options.traceFile.toStdString());
        if (!trace->IsOpen())
            throw std::runtime_error("The trace file could not be opened.");
        usbLink.SetTrace(trace.get());
    }
    pages::ProgramValues values(usbLink);

    TForm1::Options windowOptions;
    windowOptions.engineering = options.engineering;
    windowOptions.trace = trace.get();
    windowOptions.updateFile = options.updateFile;
    // A tool unpacked from an archive together with its update file.
    windowOptions.secondFolder = QCoreApplication::applicationDirPath();
    TForm1 form(values.context, windowOptions);
    form.show();
    QApplication::exec();
    usbLink.SetTrace(nullptr);
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
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const app::LaunchRequest request = app::ParseLaunchOptions(arguments);
    if (const auto answered = AnswerWithoutWindow(request))
        return *answered;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pale Reed Update Tool"));
    try {
        return RunTool(request.options);
    } catch (const std::exception& error) {
        return ReportStartupError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return ReportStartupError(QStringLiteral("The tool stopped with an unknown error."));
    }
}
