#include <gtest/gtest.h>
#include <libusb.h>
#include <umockdev.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "emulated_device.h"
#include "sim/virtual_clock.h"
#include "usb/guid.h"
#include "usb/libusb_backend.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"
#include "usb/transport_blocks.h"
#include "usb_descriptors.h"
#include "usb_testbed.h"

namespace {

using umockdev_test::DescriptorsBlob;
using umockdev_test::DeviceDescriptor;
using umockdev_test::EmulatedDevice;
using umockdev_test::ReceivedRequest;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

constexpr std::uint16_t kVid = 0x2fc6;
constexpr std::uint16_t kProductPid = 0xf066;
constexpr std::uint16_t kIspPid = 0x6000;
constexpr std::uint16_t kHubVid = 0x1d6b;
constexpr std::uint16_t kHubPid = 0x0002;

const std::string kProductAudioPath =
    "\\\\?\\usb#vid_2fc6&pid_f066#loc_1-2.3#{50894fa4-9206-4a91-8728-cf6f268f271d}";
const std::string kIspUsbPath =
    "\\\\?\\usb#vid_2fc6&pid_6000#loc_1-4#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

// The setup packet every probe of the audio-driver path turns into.
const Bytes kGetDeviceDescriptor = {0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 0x12, 0x00};

Bytes SetupOf(const ReceivedRequest& request) {
    return Bytes(request.setup.begin(), request.setup.end());
}

bool Contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// One testbed per test. libusb starts only after the devices are in place, so
// its first scan already sees them; it is shut down before the testbed goes.
class LibusbUnderUmockdev : public ::testing::Test {
protected:
    void SetUp() override {
        testbed = std::make_unique<umockdev_test::UsbTestbed>();
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run this binary under umockdev-wrapper";
    }

    void TearDown() override {
        link.reset();
        backend.reset();
        testbed.reset();
    }

    // A product on port 3 of a hub on port 2 of bus 1, bound to the audio driver.
    std::string AddProduct() {
        const std::string hubPath =
            testbed->Add({"1-2", "", 1, 2, kHubVid, kHubPid,
                          DescriptorsBlob(kHubVid, kHubPid, 9, {umockdev_test::kHubInterface})},
                         &hub);
        return testbed->Add(
            {"1-2.3", hubPath, 1, 5, kVid, kProductPid,
             DescriptorsBlob(kVid, kProductPid, 0xEF,
                             {umockdev_test::kAudioControl, umockdev_test::kAudioStreaming})},
            &product);
    }

    // The bare chip in ISP mode: one vendor-specific interface, no audio.
    std::string AddIspChip() {
        return testbed->Add({"1-4", "", 1, 7, kVid, kIspPid,
                             DescriptorsBlob(kVid, kIspPid, 0, {umockdev_test::kVendorSpecific})},
                            &ispChip);
    }

    void StartLibusb() {
        usb::LibusbStart start = usb::MakeLibusbBackend();
        ASSERT_NE(start.backend, nullptr) << start.error.ToString();
        backend = std::move(start.backend);
        link = std::make_unique<usb::QuorvexUsb>(*backend, clock);
        link->SetTrace(&trace);
    }

    void LookFor(bool audioPath, const char* match) {
        link->SetAudioDriver(audioPath);
        link->SetMatchString(match);
    }

    Lines List(const usb::Guid& interfaceClass) {
        const auto paths = backend->ListInterfacePaths(interfaceClass);
        EXPECT_TRUE(paths.has_value()) << backend->LastError().ToString();
        return paths.value_or(Lines{});
    }

    // libusb hears of an unplug from its udev monitor thread, a moment later.
    bool WaitUntilNotFound() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < deadline) {
            if (!link->CheckDevice())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    std::string LastLibusbError() const { return backend->LastError().ToString(); }

    // Declared before the testbed, which holds their handlers, so they outlive it.
    EmulatedDevice hub{DeviceDescriptor(kHubVid, kHubPid, 9)};
    EmulatedDevice product{DeviceDescriptor(kVid, kProductPid, 0xEF)};
    EmulatedDevice ispChip{DeviceDescriptor(kVid, kIspPid, 0)};
    std::unique_ptr<umockdev_test::UsbTestbed> testbed;
    sim::VirtualClock clock;
    usb::MemoryTrace trace;
    std::unique_ptr<usb::LibusbBackend> backend;
    std::unique_ptr<usb::QuorvexUsb> link;
};

TEST_F(LibusbUnderUmockdev, ListsOnlyAudioDevicesForTheAudioClassAndEveryDeviceForTheUsbClass) {
    AddProduct();
    AddIspChip();
    StartLibusb();
    EXPECT_EQ(List(usb::kAudioDriverInterfaceClass), Lines{kProductAudioPath});
    const Lines all = List(usb::kUsbDeviceInterfaceClass);
    EXPECT_EQ(all.size(), 3u);
    EXPECT_TRUE(Contains(all, kIspUsbPath));
    EXPECT_TRUE(Contains(
        all, "\\\\?\\usb#vid_2fc6&pid_f066#loc_1-2.3#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"));
    EXPECT_TRUE(Contains(
        all, "\\\\?\\usb#vid_1d6b&pid_0002#loc_1-2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"));
    EXPECT_EQ(List(usb::kVendorRequestPropertySet), Lines{}) << "not an interface class";
}

TEST_F(LibusbUnderUmockdev, ProductIsFoundProbedDrivenAndLostOnUnplug) {
    const std::string productSysPath = AddProduct();
    StartLibusb();
    LookFor(true, "vid_2fc6&pid_f066");

    ASSERT_TRUE(link->FindDevice()) << LastLibusbError();
    EXPECT_TRUE(link->IsFound());
    EXPECT_EQ(link->DevicePath(), kProductAudioPath);

    ASSERT_TRUE(link->OpenDevice()) << LastLibusbError();
    product.SetInAnswer(0x91, {0x05, 0x06, 0x07, 0x08});
    std::uint8_t out[2] = {0x0D, 0xEE};
    std::uint8_t in[4] = {};
    EXPECT_TRUE(link->VendorRequest(0x43, 0x90, 0x1234, 0x00A6, out, 2)) << LastLibusbError();
    EXPECT_TRUE(link->VendorRequest(0xC3, 0x91, 0x0000, 0x00A6, in, 4)) << LastLibusbError();
    EXPECT_EQ(Bytes(in, in + 4), (Bytes{0x05, 0x06, 0x07, 0x08}));

    const std::vector<ReceivedRequest> seen = product.Requests();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(SetupOf(seen[0]), kGetDeviceDescriptor) << "the probe";
    EXPECT_EQ(SetupOf(seen[1]), (Bytes{0x43, 0x90, 0x34, 0x12, 0xA6, 0x00, 0x02, 0x00}));
    EXPECT_EQ(seen[1].outData, (Bytes{0x0D, 0xEE}));
    EXPECT_EQ(SetupOf(seen[2]), (Bytes{0xC3, 0x91, 0x00, 0x00, 0xA6, 0x00, 0x04, 0x00}));
    EXPECT_TRUE(seen[2].outData.empty());
    EXPECT_TRUE(product.UnknownIoctls().empty()) << "no interface was claimed from the driver";

    testbed->Unplug(productSysPath, product);
    std::uint8_t after[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_FALSE(link->VendorRequest(0xC3, 0x91, 0x0000, 0x00A6, after, 4));
    EXPECT_EQ(Bytes(after, after + 4), Bytes(4, 0xEE));
    EXPECT_EQ(backend->LastError().code, LIBUSB_ERROR_NO_DEVICE) << LastLibusbError();
    link->CloseDevice();

    EXPECT_TRUE(WaitUntilNotFound());
    EXPECT_FALSE(link->IsFound());
    EXPECT_FALSE(link->OpenDevice());
    EXPECT_EQ(link->LastOpenStatus(), usb::OpenStatus::NoSuchDevice);
    EXPECT_EQ(trace.Lines(), (Lines{"probe ok", "open ok", "43 90 1234 00a6 2 0dee ok",
                                    "c3 91 0000 00a6 4 05060708 ok",
                                    "c3 91 0000 00a6 4 eeeeeeee fail "
                                    "(libusb_control_transfer: LIBUSB_ERROR_NO_DEVICE)",
                                    "close", "open fail"}));
}

// The transferred count reaches the link, which fails an answer shorter than
// asked; a stall keeps libusb's own code and the call's name.
TEST_F(LibusbUnderUmockdev, ShortAnswersAndStallsFailWithTheirCause) {
    AddProduct();
    StartLibusb();
    LookFor(true, "vid_2fc6&pid_f066");
    ASSERT_TRUE(link->FindDevice()) << LastLibusbError();
    ASSERT_TRUE(link->OpenDevice()) << LastLibusbError();

    product.SetInAnswer(0x92, {0xAA});
    std::uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_FALSE(link->VendorRequest(0xC3, 0x92, 0, 0, buffer, 4));
    EXPECT_EQ(link->LastRequestError(), "short reply: 1 of 4 bytes");

    EXPECT_FALSE(link->VendorRequest(0xC3, 0x93, 0, 0, buffer, 4)) << "no answer: stall";
    EXPECT_EQ(backend->LastError().code, LIBUSB_ERROR_PIPE) << LastLibusbError();
    EXPECT_EQ(link->LastRequestError(), "libusb_control_transfer: LIBUSB_ERROR_PIPE");
    EXPECT_TRUE(link->VendorRequest(0x43, 0x90, 0, 0, nullptr, 0)) << "a stall ends with it";
    link->CloseDevice();
}

TEST_F(LibusbUnderUmockdev, IspChipIsReachedOnlyOverTheVendorPath) {
    AddIspChip();
    StartLibusb();

    LookFor(true, "vid_2fc6&pid_6000");
    EXPECT_FALSE(link->FindDevice());
    EXPECT_FALSE(link->IsFound());
    EXPECT_TRUE(ispChip.Requests().empty());

    LookFor(false, "vid_2fc6&pid_6000");
    ASSERT_TRUE(link->FindDevice()) << LastLibusbError();
    EXPECT_EQ(link->DevicePath(), kIspUsbPath);
    ASSERT_TRUE(link->OpenDevice()) << LastLibusbError();
    ispChip.SetInAnswer(0xA1, {0x42});
    std::uint8_t out[3] = {1, 2, 3};
    std::uint8_t in = 0;
    EXPECT_TRUE(link->VendorRequest(0x43, 0xA0, 0x0001, 0x0002, out, 3)) << LastLibusbError();
    EXPECT_TRUE(link->VendorRequest(0xC3, 0xA1, 0x0003, 0x0004, &in, 1)) << LastLibusbError();
    link->CloseDevice();
    EXPECT_EQ(in, 0x42);

    const std::vector<ReceivedRequest> seen = ispChip.Requests();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(SetupOf(seen[0]), (Bytes{0x80, 0x06, 0x00, 0x01, 0x01, 0x00, 0x12, 0x00}))
        << "GET_DESCRIPTOR with index 1 and length 18, as the vendor driver gets it";
    EXPECT_EQ(SetupOf(seen[1]), (Bytes{0x43, 0xA0, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00}));
    EXPECT_EQ(seen[1].outData, (Bytes{1, 2, 3}));
    EXPECT_EQ(SetupOf(seen[2]), (Bytes{0xC3, 0xA1, 0x03, 0x00, 0x04, 0x00, 0x01, 0x00}));
}

TEST_F(LibusbUnderUmockdev, EmptyBusListsNothing) {
    StartLibusb();
    EXPECT_EQ(List(usb::kAudioDriverInterfaceClass), Lines{});
    EXPECT_EQ(List(usb::kUsbDeviceInterfaceClass), Lines{});
    LookFor(true, "vid_2fc6&pid_f066");
    EXPECT_FALSE(link->FindDevice());
    EXPECT_FALSE(link->CheckDevice());
    const usb::DeviceBackend::OpenResult open = backend->Open(kProductAudioPath);
    EXPECT_EQ(open.status, usb::OpenStatus::NoSuchDevice);
}

TEST_F(LibusbUnderUmockdev, ForeignHandlesAndBlocksFailWithoutReachingTheDevice) {
    AddIspChip();
    StartLibusb();
    usb::MemoryTrace errors;
    backend->SetErrorLog(&errors);
    const usb::DeviceBackend::OpenResult open = backend->Open(kIspUsbPath);
    ASSERT_EQ(open.status, usb::OpenStatus::Ok) << LastLibusbError();

    Bytes answer(4, 0);
    const usb::VendorBlock block = usb::EncodeVendorBlock(0xC3, 0x91, 0, 0);
    EXPECT_FALSE(backend->IoControl(open.handle + 1, usb::kIoctlVendorIn, block, answer));
    EXPECT_FALSE(backend->IoControl(open.handle, usb::kIoctlVendorOut, block, answer))
        << "IN block under the OUT code";
    EXPECT_EQ(errors.Lines(),
              Lines{"decode control code 0x222429: LIBUSB_ERROR_INVALID_PARAM (-2)"});
    EXPECT_TRUE(ispChip.Requests().empty());

    backend->Close(open.handle + 1);
    backend->Close(open.handle);
    backend->Close(open.handle);
    EXPECT_FALSE(backend->IoControl(open.handle, usb::kIoctlVendorIn, block, answer));
    EXPECT_TRUE(ispChip.Requests().empty());
}

}  // namespace
