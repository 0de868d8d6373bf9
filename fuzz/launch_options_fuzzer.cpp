// The window's command-line parser on any argument list: never a crash, and
// always either options within their ranges or a refusal that says why.
//
// Input: the arguments after the program name, separated by NUL bytes, each
// read as UTF-8 the way Qt reads a command line.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "app/launch_options.h"
#include "catalog/product_table.h"
#include "fuzz/argument_list.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

// "--trace FILE" opens FILE for writing while parsing: keep whatever the
// fuzzer names inside a folder of its own.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "palereed-launch-options-fuzz";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QStringList arguments;
    for (const std::string& argument : fuzz::ArgumentList(data, size, "palereed-update-tool"))
        arguments << QString::fromUtf8(argument.data(), static_cast<qsizetype>(argument.size()));

    const app::LaunchRequest request = app::ParseLaunchOptions(arguments);
    if (request.action == app::LaunchRequest::Action::Refuse) {
        Require(!request.error.isEmpty());
        return 0;
    }
    const product::BackendOptions& backend = request.options.backend;
    Require(backend.Mismatch().empty());
    for (const int row : backend.simulateRows)
        Require(row >= 0 && row < static_cast<int>(product::kProductCount));
    if (backend.ispVid) {
        Require(*backend.ispVid == product::kIspVidQuorvex ||
                *backend.ispVid == product::kIspVidAlternate);
    }
    return 0;
}
