#pragma once

#include <string>
#include <string_view>

#include "product/system_setting.h"

namespace usb {
class QuorvexUsb;
}

namespace product {

// The parameter store as typed operations over the mailbox command, which
// opens and closes the device itself. The store answers only while the chip
// runs its firmware; a chip in ISP mode never completes a request.

// The three USB strings of the store.
enum class ProductString { Manufacturer = 1, ModelName = 2, SerialNumber = 3 };

inline constexpr std::size_t kIdTextLength = 4;
inline constexpr std::size_t kMaxProductStringLength = 31;

// VID and PID travel as their first four characters ("2fc0" is 32 66 63 30),
// padded with zero bytes; they are not converted to numbers.
void WriteVid(usb::QuorvexUsb& link, std::string_view text);
void WritePid(usb::QuorvexUsb& link, std::string_view text);
// The four characters as the data registers hold them after the request
// (zero bytes dropped). Like the window, the reads do not tell a store that
// did not answer from one that did: they send exactly the mailbox request.
std::string ReadVid(usb::QuorvexUsb& link);
std::string ReadPid(usb::QuorvexUsb& link);

// Sends the string packet (length byte, then the characters) in chunks of
// eight bytes, 50 ms apart. False, with nothing sent, for more than 31 characters.
bool WriteProductString(usb::QuorvexUsb& link, ProductString which, std::string_view text);
// Reads chunk 0, then as many further chunks as its length byte asks for.
std::string ReadProductString(usb::QuorvexUsb& link, ProductString which);

// The whole 4-byte record, sent and read as one.
void WriteSystemSetting(usb::QuorvexUsb& link, const SystemSetting& setting);
// A byte whose read fails keeps its value from `before`, as the window's
// record does.
SystemSetting ReadSystemSetting(usb::QuorvexUsb& link, const SystemSetting& before);

}  // namespace product
