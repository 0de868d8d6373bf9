// The window's command-line parser on any argument list: never a crash, and
// always either options within their ranges or a refusal that says why.
//
// Input: the arguments after the program name, separated by NUL bytes, each
// read as UTF-8 the way Qt reads a command line.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

#include "app/launch_options.h"
#include "fuzz/argument_list.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QStringList arguments;
    for (const std::string& argument : fuzz::ArgumentList(data, size, "palereed-update-tool"))
        arguments << QString::fromUtf8(argument.data(), static_cast<qsizetype>(argument.size()));

    QString error;
    const auto options = app::ParseLaunchOptions(arguments, error);
    if (!options) {
        Require(!error.isEmpty());
        return 0;
    }
    if (options->simulatedProduct) {
        const sim::ProductConfig& product = *options->simulatedProduct;
        Require(product.row >= 0 && product.row < sim::kProductRows);
        Require(product.ispVid == sim::kIspVidQuorvex || product.ispVid == sim::kIspVidAlternate);
    }
    return 0;
}
