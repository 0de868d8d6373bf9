#include "usb/interface_path.h"

#include <gtest/gtest.h>

#include "usb/guid.h"

namespace {

TEST(InterfacePath, CarriesLowerCaseIdsLocationAndClass) {
    EXPECT_EQ(usb::MakeInterfacePath(0x2FC6, 0xF066, "1-2.3", usb::kAudioDriverInterfaceClass),
              "\\\\?\\usb#vid_2fc6&pid_f066#loc_1-2.3#{50894fa4-9206-4a91-8728-cf6f268f271d}");
    EXPECT_EQ(usb::MakeInterfacePath(0x0EA0, 0x6000, "12-1", usb::kUsbDeviceInterfaceClass),
              "\\\\?\\usb#vid_0ea0&pid_6000#loc_12-1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
}

TEST(InterfacePath, PadsIdsToFourDigits) {
    const std::string path =
        usb::MakeInterfacePath(0x0001, 0x00A0, "1-1", usb::kUsbDeviceInterfaceClass);
    EXPECT_NE(path.find("vid_0001&pid_00a0#"), std::string::npos);
}

}  // namespace
