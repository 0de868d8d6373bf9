#include "app/platform_start_watch.h"

#include <QByteArray>
#include <QStringList>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

namespace app {
namespace {

constexpr int kExitCannotStart = 1;

// A message held back while the watch is on. The context's texts are Qt's
// static strings (file, function, category names), kept as pointers.
struct HeldMessage {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};

struct WatchState {
    std::mutex mutex;
    QtMessageHandler previous = nullptr;
    QString platform;
    std::vector<HeldMessage> held;
};

WatchState& Watch() {
    static WatchState state;
    return state;
}

[[noreturn]] void EndWithOneLine(const QString& line) {
    std::fprintf(stderr, "palereed-update-tool: %s\n", qUtf8Printable(line));
    std::fflush(stderr);
    // Nothing of the tool exists yet to clean up; returning would let Qt abort.
    std::_Exit(kExitCannotStart);
}

void WatchMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        if (text.contains(QLatin1String("platform plugin")))
            EndWithOneLine(NoDisplayLine(Watch().platform));
        EndWithOneLine(text.section(QLatin1Char('\n'), 0, 0));
    }
    const std::lock_guard lock(Watch().mutex);
    Watch().held.push_back(
        {type, context.file, context.line, context.function, context.category, text});
}

QString EnvironmentSetting(const char* name) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QString() : QStringLiteral("%1=%2").arg(QLatin1String(name), value);
}

}  // namespace

PlatformStartWatch::PlatformStartWatch(QString platform) {
    WatchState& state = Watch();
    const std::lock_guard lock(state.mutex);
    state.platform = std::move(platform);
    state.held.clear();
    state.previous = qInstallMessageHandler(WatchMessages);
}

PlatformStartWatch::~PlatformStartWatch() {
    WatchState& state = Watch();
    std::vector<HeldMessage> held;
    {
        const std::lock_guard lock(state.mutex);
        qInstallMessageHandler(state.previous);
        held.swap(state.held);
    }
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(message.file, message.line, message.function,
                                         message.category);
        if (state.previous)
            state.previous(message.type, context, message.text);
    }
}

QString NoDisplayLine(const QString& platform) {
    QStringList found;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        if (const QString value = EnvironmentSetting(name); !value.isEmpty())
            found << value;
    }
    QString line =
        found.isEmpty()
            ? QStringLiteral(
                  "no display was found to open the window on (neither "
                  "DISPLAY nor WAYLAND_DISPLAY is set")
            : QStringLiteral("the display could not be opened (%1").arg(found.join(", "));
    if (!platform.isEmpty())
        line += QStringLiteral(", Qt platform \"%1\"").arg(platform);
    return line + QStringLiteral(
                      "); start the tool in a desktop session, or update from a terminal with "
                      "palereed-flash");
}

}  // namespace app
