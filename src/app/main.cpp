#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <memory>
#include <stdexcept>

#include "app/launch_options.h"
#include "app/tform1.h"
#include "pages/program_values.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "usb/clock.h"
#include "usb/libusb_backend.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

namespace {

// The simulated bus with the chosen product plugged in, or the real one.
std::unique_ptr<usb::DeviceBackend> MakeBackend(const app::LaunchOptions& options,
                                                usb::Clock& clock) {
    if (!options.simulatedProduct) {
        usb::LibusbStart start = usb::MakeLibusbBackend();
        if (!start.backend) {
            throw std::runtime_error("USB access could not be started (" + start.error.ToString() +
                                     "). Try --simulate to run without hardware.");
        }
        return std::move(start.backend);
    }
    auto bus = std::make_unique<sim::SimBackend>(clock);
    sim::PlugProduct(*bus, *options.simulatedProduct, clock);
    return bus;
}

int RunTool(QApplication& application) {
    QString error;
    const auto options = app::ParseLaunchOptions(application.arguments(), error);
    if (!options) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), error);
        return 2;
    }

    // Program-wide values: created before the window, released after it, the
    // device link last of them.
    usb::SteadyClock clock;
    const std::unique_ptr<usb::DeviceBackend> backend = MakeBackend(*options, clock);
    usb::QuorvexUsb usbLink(*backend, clock);
    std::unique_ptr<usb::FileTrace> trace;
    if (!options->traceFile.isEmpty()) {
        trace = std::make_unique<usb::FileTrace>(options->traceFile.toStdString());
        usbLink.SetTrace(trace.get());
    }
    pages::ProgramValues values(usbLink);

    TForm1 form(values.context, TForm1::Options{0, options->engineering});
    form.show();
    application.exec();
    usbLink.SetTrace(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pale Reed Update Tool"));
    try {
        return RunTool(application);
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), error.what());
    } catch (...) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), QString());
    }
    return 0;
}
