#include "app/launch_options.h"

#include <QCommandLineParser>

namespace app {
namespace {

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
    if (parser.isSet(QStringLiteral("simulate")) &&
        !parser.value(QStringLiteral("simulate")).isEmpty()) {
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
        const QString vid = parser.value(QStringLiteral("sim-isp"));
        if (vid != QLatin1String("2fc6") && vid != QLatin1String("0ea0")) {
            error = QStringLiteral("--sim-isp takes 2fc6 or 0ea0");
            return false;
        }
        product.ispVid = vid == QLatin1String("0ea0") ? sim::kIspVidAlternate : sim::kIspVidQuorvex;
        product.blankFlash = true;
    }
    return true;
}

}  // namespace

std::optional<LaunchOptions> ParseLaunchOptions(const QStringList& arguments, QString& error) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.addOptions({
        {QStringLiteral("simulate"), QStringLiteral("Plug in a simulated product (row 0-9)."),
         QStringLiteral("row"), QString()},
        {QStringLiteral("sim-flash"), QStringLiteral("Flash of the simulated product."),
         QStringLiteral("model"), QStringLiteral("sst25vf016b")},
        {QStringLiteral("sim-isp"), QStringLiteral("The simulated chip starts blank, in ISP mode."),
         QStringLiteral("vid"), QStringLiteral("2fc6")},
        {QStringLiteral("engineering"), QStringLiteral("Show the maintenance pages.")},
        {QStringLiteral("trace"), QStringLiteral("Write every device request to a file."),
         QStringLiteral("file")},
    });
    // "--simulate" may stand alone; give it its default row before parsing.
    QStringList normalised;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--simulate")) {
            normalised << QStringLiteral("--simulate=0");
        } else if (argument == QLatin1String("--sim-isp")) {
            normalised << QStringLiteral("--sim-isp=2fc6");
        } else {
            normalised << argument;
        }
    }
    if (!parser.parse(normalised)) {
        error = parser.errorText();
        return std::nullopt;
    }
    LaunchOptions options;
    options.engineering = parser.isSet(QStringLiteral("engineering"));
    options.traceFile = parser.value(QStringLiteral("trace"));
    const bool simulate = parser.isSet(QStringLiteral("simulate")) ||
                          parser.isSet(QStringLiteral("sim-flash")) ||
                          parser.isSet(QStringLiteral("sim-isp"));
    if (simulate) {
        sim::ProductConfig product;
        if (!ApplySimulation(parser, product, error))
            return std::nullopt;
        options.simulatedProduct = product;
    }
    return options;
}

}  // namespace app
