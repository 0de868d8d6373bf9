#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "sim/product_factory.h"

namespace app {

// How the tool was started. With no options it behaves as shipped: real
// devices, compact window, no trace.
struct LaunchOptions {
    std::optional<sim::ProductConfig> simulatedProduct;  // --simulate and its companions
    bool engineering = false;
    QString traceFile;
};

// Reads the command line; on a bad option returns nullopt and fills `error`.
std::optional<LaunchOptions> ParseLaunchOptions(const QStringList& arguments, QString& error);

}  // namespace app
