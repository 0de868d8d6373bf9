#include "product/device_listing.h"

#include <gtest/gtest.h>

#include "product_rig.h"

namespace product_test {
namespace {

TEST(DeviceListing, ListsEveryProductAndIspChipWithItsIdentityAndLocation) {
    ProductRig rig;
    rig.Plug(0, "1-2");
    rig.Plug(9, "3-1.4");
    rig.Plug(0, "1-5", true, sim::kIspVidAlternate);
    rig.backend.Plug("1-6", std::make_shared<sim::SimDevice>(sim::UsbIdentity{0x1234, 0x5678}));

    const auto devices = product::ListDevices(rig.backend);

    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].displayName, "Pale Reed F066");
    EXPECT_EQ(devices[0].VidPidText(), "2fc6:f066");
    EXPECT_EQ(devices[0].location, "1-2");
    EXPECT_EQ(devices[0].mode, product::DeviceMode::Normal);
    EXPECT_EQ(devices[0].row, &product::productTable[0]);
    EXPECT_EQ(devices[1].displayName, "Pale Reed F06F");
    EXPECT_EQ(devices[1].location, "3-1.4");
    EXPECT_EQ(devices[2].displayName, "Firmware update device 0EA0");
    EXPECT_EQ(devices[2].VidPidText(), "0ea0:6000");
    EXPECT_EQ(devices[2].mode, product::DeviceMode::Isp);
    EXPECT_EQ(devices[2].row, nullptr);
    for (const auto& device : devices)
        EXPECT_TRUE(device.MayBeOpened()) << device.location;
    EXPECT_EQ(rig.backend.OpenHandleCount(), 0);
}

TEST(DeviceListing, TellsADeviceTheUserMayNotOpenAndSendsItNothing) {
    ProductRig rig;
    rig.Plug(1, "1-2");
    rig.backend.SetOpensRefused(true);
    rig.backend.SetLogging(true);

    const auto devices = product::ListDevices(rig.backend);

    ASSERT_EQ(devices.size(), 1u);
    EXPECT_FALSE(devices[0].MayBeOpened());
    EXPECT_EQ(devices[0].openStatus, usb::OpenStatus::PermissionDenied);
    EXPECT_TRUE(rig.backend.Log().empty());
    EXPECT_EQ(rig.backend.OpenHandleCount(), 0);
}

TEST(DeviceListing, FindsADeviceByLocationOnly) {
    ProductRig rig;
    rig.Plug(0, "1-2");
    rig.Plug(0, "1-3");
    const auto devices = product::ListDevices(rig.backend);
    ASSERT_TRUE(product::DeviceAt(devices, "1-3"));
    EXPECT_EQ(product::DeviceAt(devices, "1-3")->location, "1-3");
    EXPECT_FALSE(product::DeviceAt(devices, "1-"));
}

TEST(DeviceListing, ReadsTheLocationOutOfAnInterfacePath) {
    EXPECT_EQ(product::LocationOfPath("\\\\?\\usb#vid_2fc6&pid_f066#loc_1-2.3#{guid}"), "1-2.3");
    EXPECT_EQ(product::LocationOfPath("\\\\?\\usb#vid_2fc6&pid_f066#loc_7-1"), "7-1");
    EXPECT_EQ(product::LocationOfPath("\\\\?\\usb#vid_2fc6&pid_f066#{guid}"), "");
}

}  // namespace
}  // namespace product_test
