#pragma once

#include <gtest/gtest.h>

#include <string>

#include "sim/virtual_clock.h"
#include "support/fake_backend.h"
#include "usb/guid.h"
#include "usb/interface_path.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

namespace usb_test {

inline const std::string kProductPath =
    usb::MakeInterfacePath(0x2fc6, 0xf066, "1-2.3", usb::kAudioDriverInterfaceClass);
inline const std::string kIspPath =
    usb::MakeInterfacePath(0x2fc6, 0x6000, "1-4", usb::kUsbDeviceInterfaceClass);

// A link over the fake backend with one product on the audio-driver path and
// one ISP-mode chip on the vendor-driver path.
class LinkTest : public ::testing::Test {
protected:
    LinkTest() {
        backend.SetPaths(usb::kAudioDriverInterfaceClass, {kProductPath});
        backend.SetPaths(usb::kUsbDeviceInterfaceClass, {kIspPath});
        link.SetTrace(&trace);
    }

    // Finds and opens the product (audio path) or the chip (vendor path).
    void OpenOn(bool audioPath) {
        link.SetAudioDriver(audioPath);
        link.SetMatchString(audioPath ? "vid_2fc6&pid_f066" : "vid_2fc6&pid_6000");
        ASSERT_TRUE(link.FindDevice());
        ASSERT_TRUE(link.OpenDevice());
        trace.Clear();
    }

    // The call the link made last, as the backend saw it.
    const testing_support::FakeBackend::RecordedCall& LastCall() const {
        return backend.Calls().back();
    }

    testing_support::FakeBackend backend;
    sim::VirtualClock clock;
    usb::QuorvexUsb link{backend, clock};
    usb::MemoryTrace trace;
};

}  // namespace usb_test
