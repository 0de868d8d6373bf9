#pragma once

#include <optional>
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
// padded with zero bytes; they are not converted to numbers. False when the
// store did not take them.
bool WriteVid(usb::QuorvexUsb& link, std::string_view text);
bool WritePid(usb::QuorvexUsb& link, std::string_view text);
// The four characters as the data registers hold them after the request
// (zero bytes dropped); nothing when the store did not answer, since the data
// registers would only hold what an earlier request left there.
std::optional<std::string> ReadVid(usb::QuorvexUsb& link);
std::optional<std::string> ReadPid(usb::QuorvexUsb& link);

// How a string write ended. A chunk not taken ends the write: the chunks
// after it would only lengthen the wait.
enum class StringWrite { Written, TooLong, NotAnswered, StoppedPartWay };

// Sends the string packet (length byte, then the characters) in chunks of
// eight bytes, each followed by a 50 ms pause. TooLong, with nothing sent,
// for more than 31 characters; StoppedPartWay when a chunk after the first
// was not taken, leaving the stored string incomplete.
StringWrite WriteProductString(usb::QuorvexUsb& link, ProductString which, std::string_view text);
// Reads chunk 0, then as many further chunks as its length byte asks for;
// nothing when any of them was not answered.
std::optional<std::string> ReadProductString(usb::QuorvexUsb& link, ProductString which);

// The whole 4-byte record, sent and read as one. A failed read gives
// nothing, so the caller keeps the record it had.
bool WriteSystemSetting(usb::QuorvexUsb& link, const SystemSetting& setting);
std::optional<SystemSetting> ReadSystemSetting(usb::QuorvexUsb& link);

}  // namespace product
