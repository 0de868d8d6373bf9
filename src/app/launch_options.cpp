#include "app/launch_options.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <array>

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

constexpr std::array<OptionEntry, 7> kOptions{{
    {"simulate", "row", "--simulate[=ROW]",
     "plug in a simulated product, row ROW of 0-9 (default 0)"},
    {"sim-flash", "model", "--sim-flash=MODEL",
     "simulated flash: sst25vf016b (default), mx32, w25"},
    {"sim-isp", "vid", "--sim-isp[=VID]",
     "simulated chip starts blank in ISP mode, VID 2fc6 or 0ea0"},
    {"engineering", nullptr, "--engineering", "show the maintenance pages"},
    {"trace", "file", "--trace FILE", "write every device request to FILE"},
    {"help", nullptr, "-h, --help", "show this help and exit"},
    {"version", nullptr, "--version", "show the version and exit"},
}};

// Options whose value may be left out. "--simulate 3" means row 3, so a
// following argument of the value's shape is taken as the value; anything
// else leaves the default and is read on its own.
struct OptionalValue {
    QLatin1String option;
    QRegularExpression shape;
    QLatin1String fallback;
};

QStringList GiveOptionalValues(const QStringList& arguments) {
    static const std::array<OptionalValue, 2> kOptional{{
        {QLatin1String("--simulate"), QRegularExpression(QStringLiteral("^[0-9]+$")),
         QLatin1String("0")},
        {QLatin1String("--sim-isp"), QRegularExpression(QStringLiteral("^[0-9A-Fa-f]{4}$")),
         QLatin1String("2fc6")},
    }};
    QStringList normalised;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const auto optional = std::find_if(kOptional.begin(), kOptional.end(),
                                           [&](const auto& o) { return argument == o.option; });
        if (i == 0 || optional == kOptional.end()) {
            normalised << argument;
            continue;
        }
        const bool valueFollows =
            i + 1 < arguments.size() && optional->shape.match(arguments[i + 1]).hasMatch();
        normalised << argument + QLatin1Char('=') +
                          (valueFollows ? arguments[++i] : QString(optional->fallback));
    }
    return normalised;
}

std::optional<sim::FlashModel> FlashModelNamed(const QString& name) {
    if (name == QLatin1String("sst25vf016b"))
        return sim::FlashModel::Sst25vf016b;
    if (name == QLatin1String("mx32"))
        return sim::FlashModel::Mx25l1021e;
    if (name == QLatin1String("w25"))
        return sim::FlashModel::W25q80;
    return std::nullopt;
}

bool ApplySimulation(const QCommandLineParser& parser, sim::ProductConfig& product,
                     QString& error) {
    if (parser.isSet(QStringLiteral("simulate"))) {
        bool ok = false;
        const int row = parser.value(QStringLiteral("simulate")).toInt(&ok);
        if (!ok || row < 0 || row >= sim::kProductRows) {
            error = QStringLiteral("--simulate takes a product row from 0 to 9");
            return false;
        }
        product.row = row;
    }
    if (parser.isSet(QStringLiteral("sim-flash"))) {
        const auto model = FlashModelNamed(parser.value(QStringLiteral("sim-flash")));
        if (!model) {
            error = QStringLiteral("--sim-flash takes sst25vf016b, mx32 or w25");
            return false;
        }
        product.flash = *model;
    }
    if (parser.isSet(QStringLiteral("sim-isp"))) {
        const QString vid = parser.value(QStringLiteral("sim-isp")).toLower();
        if (vid != QLatin1String("2fc6") && vid != QLatin1String("0ea0")) {
            error = QStringLiteral("--sim-isp takes 2fc6 or 0ea0");
            return false;
        }
        product.ispVid = vid == QLatin1String("0ea0") ? sim::kIspVidAlternate : sim::kIspVidQuorvex;
        product.blankFlash = true;
    }
    return true;
}

// Opening for append creates the file but keeps an existing one intact until
// the run really starts; it fails for a missing folder, a folder in the way or
// a read-only place, which is what a user needs to hear about now.
bool CheckTraceFile(const QString& path, QString& error) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        return true;
    error = QStringLiteral("cannot write the trace file '%1': %2").arg(path, file.errorString());
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
    if (parser.isSet(QStringLiteral("trace")) && !CheckTraceFile(options.traceFile, error))
        return false;
    const bool simulate = parser.isSet(QStringLiteral("simulate")) ||
                          parser.isSet(QStringLiteral("sim-flash")) ||
                          parser.isSet(QStringLiteral("sim-isp"));
    if (!simulate)
        return true;
    sim::ProductConfig product;
    if (!ApplySimulation(parser, product, error))
        return false;
    options.simulatedProduct = product;
    return true;
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
    if (!parser.parse(GiveOptionalValues(arguments))) {
        request.action = LaunchRequest::Action::Refuse;
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
                    .arg(QLatin1String(option.usage), -18)
                    .arg(QLatin1String(option.description));
    text += QStringLiteral(
        "\nExit status: 0 when the window was closed (or after --help, --version),\n"
        "1 when the tool could not start, 2 for a bad option or value.\n");
    return text;
}

QString LaunchVersion() {
    return QStringLiteral("%1 %2\n").arg(QLatin1String(kProgram), QLatin1String(version::kVersion));
}

}  // namespace app
