#include "product/listed_device.h"

#include <cstdio>

namespace product {

std::string ListedDevice::VidPidText() const {
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", vid, pid);
    return text;
}

}  // namespace product
