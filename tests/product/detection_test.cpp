#include "product/detection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "product_rig.h"

namespace product_test {
namespace {

TEST(Detection, SearchesInTheWindowsAlternatingOrder) {
    ProductRig rig;
    product::DetectionCursor cursor;
    std::vector<std::string> order;
    for (int tick = 0; tick < 5; ++tick) {
        product::SearchNext(rig.link, cursor);
        order.emplace_back(rig.link.MatchString());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"vid_2fc6&pid_f067", "vid_2fc6&pid_6000",
                                               "vid_2fc6&pid_f068", "vid_0ea0&pid_6000",
                                               "vid_2fc6&pid_f069"}));
}

TEST(Detection, NamesWhatTheTickFoundInThePanelsWords) {
    ProductRig rig;
    rig.Plug(2, "1-2");
    product::DetectionCursor cursor;
    EXPECT_EQ(product::DetectionText(product::FoundDevice(rig.link, cursor)),
              "No device is available");
    product::SearchNext(rig.link, cursor);  // row 1: not there
    product::SearchNext(rig.link, cursor);  // 2fc6 ISP: not there
    EXPECT_FALSE(product::FoundDevice(rig.link, cursor));
    product::SearchNext(rig.link, cursor);  // row 2
    const auto found = product::FoundDevice(rig.link, cursor);
    ASSERT_TRUE(found);
    EXPECT_EQ(product::DetectionText(found), "Find Device Pale Reed F068");
    EXPECT_EQ(found->location, "1-2");
}

TEST(Detection, ReportsTheIspChipByTheIdentityItWasFoundWith) {
    ProductRig rig;
    rig.Plug(0, "1-2", true, sim::kIspVidAlternate);
    product::DetectionCursor cursor;
    std::optional<product::ListedDevice> found;
    for (int tick = 0; tick < 4 && !found; ++tick) {
        product::SearchNext(rig.link, cursor);
        found = product::FoundDevice(rig.link, cursor);
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(product::DetectionText(found), "Firmware update device 0EA0 is exist");
}

TEST(Detection, AProductFoundByItsRowCarriesTheTickOnFromThatRow) {
    ProductRig rig;
    rig.Plug(6, "1-2");
    product::DetectionCursor cursor;
    EXPECT_FALSE(product::FindProductRow(rig.link, cursor, 5));
    const auto found = product::FindProductRow(rig.link, cursor, 6);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->displayName, "Pale Reed F06C");
    EXPECT_EQ(product::LastProductRow(cursor), 6u);
    EXPECT_EQ(product::DetectionText(product::FoundDevice(rig.link, cursor)),
              "Find Device Pale Reed F06C");
    product::SearchNext(rig.link, cursor);  // the ISP search that follows a product
    product::SearchNext(rig.link, cursor);
    EXPECT_EQ(rig.link.MatchString(), std::string("vid_2fc6&pid_f06d"));
}

TEST(Detection, FindNowTakesTheFirstProductOfTheTableElseTheIspChip) {
    ProductRig rig;
    EXPECT_FALSE(product::FindNow(rig.link));
    rig.Plug(0, "1-4", true);
    auto found = product::FindNow(rig.link);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->mode, product::DeviceMode::Isp);
    rig.Plug(5, "1-3");
    found = product::FindNow(rig.link);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->displayName, "Pale Reed F06B");
    EXPECT_TRUE(rig.link.IsFound());
    EXPECT_TRUE(rig.link.UsesAudioDriver());
}

TEST(Detection, AimsAtOneOfTwoIdenticalProductsByItsLocation) {
    ProductRig rig;
    rig.Plug(0, "1-2");
    rig.Plug(0, "1-3");
    product::ListedDevice first;
    first.vid = 0x2FC6;
    first.pid = 0xF066;
    first.location = "1-2";
    ASSERT_TRUE(product::AimAt(rig.link, first));
    EXPECT_EQ(std::string(rig.link.DevicePath()).find("#loc_1-2#") != std::string::npos, true);
    first.location = "1-9";
    EXPECT_FALSE(product::AimAt(rig.link, first));
}

}  // namespace
}  // namespace product_test
