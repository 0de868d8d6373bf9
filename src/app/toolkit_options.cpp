#include "app/toolkit_options.h"

#include <array>

namespace app {
namespace {

// Documented for QGuiApplication and QApplication: options followed by a value,
// options that may carry it after "=", and plain switches.
constexpr std::array kValueOptions = {
    "-style",         "-stylesheet",   "-platform", "-platformpluginpath",
    "-platformtheme", "-plugin",       "-session",  "-qwindowgeometry",
    "-qwindowicon",   "-qwindowtitle", "-display",  "-geometry",
};
constexpr std::array kEqualsOptions = {
    "-style=", "-stylesheet=", "-qmljsdebugger=", "-dialogs=", "-fontengine="};
constexpr std::array kSwitches = {"-reverse", "-widgetcount"};

template <std::size_t N>
bool IsOneOf(const QString& argument, const std::array<const char*, N>& names) {
    for (const char* name : names) {
        if (argument == QLatin1String(name))
            return true;
    }
    return false;
}

// "-style=fusion": the option with its value in one argument.
bool CarriesItsValue(const QString& argument, QString& error) {
    for (const char* prefix : kEqualsOptions) {
        if (!argument.startsWith(QLatin1String(prefix)))
            continue;
        if (argument.size() == qsizetype(qstrlen(prefix)))
            error = QStringLiteral("%1 needs a value").arg(argument.chopped(1));
        return true;
    }
    return false;
}

}  // namespace

bool SplitToolkitOptions(const QStringList& arguments, QStringList& ours, QStringList& toolkit,
                         QString& error) {
    ours << arguments.mid(0, 1);  // the program
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--")) {
            ours << arguments.mid(i);
            break;
        }
        if (IsOneOf(argument, kSwitches)) {
            toolkit << argument;
        } else if (IsOneOf(argument, kValueOptions)) {
            // Qt would take "-style --simulate" as a style named "--simulate".
            if (i + 1 == arguments.size() || arguments[i + 1].isEmpty() ||
                arguments[i + 1].startsWith(QLatin1Char('-'))) {
                error = QStringLiteral("%1 needs a value").arg(argument);
                return false;
            }
            toolkit << argument << arguments[i + 1];
            ++i;
        } else if (CarriesItsValue(argument, error)) {
            if (!error.isEmpty())
                return false;
            toolkit << argument;
        } else {
            ours << argument;
        }
    }
    return true;
}

QString RequestedPlatform(const QStringList& toolkit) {
    const qsizetype at = toolkit.indexOf(QStringLiteral("-platform"));
    if (at >= 0 && at + 1 < toolkit.size())
        return toolkit[at + 1];
    return qEnvironmentVariable("QT_QPA_PLATFORM");
}

}  // namespace app
