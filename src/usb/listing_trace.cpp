#include "listing_trace.h"

#include "request_trace.h"
#include "trace_format.h"

namespace usb {

std::optional<std::vector<std::string>> ListingTraceBackend::ListInterfacePaths(
    const Guid& interfaceClass) {
    std::optional<std::vector<std::string>> paths = inner_->ListInterfacePaths(interfaceClass);
    trace_.Line(FormatListingLine(interfaceClass, paths));
    return paths;
}

}  // namespace usb
