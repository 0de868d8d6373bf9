#pragma once

#include <string_view>

#include "usb/request_trace.h"

namespace usb {

// Hands each line to two traces, either of which may be absent: the run's
// memory and the --trace file the user asked for.
class TeeTrace final : public RequestTrace {
public:
    TeeTrace(RequestTrace* first, RequestTrace* second) : first_(first), second_(second) {}
    void Line(std::string_view line) override;

private:
    RequestTrace* first_;
    RequestTrace* second_;
};

}  // namespace usb
