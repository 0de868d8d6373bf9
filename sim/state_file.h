#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/flash_model.h"
#include "sim/param_store.h"
#include "sim/sim_chip.h"

namespace sim {

// A simulated product's whole state, kept in a file between two runs so the
// second meets the product as the first left it (for example the bare chip
// in ISP mode after an interrupted update).
//
// File format, version 1. A text header of "key value" lines, each ended by a
// line feed, then raw bytes:
//
//   PALEREED-SIM-STATE 1
//   flash W25Q80                  part name (SST25VF016B, MX25L1021E, W25Q80)
//   flash-size 1048576            bytes of flash contents that follow the header
//   product 2fc6:f066             VID:PID of the product in normal operation,
//                                   which names its product table row
//   isp-vid 2fc6                  VID of the bare chip in ISP mode
//   started-in-isp no             whether the chip came blank, waiting in ISP
//                                   mode (files of earlier builds lack the
//                                   line: not recorded)
//   flash-status fc               status register without busy (hex)
//   param-vid 32666336            parameter store, each field in hex:
//   param-pid 66303636              4 VID and 4 PID characters, the three
//   param-string1 0b51...           32-byte string packets, the 4-byte
//   param-string2 ...               system setting
//   param-string3 ...
//   param-system a1000000
//   volatile yes                  "no" (the chip has no power, as a bus-powered
//                                   product after an unplug): the lines down
//                                   to "end" are absent, and the next run
//                                   plugs it in and so boots it from its flash
//   firmware-running no           booted from a complete firmware
//   isp-mode yes
//   bank 0d                       selected register bank (hex)
//   flash-busy-us 0               remaining busy time of the flash
//   flash-aai none                or the next AAI word address (hex)
//   end
//   <flash-size bytes: the flash array from address 0>
//   <65536 bytes, only with "volatile yes": register banks 0-255, 256 bytes each>
//
// The I2C master, the mailbox, the pass-through engine and the devices on the
// I2C bus start idle on loading, as after a brief bus reset.
struct ProductState {
    FlashModel flash = FlashModel::W25q80;
    UsbIdentity product;
    std::uint16_t ispVid = 0;
    std::optional<bool> startedInIsp;  // nullopt: not recorded
    std::vector<std::uint8_t> flashContents;
    std::uint8_t flashStatus = 0;
    ParamStore params;
    std::optional<ChipVolatileState> volatileState;
};

inline constexpr int kStateFileVersion = 1;

// Everything of the chip; the volatile part only while it has power.
ProductState CaptureState(const SimChip& chip);

// Writes through a temporary file that then replaces `path`, so a failed
// write never leaves half a file. False with a sentence in `error`.
bool WriteStateFile(const std::string& path, const ProductState& state, std::string& error);

// Why a state could not be written to `path`, found out before the run so
// that it is not lost after it ("its folder does not exist", ...); empty
// when it can. Leaves nothing behind, and never reads the file.
std::string StateFileUnwritable(const std::string& path);

// nullopt with a sentence in `error` when the file cannot be read or is not
// a complete state file of a version this build knows.
std::optional<ProductState> ReadStateFile(const std::string& path, std::string& error);

// Puts the lasting part (flash, status bits, parameters) into a chip that is
// not plugged in yet. False with `error` when the file belongs to another
// product or flash than the chip.
bool ApplyLastingState(SimChip& chip, const ProductState& state, std::string& error);

}  // namespace sim
