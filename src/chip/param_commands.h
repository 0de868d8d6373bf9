#pragma once

#include <cstdint>

namespace usb {
class QuorvexUsb;
}

namespace chip {

// One parameter-mailbox request. Opens and closes the device itself. An odd
// selector reads `count` bytes into `data`, an even one writes them. False
// when a request failed or the firmware did not report completion within its
// time: a read then leaves `data` untouched, since the data registers would
// only hold what an earlier request left there.
bool ParamAccess(usb::QuorvexUsb& link, std::uint8_t command, std::uint8_t selector,
                 std::uint8_t argument, std::uint8_t count, std::uint8_t* data);

}  // namespace chip
