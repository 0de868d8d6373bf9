#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "catalog/product_table.h"

namespace {

using UsbId = std::pair<std::uint16_t, std::uint16_t>;

std::string ReadData(const std::string& path) {
    std::ifstream file(std::string(PALEREED_SOURCE_DIR "/data/") + path);
    EXPECT_TRUE(file.is_open()) << path;
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::set<UsbId> ProductIds() {
    std::set<UsbId> ids;
    for (const auto& row : product::productTable)
        ids.insert({row.vid, row.pid});
    return ids;
}

// Every (VID, PID) that `pattern` finds, read as hexadecimal.
std::set<UsbId> IdsIn(const std::string& text, const std::regex& pattern) {
    std::set<UsbId> ids;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        ids.insert({static_cast<std::uint16_t>(std::stoul((*it)[1], nullptr, 16)),
                    static_cast<std::uint16_t>(std::stoul((*it)[2], nullptr, 16))});
    }
    return ids;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST(UdevRule, OpensExactlyTheProductsAndTheIspChipToTheSeat) {
    const std::string rules = ReadData("udev/70-palereed.rules");
    std::set<UsbId> expected = ProductIds();
    expected.insert({product::kIspVidQuorvex, product::kIspPid});
    expected.insert({product::kIspVidAlternate, product::kIspPid});
    const std::regex granted(
        R"re(ATTR\{idVendor\}=="([0-9a-f]{4})", ATTR\{idProduct\}=="([0-9a-f]{4})", TAG\+="uaccess")re");
    EXPECT_EQ(IdsIn(rules, granted), expected);
    // No other line hands out access, e.g. to a whole vendor.
    EXPECT_EQ(Count(rules, "uaccess\"\n"), expected.size());
}

TEST(UdevRule, OnlyLooksAtUsbDevicesNotTheirInterfaces) {
    const std::string rules = ReadData("udev/70-palereed.rules");
    const auto firstGrant = rules.find("TAG+=\"uaccess\"");
    EXPECT_LT(rules.find("SUBSYSTEM!=\"usb\", GOTO=\"palereed_end\"\n"), firstGrant);
    EXPECT_LT(rules.find("ENV{DEVTYPE}!=\"usb_device\", GOTO=\"palereed_end\"\n"), firstGrant);
    const auto end = rules.rfind("LABEL=\"palereed_end\"\n");
    ASSERT_NE(end, std::string::npos);
    EXPECT_GT(end, rules.rfind("TAG+=\"uaccess\""));
}

TEST(Metainfo, ListsEveryProductAsAModalias) {
    const std::string metainfo = ReadData("metainfo/com.palereed.UpdateTool.metainfo.xml.in");
    const std::regex modalias(R"re(<modalias>usb:v([0-9A-F]{4})p([0-9A-F]{4})d\*</modalias>)re");
    EXPECT_EQ(IdsIn(metainfo, modalias), ProductIds());
    EXPECT_EQ(Count(metainfo, "<modalias>"), product::kProductCount);
}

// "Open With" and a file dropped on the launcher start the tool with that
// file, which it takes as its first argument.
TEST(DesktopEntry, PassesTheFileItWasOpenedWith) {
    const std::string entry = ReadData("desktop/com.palereed.UpdateTool.desktop");
    EXPECT_EQ(Count(entry, "\nExec=palereed-update-tool %f\n"), 1u) << entry;
}

}  // namespace
