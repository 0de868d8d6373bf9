#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "byte_helpers.h"
#include "link_fixture.h"
#include "usb/transport_blocks.h"

namespace {

using usb::OpenStatus;
using usb_test::kIspPath;
using usb_test::kProductPath;
using usb_test::LinkTest;
using Lines = std::vector<std::string>;

const usb::Guid& kAudio = usb::kAudioDriverInterfaceClass;
const usb::Guid& kUsbDevice = usb::kUsbDeviceInterfaceClass;

std::string ProductPathAt(const std::string& location) {
    return usb::MakeInterfacePath(0x2fc6, 0xf066, location, kAudio);
}

// A path of exactly `size` characters that contains the product's ids.
std::string LongMatchingPath(std::size_t size) {
    std::string path = ProductPathAt("1-1");
    path.insert(path.size() - 1, size - path.size(), 'x');
    return path;
}

class LinkDiscovery : public LinkTest {
protected:
    void LookForProduct() {
        link.SetAudioDriver(true);
        link.SetMatchString("vid_2fc6&pid_f066");
    }
};

TEST_F(LinkDiscovery, StartsNotFoundOnTheVendorPathLookingForTheIspChip) {
    EXPECT_FALSE(link.IsFound());
    EXPECT_FALSE(link.UsesAudioDriver());
    EXPECT_STREQ(link.DevicePath(), "");
    EXPECT_STREQ(link.MatchString(), "vid_0ea0&pid_6000");
    EXPECT_FALSE(link.HasOpenHandle());
}

TEST_F(LinkDiscovery, EachPathSearchesItsOwnInterfaceClass) {
    link.SetMatchString("vid_2fc6&pid_6000");
    link.SetAudioDriver(true);
    EXPECT_FALSE(link.FindDevice()) << "the ISP chip has no audio interface";
    EXPECT_FALSE(link.IsFound());
    link.SetAudioDriver(false);
    EXPECT_FALSE(link.UsesAudioDriver());
    EXPECT_TRUE(link.FindDevice());
    EXPECT_STREQ(link.DevicePath(), kIspPath.c_str());
}

TEST_F(LinkDiscovery, LastMatchingInterfaceWinsAndEveryMatchIsProbed) {
    const std::string first = ProductPathAt("1-1");
    const std::string last = ProductPathAt("3-7.1");
    backend.SetPaths(kAudio, {first, usb::MakeInterfacePath(0x2fc6, 0xf067, "2-1", kAudio), last});
    LookForProduct();
    EXPECT_TRUE(link.FindDevice());
    EXPECT_TRUE(link.IsFound());
    EXPECT_STREQ(link.DevicePath(), last.c_str());
    EXPECT_EQ(backend.OpenedPaths(), (Lines{first, last}));
    EXPECT_EQ(trace.Lines(), (Lines{"probe ok", "probe ok"}));
}

TEST_F(LinkDiscovery, ResultIsTheLastProbes) {
    backend.SetPaths(kAudio, {ProductPathAt("1-1"), ProductPathAt("1-2")});
    LookForProduct();
    int probe = 0;
    backend.SetHandler([&](const usb::DecodedCall&) { return ++probe == 1; });
    EXPECT_FALSE(link.FindDevice()) << "first probe succeeded, last failed";
    EXPECT_EQ(trace.Lines(), (Lines{"probe ok", "probe fail"}));
}

TEST_F(LinkDiscovery, MatchIsCaseSensitive) {
    backend.SetPaths(kAudio, {"\\\\?\\USB#VID_2FC6&PID_F066#LOC_1-1#{X}"});
    LookForProduct();
    EXPECT_FALSE(link.FindDevice());
    EXPECT_FALSE(link.IsFound());
    EXPECT_FALSE(link.CheckDevice());
    EXPECT_TRUE(backend.OpenedPaths().empty());
}

TEST_F(LinkDiscovery, MatchMayStandAnywhereInThePath) {
    backend.SetPaths(kAudio, {"vid_2fc6&pid_f066", "prefix-vid_2fc6&pid_f066"});
    LookForProduct();
    EXPECT_TRUE(link.CheckDevice());
    EXPECT_TRUE(link.FindDevice());
    EXPECT_STREQ(link.DevicePath(), "prefix-vid_2fc6&pid_f066");
}

TEST_F(LinkDiscovery, FindDeviceNeverClearsFoundAndKeepsTheEarlierPath) {
    LookForProduct();
    ASSERT_TRUE(link.FindDevice());
    backend.SetPaths(kAudio, {});
    EXPECT_FALSE(link.FindDevice());
    EXPECT_TRUE(link.IsFound());
    EXPECT_STREQ(link.DevicePath(), kProductPath.c_str());
}

TEST_F(LinkDiscovery, CheckDeviceClearsFoundButKeepsThePathAndSendsNothing) {
    LookForProduct();
    ASSERT_TRUE(link.FindDevice());
    const std::size_t opens = backend.OpenedPaths().size();
    const std::size_t calls = backend.Calls().size();
    backend.SetPaths(kAudio, {});
    EXPECT_FALSE(link.CheckDevice());
    EXPECT_FALSE(link.IsFound());
    EXPECT_STREQ(link.DevicePath(), kProductPath.c_str());
    EXPECT_EQ(backend.OpenedPaths().size(), opens);
    EXPECT_EQ(backend.Calls().size(), calls);
}

TEST_F(LinkDiscovery, CheckDeviceSetsFoundWithoutStoringThePath) {
    LookForProduct();
    EXPECT_TRUE(link.CheckDevice());
    EXPECT_TRUE(link.IsFound());
    EXPECT_STREQ(link.DevicePath(), "");
    EXPECT_TRUE(backend.OpenedPaths().empty());
    EXPECT_TRUE(trace.Lines().empty());
}

// The product sits only in the audio class, the ISP chip only in the USB
// device class: each is seen only on its own path.
TEST_F(LinkDiscovery, CheckDeviceSearchesTheClassOfTheChosenPath) {
    link.SetMatchString("vid_2fc6&pid_f066");
    link.SetAudioDriver(false);
    EXPECT_FALSE(link.CheckDevice());
    link.SetAudioDriver(true);
    EXPECT_TRUE(link.CheckDevice());
    link.SetMatchString("vid_2fc6&pid_6000");
    EXPECT_FALSE(link.CheckDevice());
    link.SetAudioDriver(false);
    EXPECT_TRUE(link.CheckDevice());
}

TEST_F(LinkDiscovery, PresentPathsAreListedWithoutChangingTheLink) {
    LookForProduct();
    EXPECT_EQ(link.PresentInterfacePaths(true), std::vector<std::string>{kProductPath});
    EXPECT_EQ(link.PresentInterfacePaths(false), std::vector<std::string>{kIspPath});
    EXPECT_FALSE(link.IsFound());
    EXPECT_TRUE(link.UsesAudioDriver());
    EXPECT_TRUE(backend.OpenedPaths().empty());
}

TEST_F(LinkDiscovery, ListFailureLeavesFoundForFindAndClearsItForCheck) {
    LookForProduct();
    backend.SetListFails(true);
    EXPECT_FALSE(link.FindDevice());
    EXPECT_FALSE(link.IsFound());

    backend.SetListFails(false);
    ASSERT_TRUE(link.FindDevice());
    backend.SetListFails(true);
    EXPECT_FALSE(link.FindDevice());
    EXPECT_TRUE(link.IsFound());
    EXPECT_FALSE(link.CheckDevice());
    EXPECT_FALSE(link.IsFound());
    EXPECT_STREQ(link.DevicePath(), kProductPath.c_str());
}

TEST_F(LinkDiscovery, EmptyMatchStringMatchesNothing) {
    LookForProduct();
    ASSERT_TRUE(link.FindDevice());
    link.SetMatchString("");
    EXPECT_FALSE(link.FindDevice());
    EXPECT_TRUE(link.IsFound());
    EXPECT_FALSE(link.CheckDevice());
    EXPECT_FALSE(link.IsFound());
    link.SetMatchString(std::string_view{});
    EXPECT_STREQ(link.MatchString(), "");
    EXPECT_FALSE(link.CheckDevice());
}

TEST_F(LinkDiscovery, MatchStringKeepsAtMost49Characters) {
    const std::string longText(60, 'a');
    link.SetMatchString(longText);
    EXPECT_EQ(std::strlen(link.MatchString()), 49u);
    EXPECT_EQ(std::string(link.MatchString()), longText.substr(0, 49));
    link.SetMatchString("vid_2fc6&pid_f066");
    EXPECT_STREQ(link.MatchString(), "vid_2fc6&pid_f066");
}

TEST_F(LinkDiscovery, PathsThatDoNotFitAreSkippedNotCut) {
    const std::string fits = LongMatchingPath(511);
    backend.SetPaths(kAudio, {fits, LongMatchingPath(512), LongMatchingPath(4000)});
    LookForProduct();
    EXPECT_TRUE(link.FindDevice());
    EXPECT_EQ(std::string(link.DevicePath()), fits);
    EXPECT_EQ(backend.OpenedPaths(), (Lines{fits}));

    backend.SetPaths(kAudio, {LongMatchingPath(512)});
    EXPECT_FALSE(link.CheckDevice());
    EXPECT_FALSE(link.FindDevice());
    EXPECT_EQ(std::string(link.DevicePath()), fits);
}

using LinkProbe = LinkDiscovery;

TEST_F(LinkProbe, AudioPathSendsTheSupportQueryOnItsOwnHandle) {
    LookForProduct();
    ASSERT_TRUE(link.FindDevice());
    ASSERT_EQ(backend.Calls().size(), 1u);
    const auto& call = backend.Calls()[0];
    EXPECT_EQ(call.controlCode, 0x2F0003u);
    const usb_test::Bytes header =
        usb_test::Join({usb_test::kPropertySetBytes, {0, 0, 0, 0}, {0x00, 0x01, 0x00, 0x00}});
    EXPECT_EQ(call.input, header);
    EXPECT_EQ(call.outputSize, 0u);
    EXPECT_EQ(backend.ClosedHandles(), (std::vector<usb::DeviceBackend::HandleId>{call.handle}));
    EXPECT_FALSE(link.HasOpenHandle());
}

// The probe opens a handle of its own and leaves the link's open handle as
// it was: a search during an operation must not close the device under it.
TEST_F(LinkProbe, LeavesTheOpenHandleAlone) {
    LookForProduct();
    ASSERT_TRUE(link.FindDevice());
    ASSERT_TRUE(link.OpenDevice());
    std::uint8_t byte = 0;
    ASSERT_TRUE(link.VendorRequest(0xC3, 0x91, 0, 0, &byte, 1));
    const usb::DeviceBackend::HandleId linkHandle = backend.Calls().back().handle;
    ASSERT_TRUE(link.FindDevice());
    const auto& probe = backend.Calls().back();
    EXPECT_NE(probe.handle, linkHandle);
    EXPECT_TRUE(link.HasOpenHandle());
    EXPECT_EQ(
        std::count(backend.ClosedHandles().begin(), backend.ClosedHandles().end(), linkHandle), 0);
    ASSERT_TRUE(link.VendorRequest(0xC3, 0x91, 0, 0, &byte, 1));
    EXPECT_EQ(backend.Calls().back().handle, linkHandle);
}

TEST_F(LinkProbe, VendorPathAsksFor18BytesOfDeviceDescriptor) {
    link.SetMatchString("vid_2fc6&pid_6000");
    ASSERT_TRUE(link.FindDevice());
    ASSERT_EQ(backend.Calls().size(), 1u);
    const auto& call = backend.Calls()[0];
    EXPECT_EQ(call.controlCode, 0x22242Eu);
    EXPECT_EQ(call.input, usb_test::Join({usb_test::Zeros(4),
                                          {0x80, 0x06, 0x00, 0x01, 0x01, 0x00, 0x12, 0x00},
                                          usb_test::Zeros(12)}));
    EXPECT_EQ(call.outputSize, 18u);
    EXPECT_EQ(backend.OpenHandleCount(), 0);
}

TEST_F(LinkProbe, FailedRequestLeavesFoundAndThePath) {
    LookForProduct();
    backend.SetHandler([](const usb::DecodedCall&) { return false; });
    EXPECT_FALSE(link.FindDevice());
    EXPECT_TRUE(link.IsFound());
    EXPECT_STREQ(link.DevicePath(), kProductPath.c_str());
    EXPECT_EQ(backend.OpenHandleCount(), 0);
}

TEST_F(LinkProbe, FailedOpenLeavesFoundAndThePath) {
    LookForProduct();
    backend.SetOpenStatus(OpenStatus::PermissionDenied);
    EXPECT_FALSE(link.FindDevice());
    EXPECT_TRUE(link.IsFound());
    EXPECT_STREQ(link.DevicePath(), kProductPath.c_str());
    EXPECT_EQ(link.LastOpenStatus(), OpenStatus::PermissionDenied);
    EXPECT_TRUE(backend.Calls().empty());
    EXPECT_EQ(trace.Lines(), (Lines{"probe fail"}));
}

using LinkHandle = LinkDiscovery;

TEST_F(LinkHandle, OpenTwiceClosesTheFirstHandleBeforeOpeningAgain) {
    LookForProduct();
    ASSERT_TRUE(link.FindDevice());
    trace.Clear();
    ASSERT_TRUE(link.OpenDevice());
    const std::size_t closedBefore = backend.ClosedHandles().size();
    ASSERT_TRUE(link.OpenDevice());
    ASSERT_EQ(backend.ClosedHandles().size(), closedBefore + 1);
    EXPECT_EQ(backend.OpenHandleCount(), 1);
    EXPECT_EQ(trace.Lines(), (Lines{"open ok", "close", "open ok"}));
    EXPECT_EQ(backend.OpenedPaths().back(), kProductPath);
}

TEST_F(LinkHandle, CloseWithoutAHandleDoesNothing) {
    link.CloseDevice();
    EXPECT_TRUE(backend.ClosedHandles().empty());
    EXPECT_TRUE(trace.Lines().empty());
    LookForProduct();
    ASSERT_TRUE(link.FindDevice());
    ASSERT_TRUE(link.OpenDevice());
    link.CloseDevice();
    const std::size_t closed = backend.ClosedHandles().size();
    link.CloseDevice();
    EXPECT_EQ(backend.ClosedHandles().size(), closed);
    EXPECT_FALSE(link.HasOpenHandle());
}

TEST_F(LinkHandle, ClearFoundKeepsTheHandleOpen) {
    LookForProduct();
    ASSERT_TRUE(link.FindDevice());
    ASSERT_TRUE(link.OpenDevice());
    link.ClearFound();
    EXPECT_FALSE(link.IsFound());
    EXPECT_TRUE(link.HasOpenHandle());
    EXPECT_EQ(backend.OpenHandleCount(), 1);
    std::uint8_t byte = 0;
    EXPECT_TRUE(link.VendorRequest(0xC3, 0x91, 0, 0, &byte, 1));
}

TEST_F(LinkHandle, OpenUsesTheStoredPathEvenWhenNotFound) {
    LookForProduct();
    ASSERT_TRUE(link.FindDevice());
    link.ClearFound();
    ASSERT_TRUE(link.OpenDevice());
    EXPECT_EQ(backend.OpenedPaths().back(), kProductPath);
}

TEST_F(LinkHandle, RefusedOpenIsReportedWithItsReason) {
    LookForProduct();
    ASSERT_TRUE(link.FindDevice());
    ASSERT_TRUE(link.OpenDevice());
    backend.SetOpenStatus(OpenStatus::PermissionDenied);
    EXPECT_FALSE(link.OpenDevice());
    EXPECT_EQ(link.LastOpenStatus(), OpenStatus::PermissionDenied);
    EXPECT_FALSE(link.HasOpenHandle()) << "the earlier handle was closed first";
    EXPECT_EQ(backend.OpenHandleCount(), 0);

    backend.SetOpenStatus(OpenStatus::NoSuchDevice);
    EXPECT_FALSE(link.OpenDevice());
    EXPECT_EQ(link.LastOpenStatus(), OpenStatus::NoSuchDevice);

    backend.SetOpenStatus(OpenStatus::Ok);
    EXPECT_TRUE(link.OpenDevice());
    EXPECT_EQ(link.LastOpenStatus(), OpenStatus::Ok);
}

TEST_F(LinkHandle, DestructorClosesAnOpenHandle) {
    testing_support::FakeBackend other;
    other.SetPaths(kUsbDevice, {kIspPath});
    {
        usb::QuorvexUsb scoped(other, clock);
        scoped.SetMatchString("vid_2fc6&pid_6000");
        ASSERT_TRUE(scoped.FindDevice());
        ASSERT_TRUE(scoped.OpenDevice());
        ASSERT_EQ(other.OpenHandleCount(), 1);
    }
    EXPECT_EQ(other.OpenHandleCount(), 0);
}

TEST(OpenStatusText, NamesEachReason) {
    EXPECT_STREQ(usb::OpenStatusText(OpenStatus::Ok), "ok");
    EXPECT_STREQ(usb::OpenStatusText(OpenStatus::NoSuchDevice), "no such device");
    EXPECT_STREQ(usb::OpenStatusText(OpenStatus::PermissionDenied), "permission denied");
    EXPECT_STREQ(usb::OpenStatusText(OpenStatus::Failed), "failed");
}

}  // namespace
