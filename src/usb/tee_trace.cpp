#include "usb/tee_trace.h"

namespace usb {

void TeeTrace::Line(std::string_view line) {
    if (first_ != nullptr)
        first_->Line(line);
    if (second_ != nullptr)
        second_->Line(line);
}

}  // namespace usb
