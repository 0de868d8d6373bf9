#include "app/launch_options.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/toolkit_options.h"
#include "usb/request_trace.h"
#include "usb/trace_format.h"
#include "version/version.h"

namespace app {
namespace {

constexpr const char* kProgram = "palereed-update-tool";

// One row per option: the parser is built from this table and --help prints
// it, so the two cannot drift apart.
struct OptionEntry {
    const char* name;
    const char* valueName;  // nullptr: a switch
    const char* usage;      // as shown in --help
    const char* description;
};

constexpr std::array<OptionEntry, 4> kOptions{{
    {"engineering", nullptr, "--engineering", "show the maintenance pages"},
    {"trace", "file", "--trace FILE", "write every device request to FILE"},
    {"help", nullptr, "-h, --help", "show this help and exit"},
    {"version", nullptr, "--version", "show the version and exit"},
}};

// "--simulate 3" means row 3 and "--sim-isp 0ea0" that identity, so a
// following argument of the value's shape is taken as the optional value;
// anything else is read on its own.
bool FollowsAsOptionalValue(const QString& option, const QString& next) {
    static const QRegularExpression kRow(QStringLiteral("^[0-9]+$"));
    static const QRegularExpression kVid(QStringLiteral("^[0-9A-Fa-f]{4}$"));
    if (option == QLatin1String("--simulate"))
        return kRow.match(next).hasMatch();
    return option == QLatin1String("--sim-isp") && kVid.match(next).hasMatch();
}

// The options that choose the devices are the product layer's, shared with
// the command-line tool, so both read them alike. They are taken out here and
// everything else is left for Qt's parser, program name included.
bool TakeDeviceOptions(const QStringList& arguments, product::BackendOptions& backend,
                       QStringList& rest, QString& error) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--")) {
            rest << arguments.mid(i);
            break;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = argument.left(equals);
        const auto kind = product::BackendOptionValue(name.toStdString());
        if (i == 0 || !argument.startsWith(QLatin1String("--")) || !kind) {
            rest << argument;
            continue;
        }
        std::optional<std::string> value;
        if (equals >= 0)
            value = argument.mid(equals + 1).toStdString();
        else if (i + 1 < arguments.size() && (*kind == product::OptionValue::Required ||
                                              (*kind == product::OptionValue::Optional &&
                                               FollowsAsOptionalValue(name, arguments[i + 1]))))
            value = arguments[++i].toStdString();
        std::string why;
        const std::optional<std::string_view> view =
            value ? std::optional<std::string_view>(*value) : std::nullopt;
        if (product::TakeBackendOption(name.toStdString(), view, backend, why) ==
            product::OptionTake::Refused) {
            error = QString::fromStdString(why);
            return false;
        }
    }
    if (const std::string mismatch = backend.Mismatch(); !mismatch.empty()) {
        error = QString::fromStdString(mismatch);
        return false;
    }
    return true;
}

// "--trace --engineering" is a forgotten file name; Qt's parser would take
// the next argument whatever it is and create a trace under the option's
// name. Read before the other options are taken apart, so that
// "--trace --simulate" is told the same.
bool TraceNamesAFile(const QStringList& arguments, QString& error) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--"))
            break;
        const bool empty = argument == QLatin1String("--trace=");
        const bool missing =
            argument == QLatin1String("--trace") &&
            (i + 1 == arguments.size() ||
             (arguments[i + 1].size() > 1 && arguments[i + 1].startsWith(QLatin1Char('-'))));
        if (empty || missing) {
            error = QStringLiteral("--trace needs a file name");
            return false;
        }
    }
    return true;
}

// The trace the session opens later, opened and written once now: a missing
// folder, a folder in the way, a read-only file or a device that takes no
// data (/dev/full) is what a user needs to hear about before the window.
bool CheckTraceFile(const QString& path, QString& error) {
    const usb::FileTrace trace(path.toStdString(), TraceFirstLine());
    if (trace.Error().empty())
        return true;
    error = QStringLiteral("cannot write the trace file '%1': %2")
                .arg(path, QString::fromLocal8Bit(trace.Error().c_str()));
    return false;
}

bool ReadOptions(const QCommandLineParser& parser, LaunchOptions& options, QString& error) {
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        error = QStringLiteral("unexpected argument '%1'").arg(files[1]);
        return false;
    }
    if (!files.isEmpty()) {
        // Said now rather than as a missing file once a product turns up.
        if (!QFileInfo(files[0]).isFile()) {
            error = QStringLiteral("no update file '%1'").arg(files[0]);
            return false;
        }
        options.updateFile = QFileInfo(files[0]).absoluteFilePath();
    }
    options.engineering = parser.isSet(QStringLiteral("engineering"));
    options.traceFile = parser.value(QStringLiteral("trace"));
    return !parser.isSet(QStringLiteral("trace")) || CheckTraceFile(options.traceFile, error);
}

}  // namespace

LaunchRequest ParseLaunchOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    for (const OptionEntry& option : kOptions) {
        QStringList names{QString::fromLatin1(option.name)};
        if (QLatin1String(option.name) == QLatin1String("help"))
            names.prepend(QStringLiteral("h"));
        parser.addOption(QCommandLineOption(names, QString::fromLatin1(option.description),
                                            QString::fromLatin1(option.valueName)));
    }
    LaunchRequest request;
    QStringList ours;
    QStringList rest;
    if (!SplitToolkitOptions(arguments, ours, request.options.toolkitArguments, request.error) ||
        !TraceNamesAFile(ours, request.error) ||
        !TakeDeviceOptions(ours, request.options.backend, rest, request.error) ||
        !parser.parse(rest)) {
        request.action = LaunchRequest::Action::Refuse;
        if (request.error.isEmpty())
            request.error = parser.errorText();
    } else if (parser.isSet(QStringLiteral("help"))) {
        request.action = LaunchRequest::Action::ShowHelp;
    } else if (parser.isSet(QStringLiteral("version"))) {
        request.action = LaunchRequest::Action::ShowVersion;
    } else if (!ReadOptions(parser, request.options, request.error)) {
        request.action = LaunchRequest::Action::Refuse;
    }
    return request;
}

QString LaunchUsage() {
    QString text = QStringLiteral(
                       "Usage: %1 [OPTION]... [FILE]\n"
                       "Updates the firmware of Pale Reed USB audio products: plug the product "
                       "in,\nstart the tool, press Start. The update file is looked for in the "
                       "current folder,\nthen beside the tool; FILE (HEX or BIN) is used instead "
                       "when given.\n\nOptions:\n")
                       .arg(QLatin1String(kProgram));
    for (const OptionEntry& option : kOptions)
        text += QStringLiteral("  %1 %2\n")
                    .arg(QLatin1String(option.usage), -20)
                    .arg(QLatin1String(option.description));
    text += QStringLiteral(
        "\nQt's standard options (-style STYLE, -stylesheet FILE, -platform NAME, -reverse,\n"
        "-qwindowgeometry GEOMETRY, ...) are passed on to Qt.\n");
    text += QStringLiteral("\nSimulated products, for trying the tool without hardware:\n") +
            QLatin1String(product::BackendOptionsHelp());
    text += QStringLiteral(
        "\nExit status: 0 when the window was closed (or after --help, --version),\n"
        "1 when the tool could not start, 2 for a bad option or value.\n");
    return text;
}

std::string TraceFirstLine() {
    return usb::TraceVersionLine(kProgram, version::kVersion);
}

QString LaunchVersion() {
    return QStringLiteral("%1 %2\n").arg(QLatin1String(kProgram), QLatin1String(version::kVersion));
}

}  // namespace app
