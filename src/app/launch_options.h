#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "backends/backend_options.h"

namespace app {

// How the tool was started. With no options it behaves as shipped: real
// devices, compact window, no trace.
struct LaunchOptions {
    product::BackendOptions backend;  // --simulate and its companions; none: real devices
    bool engineering = false;
    QString traceFile;
    QString updateFile;  // FILE: the update file for the product found, instead of its own
    // Qt's own options as given (-style fusion, -reverse, ...); QApplication
    // reads them from the command line itself.
    QStringList toolkitArguments;
};

// What the command line asks for. Everything but Run is answered on the
// terminal before any window (or display connection) exists.
struct LaunchRequest {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Run;
    LaunchOptions options;  // for Run
    QString error;          // for Refuse: one line saying what is wrong
};

// Reads the command line (arguments[0] is the program). A trace file that
// cannot be written is refused here, so a run never starts without the trace
// that was asked for; for that the file is created and its first line
// written.
LaunchRequest ParseLaunchOptions(const QStringList& arguments);

// The first line of a --trace file: the program and its version.
std::string TraceFirstLine();

// The text of --help and of --version.
QString LaunchUsage();
QString LaunchVersion();

}  // namespace app
