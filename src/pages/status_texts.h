#pragma once

#include <array>

namespace pages {

// The input sample rate by index: status byte 0 bits 3-0, plus 16 when the
// input is DSD. Eight characters each, right-aligned, so the label keeps its
// width; indexes the firmware does not use read as blanks.
inline constexpr std::array<const char*, 32> rateText = {
    " 44.1KHz", "   48KHz", " 88.2KHz", "   96KHz", "176.4KHz", "  192KHz", "352.8KHz", "  384KHz",
    "705.6KHz", "  768KHz", "        ", "        ", "        ", "        ", "        ", "        ",
    " DoP  64", " DoP 128", " DoP 256", " DoP 512", "        ", "        ", "        ", "        ",
    " DSD  64", " DSD 128", " DSD 256", " DSD 512", "        ", "        ", "        ", "        ",
};

// What the status labels say for the device's state; "USB connected" is also
// the connection label's text before the first update.
inline constexpr const char* kUsbConnectedText = "USB connected";
inline constexpr const char* kUsbDisconnectedText = "USB Disconnected";
inline constexpr const char* kPlayingText = "Playing";
inline constexpr const char* kMuteText = "Mute";
inline constexpr const char* kPcmText = "PCM";
inline constexpr const char* kDsdText = "DSD";

}  // namespace pages
