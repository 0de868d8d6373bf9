// The one-button update as `palereed-flash update` runs it, through the real
// libusb code and usbfs, against the simulated chip behind the testbed.

#include <gtest/gtest.h>
#include <umockdev.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "chip/registers.h"
#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "product/detection.h"
#include "product/device_listing.h"
#include "product/gated_clock.h"
#include "product/run_state.h"
#include "product/stop_gate.h"
#include "product/stoppable_update.h"
#include "sim/firmware_layout.h"
#include "sim/product_factory.h"
#include "sim/virtual_clock.h"
#include "sim_bus_bridge.h"
#include "usb/libusb_backend.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"
#include "usb_testbed.h"

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kLocation = "1-3";
constexpr std::uint32_t kImageLength = 0x1000;
// Transfers counted from the moment the fault plan is set, the listing's and
// the aiming's probes included: the page programs of a 4 KiB image on this
// flash are about numbers 800 to 900.
constexpr std::uint64_t kDuringProgramming = 850;
const std::string kProductLine = "1-3 Pale Reed F066";
const std::string kBareChipLine = "1-3 Firmware update device 2FC6";

// Register 0xA6 of bank 0, the status flags: the firmware sets bit 0 while it runs.
constexpr std::uint16_t kStatusFlags = 0xA6;

class Quiet final : public flash::StepReporter, public flash::FlashProgress {
public:
    void ShowStep(std::string_view) override {}
    void SetStepText(std::string_view) override {}
    void SetAddressText(std::string_view) override {}
    void SetStatusRegisterText(std::string_view) override {}
    void PumpEvents() override {}
    void SetShareDone(double) override {}
};

// The product (row 0, old firmware) on a root port of the emulated bus, and
// the tool's own stack above libusb as the command line builds it.
class UpdateOverLibusb : public ::testing::Test {
protected:
    void SetUp() override {
        testbed = std::make_unique<umockdev_test::UsbTestbed>();
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run this binary under umockdev-wrapper";
        bus = std::make_unique<umockdev_test::SimBusBridge>(*testbed, clock);
        sim::ProductConfig product;
        product.location = kLocation;
        product.flash = sim::FlashModel::W25q80;
        chip = sim::MakeProductChip(product, clock);
        bus->Plug(kLocation, chip);

        usb::LibusbStart start = usb::MakeLibusbBackend();
        ASSERT_NE(start.backend, nullptr) << start.error.ToString();
        backend = std::move(start.backend);
        gate = std::make_unique<product::StopGate>(*backend, state);
        gatedClock = std::make_unique<product::GatedClock>(clock, *gate);
        link = std::make_unique<usb::QuorvexUsb>(*gate, *gatedClock);
        link->SetTrace(&trace);

        image = sim::MakeFirmwareImage(kImageLength, 0x77);
        std::copy(image.begin(), image.end(), buffer.begin());
    }

    void TearDown() override {
        link.reset();
        gatedClock.reset();
        gate.reset();
        backend.reset();
        testbed.reset();
        bus.reset();
    }

    // What `palereed-flash update FILE` does with the one device present.
    product::UpdateOutcome UpdateTheOnlyDevice() {
        const std::vector<product::ListedDevice> devices = product::ListDevices(*gate);
        if (devices.size() != 1 || !product::AimAt(*link, devices.front())) {
            ADD_FAILURE() << "not one device to update: " << Listing();
            return {};
        }
        Quiet quiet;
        flash::FlashState flashState;
        return product::RunStoppableUpdate(
            *link, *gate, state, flash::ImageView{buffer, kImageLength}, flashState, quiet, quiet);
    }

    // "1-3 Pale Reed F066": every listed device, by location and name.
    std::string Listing() {
        std::string text;
        for (const product::ListedDevice& device : product::ListDevices(*gate))
            text += (text.empty() ? "" : ", ") + device.location + " " + device.displayName;
        return text;
    }

    // libusb hears of devices coming and going from its udev monitor thread,
    // a moment after the testbed announced them.
    std::string WaitForListing(const std::string& expected) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::string now = Listing();
        while (now != expected && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            now = Listing();
        }
        return now;
    }

    // The firmware's status flags, read over a fresh open of the found product.
    int StatusFlagsOfFoundProduct() {
        const std::optional<product::ListedDevice> found = product::FindNow(*link);
        if (!found || !link->OpenDevice())
            return -1;
        std::uint8_t flags = 0;
        const bool read =
            chip::RegSelectBank(*link, 0) && chip::RegRead(*link, kStatusFlags, flags);
        link->CloseDevice();
        return read ? flags : -1;
    }

    ::testing::AssertionResult FlashHoldsExactlyTheImage() {
        return bus->Inspect([&](sim::SimBackend&) -> ::testing::AssertionResult {
            const std::span<const std::uint8_t> flash = chip->Flash().Contents();
            if (!std::equal(image.begin(), image.end(), flash.begin()))
                return ::testing::AssertionFailure() << "the image is not in the flash";
            const auto stray = std::find_if(flash.begin() + kImageLength, flash.end(),
                                            [](std::uint8_t b) { return b != 0xFF; });
            if (stray != flash.end())
                return ::testing::AssertionFailure()
                       << "written past the image at " << (stray - flash.begin());
            return ::testing::AssertionSuccess();
        });
    }

    // How far the flash holds the image from address 0.
    std::uint32_t ImageBytesInFlash() {
        return bus->Inspect([&](sim::SimBackend&) {
            const std::span<const std::uint8_t> flash = chip->Flash().Contents();
            const auto end = std::mismatch(image.begin(), image.end(), flash.begin()).first;
            return static_cast<std::uint32_t>(end - image.begin());
        });
    }

    // The trace from the leave-ISP request on: what the link saw of the chip
    // dropping off the bus to boot its new firmware.
    Lines TraceFromIspLeave(std::ptrdiff_t count) const {
        const Lines lines = trace.Lines();
        const auto leave = std::find(lines.begin(), lines.end(), "43 85 29e6 1a9d 0 - ok");
        if (leave == lines.end())
            return {};
        return Lines(leave, leave + std::min<std::ptrdiff_t>(count, lines.end() - leave));
    }

    sim::VirtualClock clock;
    std::unique_ptr<umockdev_test::UsbTestbed> testbed;
    std::unique_ptr<umockdev_test::SimBusBridge> bus;
    std::shared_ptr<sim::SimChip> chip;
    std::unique_ptr<usb::LibusbBackend> backend;
    product::RunState state;
    std::unique_ptr<product::StopGate> gate;
    std::unique_ptr<product::GatedClock> gatedClock;
    std::unique_ptr<usb::QuorvexUsb> link;
    usb::MemoryTrace trace;
    std::vector<std::uint8_t> image;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(flash::kImageBufferSize, 0xFF);
};

TEST_F(UpdateOverLibusb, OneButtonUpdateWritesTheImageAndTheProductComesBackAtANewAddress) {
    ASSERT_EQ(WaitForListing(kProductLine), kProductLine);

    const product::UpdateOutcome run = UpdateTheOnlyDevice();
    EXPECT_TRUE(run.started);
    EXPECT_TRUE(run.result.succeeded) << run.result.failure.cause;
    EXPECT_TRUE(FlashHoldsExactlyTheImage());
    // The chip boots when it leaves ISP mode and is a new device to the host:
    // the old handle fails as after an unplug.
    EXPECT_EQ(
        TraceFromIspLeave(2),
        (Lines{"43 85 29e6 1a9d 0 - ok",
               "43 90 0000 0000 1 0d fail (libusb_control_transfer: LIBUSB_ERROR_NO_DEVICE)"}));

    EXPECT_EQ(WaitForListing(kProductLine), kProductLine);
    EXPECT_EQ(StatusFlagsOfFoundProduct(), sim::DeviceStatus::kConnected)
        << "the new firmware runs and answers at the new address";
}

TEST_F(UpdateOverLibusb, UnplugDuringProgrammingFailsAndTheSameFileBringsTheBareChipBack) {
    ASSERT_EQ(WaitForListing(kProductLine), kProductLine);
    sim::FaultPlan unplug;
    unplug.unplugAtRequest = kDuringProgramming;
    bus->SetFaultPlan(unplug);

    const product::UpdateOutcome broken = UpdateTheOnlyDevice();
    EXPECT_FALSE(broken.result.succeeded);
    EXPECT_EQ(broken.result.failedStep, flash::UpdateStep::Program);
    EXPECT_EQ(WaitForListing(""), "");
    // Power returns: with half an image the boot code stays in ISP mode.
    bus->SetFaultPlan({});
    bus->Plug(kLocation, chip);
    ASSERT_EQ(WaitForListing(kBareChipLine), kBareChipLine);
    const std::uint32_t written = ImageBytesInFlash();
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, kImageLength);

    const product::UpdateOutcome recovery = UpdateTheOnlyDevice();
    EXPECT_TRUE(recovery.result.succeeded) << recovery.result.failure.cause;
    EXPECT_TRUE(FlashHoldsExactlyTheImage());
    EXPECT_EQ(WaitForListing(kProductLine), kProductLine);
    EXPECT_EQ(StatusFlagsOfFoundProduct(), sim::DeviceStatus::kConnected);
}

}  // namespace
