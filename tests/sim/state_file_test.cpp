#include "sim/state_file.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "chip/request_codes.h"
#include "sim/product_factory.h"
#include "sim_rig.h"

namespace {

using sim_test::Addressed;
using sim_test::SimRig;

std::string ReadAll(const std::filesystem::path& path) {
    std::string bytes(std::filesystem::file_size(path), '\0');
    std::ifstream(path, std::ios::binary)
        .read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class StateFileTest : public ::testing::Test {
protected:
    StateFileTest() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("sim-state-" + std::to_string(::getpid()) + "-" + info->name());
        std::filesystem::create_directories(dir_);
    }
    ~StateFileTest() override { std::filesystem::remove_all(dir_); }

    static sim::ProductConfig Sst() {
        sim::ProductConfig config;
        config.flash = sim::FlashModel::Sst25vf016b;
        return config;
    }

    // An update cut short inside a word-programming sequence: firmware
    // erased, two words written, the sequence still open.
    void InterruptAnUpdate(SimRig& rig) {
        ASSERT_TRUE(rig.Connect());
        ASSERT_TRUE(rig.EnterIsp());
        ASSERT_TRUE(rig.WriteEnable());
        ASSERT_TRUE(rig.Instruction({chip::kFlashWriteStatus, 0x00}));
        ASSERT_TRUE(rig.WriteEnable());
        ASSERT_TRUE(rig.Instruction({chip::kFlashChipErase}));
        ASSERT_TRUE(rig.WaitNotBusy());
        ASSERT_TRUE(rig.WriteEnable());
        ASSERT_TRUE(rig.Instruction(Addressed(chip::kFlashWordProgram, 0x0100, {0x11, 0x22})));
        rig.clock.SleepMs(1);
        ASSERT_TRUE(rig.Instruction({chip::kFlashWordProgram, 0x33, 0x44}));
        rig.clock.SleepMs(1);
        rig.chip->Params().SetString(3, "kept between runs");
        ASSERT_TRUE(rig.chip->Flash().InAaiMode());
    }

    std::string Path() const { return (dir_ / "product.state").string(); }

    std::filesystem::path dir_;
};

TEST_F(StateFileTest, SecondRunMeetsTheProductAsTheFirstLeftIt) {
    std::string error;
    {
        SimRig first(Sst());
        InterruptAnUpdate(first);
        ASSERT_TRUE(sim::SaveProductState(*first.chip, Path(), error)) << error;
    }
    sim::ProductConfig config = Sst();
    config.stateFile = Path();
    SimRig second(config);
    EXPECT_EQ(second.chip->Identity(), sim::ProductIdentity(0)) << "no restart in between";
    EXPECT_TRUE(second.chip->InIspMode());
    EXPECT_TRUE(second.chip->PassThroughOpen());
    EXPECT_TRUE(second.chip->Flash().InAaiMode());
    EXPECT_EQ(second.chip->Params().String(3), "kept between runs");

    ASSERT_TRUE(second.Connect());
    ASSERT_TRUE(second.Instruction({chip::kFlashWordProgram, 0x55, 0x66}));
    second.clock.SleepMs(1);
    ASSERT_TRUE(second.Instruction({chip::kFlashWriteDisable}));
    EXPECT_EQ(second.FlashRead(0x0100, 7),
              (std::vector<std::uint8_t>{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0xFF}))
        << "the open sequence went on where it stopped";
}

// Each run saves over the state the run before it left (on Windows too,
// where a plain rename refuses to replace a file).
TEST_F(StateFileTest, EachSaveReplacesTheStateBefore) {
    std::string error;
    SimRig rig(Sst());
    rig.chip->Params().SetString(3, "first run");
    ASSERT_TRUE(sim::SaveProductState(*rig.chip, Path(), error)) << error;
    rig.chip->Params().SetString(3, "second run");
    ASSERT_TRUE(sim::SaveProductState(*rig.chip, Path(), error)) << error;

    sim::ProductConfig config = Sst();
    config.stateFile = Path();
    EXPECT_EQ(SimRig(config).chip->Params().String(3), "second run");
}

TEST_F(StateFileTest, PowerCycleKeepsOnlyWhatSurvivesThePowerGoing) {
    std::string error;
    {
        SimRig first(Sst());
        InterruptAnUpdate(first);
        ASSERT_TRUE(sim::SaveProductState(*first.chip, Path(), error)) << error;
    }
    sim::ProductConfig config = Sst();
    config.stateFile = Path();
    config.powerCycle = true;
    SimRig second(config);
    EXPECT_EQ(second.chip->Identity(), (sim::UsbIdentity{sim::kIspVidQuorvex, sim::kIspPid, false}))
        << "no firmware left: the bare chip waits in ISP mode";
    EXPECT_FALSE(second.chip->Flash().InAaiMode());
    EXPECT_FALSE(second.chip->PassThroughOpen());
    EXPECT_EQ(second.chip->Flash().StatusRegister(0), 0x1C) << "SST protection comes up set";
    EXPECT_EQ(second.chip->Flash().Contents()[0x0102], 0x33);
    EXPECT_EQ(second.chip->Params().String(3), "kept between runs");
}

// A product unplugged in ISP mode had its power from the cable: the file
// keeps it without power, and the next run plugs it in, so it boots from its
// flash: the bare chip when the flash lost its firmware, else the product.
class UnpluggedInIspMode : public StateFileTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UnpluggedInIspMode, TheNextRunMeetsWhatItsFlashBoots) {
    const bool erased = GetParam();
    std::string error;
    {
        SimRig first(sim_test::W25Product());
        ASSERT_TRUE(first.Connect());
        ASSERT_TRUE(first.EnterIsp());
        if (erased) {
            ASSERT_TRUE(first.WriteEnable());
            ASSERT_TRUE(first.Instruction({chip::kFlashWriteStatus, 0x00}));
            ASSERT_TRUE(first.WaitNotBusy());
            ASSERT_TRUE(first.WriteEnable());
            ASSERT_TRUE(first.Instruction(Addressed(chip::kFlashSectorErase, 0x0000)));
            first.clock.SleepMs(10);  // the cable goes while the sector is being erased
        }
        first.bus.Unplug("1-2");
        ASSERT_TRUE(sim::SaveProductState(*first.chip, Path(), error)) << error;
    }
    EXPECT_NE(ReadAll(Path()).find("\nvolatile no\nend\n"), std::string::npos);
    sim::ProductConfig config = sim_test::W25Product();
    config.stateFile = Path();
    SimRig second(config);
    const sim::UsbIdentity booted = erased
                                        ? sim::UsbIdentity{sim::kIspVidQuorvex, sim::kIspPid, false}
                                        : sim::ProductIdentity(0);
    EXPECT_EQ(second.chip->Identity(), booted);
    EXPECT_EQ(second.chip->InIspMode(), erased);
    EXPECT_FALSE(second.chip->PassThroughOpen()) << "the ISP control values went with the power";
    EXPECT_FALSE(second.chip->Flash().IsBusy(0));
}

INSTANTIATE_TEST_SUITE_P(Flash, UnpluggedInIspMode, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "HeadErased" : "ImageComplete");
});

TEST_F(StateFileTest, NonVolatileStatusBitsSurviveAPowerCycle) {
    std::string error;
    {
        SimRig first(sim_test::W25Product());
        first.chip->Flash().SetStatusBits(0x94);
        ASSERT_TRUE(sim::SaveProductState(*first.chip, Path(), error)) << error;
    }
    sim::ProductConfig config = sim_test::W25Product();
    config.stateFile = Path();
    config.powerCycle = true;
    SimRig second(config);
    EXPECT_EQ(second.chip->Flash().StatusRegister(0), 0x94);
    EXPECT_EQ(second.chip->Identity(), sim::ProductIdentity(0)) << "its firmware is intact";
}

// An update cut off in its chip erase: the part goes on erasing, so the next
// run meets it busy for the rest of the erase, not idle.
TEST_F(StateFileTest, AChipEraseStillRunningGoesOnInTheNextRun) {
    constexpr std::uint32_t kCutAfterMs = 500;
    constexpr std::uint64_t kSlackUs = 10'000;
    const std::uint64_t restUs =
        sim::DatasheetFor(sim::FlashModel::W25q80).chipEraseUs - kCutAfterMs * 1000;
    std::string error;
    {
        SimRig first(sim_test::W25Product());
        ASSERT_TRUE(first.Connect());
        ASSERT_TRUE(first.EnterIsp());
        ASSERT_TRUE(first.WriteEnable());
        ASSERT_TRUE(first.Instruction({chip::kFlashWriteStatus, 0x00}));
        ASSERT_TRUE(first.WaitNotBusy());
        ASSERT_TRUE(first.WriteEnable());
        ASSERT_TRUE(first.Instruction({chip::kFlashChipErase}));
        first.clock.SleepMs(kCutAfterMs);
        ASSERT_TRUE(sim::SaveProductState(*first.chip, Path(), error)) << error;
    }
    sim::ProductConfig config = sim_test::W25Product();
    config.stateFile = Path();
    SimRig second(config);
    const std::uint64_t loaded = second.clock.NowUs();
    EXPECT_TRUE(second.chip->Flash().IsBusy(loaded + restUs - kSlackUs));
    EXPECT_FALSE(second.chip->Flash().IsBusy(loaded + restUs + kSlackUs));
}

TEST_F(StateFileTest, FileIsAVersionedHeaderThenTheRawFlashThenTheRegisters) {
    std::string error;
    SimRig rig(sim_test::W25Product());
    ASSERT_TRUE(sim::SaveProductState(*rig.chip, Path(), error)) << error;
    const std::string bytes = ReadAll(Path());
    EXPECT_TRUE(bytes.starts_with(
        "PALEREED-SIM-STATE 1\nflash W25Q80\nflash-size 1048576\nproduct 2fc6:f066\n"));
    const std::size_t body = bytes.find("\nend\n") + 5;
    ASSERT_EQ(bytes.size(), body + 1024 * 1024 + 65536);
    const auto flash = rig.chip->Flash().Contents();
    EXPECT_TRUE(std::equal(flash.begin(), flash.end(),
                           reinterpret_cast<const std::uint8_t*>(bytes.data() + body)));
    EXPECT_FALSE(std::filesystem::exists(Path() + ".tmp"));
}

TEST_F(StateFileTest, MissingFileGivesTheFactoryProduct) {
    sim::ProductConfig config = sim_test::W25Product();
    config.stateFile = Path();
    SimRig rig(config);
    EXPECT_EQ(rig.chip->Identity(), sim::ProductIdentity(0));
    EXPECT_FALSE(std::filesystem::exists(Path())) << "plugging in writes nothing";
}

struct BadFile {
    const char* name;
    std::string (*spoil)(std::string);
    const char* why;
};

void PrintTo(const BadFile& bad, std::ostream* out) {
    *out << bad.name;
}

class StateFileRefused : public StateFileTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(StateFileRefused, WithAMessageAndTheFileLeftAlone) {
    std::string error;
    {
        SimRig rig(sim_test::W25Product());
        ASSERT_TRUE(sim::SaveProductState(*rig.chip, Path(), error)) << error;
    }
    const std::string spoiled = GetParam().spoil(ReadAll(Path()));
    WriteAll(Path(), spoiled);
    sim::ProductConfig config = sim_test::W25Product();
    config.stateFile = Path();
    sim::VirtualClock clock;
    sim::SimBackend bus(clock);
    try {
        sim::PlugProduct(bus, config, clock);
        ADD_FAILURE() << "loaded";
    } catch (const sim::StateFileError& refused) {
        EXPECT_NE(std::string(refused.what()).find(GetParam().why), std::string::npos)
            << refused.what();
    }
    EXPECT_TRUE(bus.Locations().empty()) << "nothing plugged in";
    EXPECT_EQ(ReadAll(Path()), spoiled);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

INSTANTIATE_TEST_SUITE_P(
    Spoilt, StateFileRefused,
    ::testing::Values(
        BadFile{"NotAStateFile", [](std::string) { return std::string("hello\n"); },
                "is not a state file"},
        BadFile{"NewerVersion", [](std::string s) { return Replace(s, "STATE 1\n", "STATE 2\n"); },
                "format version 2, this program reads version 1"},
        BadFile{"CutShort", [](std::string s) { return s.substr(0, s.size() - 70000); },
                "ends before the flash contents do"},
        BadFile{"TrailingBytes", [](std::string s) { return s + "x"; }, "bytes after its end"},
        BadFile{"NoEndLine", [](std::string s) { return Replace(s, "\nend\n", "\nfin\n"); },
                "\"fin"},
        BadFile{"OtherFlash",
                [](std::string s) {
                    return Replace(s, "flash W25Q80\nflash-size 1048576",
                                   "flash MX25L1021E\nflash-size 1048576");
                },
                "flash size does not match the MX25L1021E"},
        BadFile{"OtherProduct",
                [](std::string s) { return Replace(s, "product 2fc6:f066", "product 2fc6:f067"); },
                "holds the product 2fc6:f067"},
        BadFile{"BadParameterText",
                [](std::string s) { return Replace(s, "param-system a1", "param-system zz"); },
                "\"param-system\" is not 4 hex bytes"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StateFileTest, ProductOfAnotherFlashIsRefused) {
    std::string error;
    {
        SimRig rig(Sst());
        ASSERT_TRUE(sim::SaveProductState(*rig.chip, Path(), error)) << error;
    }
    sim::ProductConfig config = sim_test::W25Product();
    config.stateFile = Path();
    sim::VirtualClock clock;
    sim::SimBackend bus(clock);
    EXPECT_THROW(
        {
            try {
                sim::PlugProduct(bus, config, clock);
            } catch (const sim::StateFileError& refused) {
                EXPECT_STREQ(refused.what(),
                             "The simulator state file holds a product with a SST25VF016B flash, "
                             "but the simulated product has a W25Q80 flash; nothing was loaded.");
                throw;
            }
        },
        sim::StateFileError);
}

}  // namespace
