#pragma once

namespace pages {

// What the status labels say for the device's state; "USB connected" is also
// the connection label's text before the first update.
inline constexpr const char* kUsbConnectedText = "USB connected";
inline constexpr const char* kUsbDisconnectedText = "USB Disconnected";
inline constexpr const char* kPlayingText = "Playing";
inline constexpr const char* kMuteText = "Mute";
inline constexpr const char* kPcmText = "PCM";
inline constexpr const char* kDsdText = "DSD";

}  // namespace pages
