// Waiting for a board, choosing one by its serial string, and the station
// mode of --all --wait, with boards plugged and pulled while the tool runs.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <streambuf>

#include "cli/cli_main.h"
#include "cli/environment.h"
#include "json_fields.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "sim/virtual_clock.h"
#include "tool_process.h"
#include "update_files.h"

namespace cli_test {
namespace {

// The virtual clock, with a look at each pause of the tool: the moments a
// person at the line plugs or pulls a board.
class PausingClock final : public usb::Clock {
public:
    explicit PausingClock(sim::VirtualClock& inner) : inner_(inner) {}
    void SleepMs(std::uint32_t ms) override {
        if (onPause)
            onPause();
        inner_.SleepMs(ms);
    }
    std::uint64_t NowUs() const override { return inner_.NowUs(); }
    std::function<void()> onPause;

private:
    sim::VirtualClock& inner_;
};

// Hands each line the tool prints to `onLine` as it is printed.
class LineWatch final : public std::streambuf {
public:
    std::function<void(const std::string&)> onLine;
    std::string text;

protected:
    int_type overflow(int_type c) override {
        text += traits_type::to_char_type(c);
        if (traits_type::to_char_type(c) == '\n' && onLine)
            onLine(text.substr(text.rfind('\n', text.size() - 2) + 1));
        return c;
    }
};

class CliStation : public ::testing::Test {
protected:
    std::shared_ptr<sim::SimChip> Board(const std::string& serial) {
        sim::ProductConfig config;
        config.location = "1-2";
        auto chip = sim::MakeProductChip(config, virtualClock);
        chip->Params().SetString(3, serial);
        return chip;
    }
    int Run(const std::vector<std::string>& args) {
        std::ostream out(&watch);
        std::ostringstream errors;
        std::istringstream in;
        cli::Environment environment{out, errors, in, clock, false, false, &bus, {}, {}};
        const int code = cli::Run(args, environment);
        err = errors.str();
        return code;
    }
    std::vector<std::map<std::string, std::string>> Events(const std::string& event) const {
        std::vector<std::map<std::string, std::string>> found;
        for (const std::string& line : Lines(watch.text)) {
            const auto fields = ParseFlatJson(line);
            if (fields && fields->at("event") == event)
                found.push_back(*fields);
        }
        return found;
    }

    UpdateFiles files;
    std::string file = files.Write("fw.hex", 0x1000, 0x52);
    sim::VirtualClock virtualClock;
    PausingClock clock{virtualClock};
    sim::SimBackend bus{virtualClock};
    LineWatch watch;
    std::string err;
};

TEST_F(CliStation, EveryBoardPluggedInIsUpdatedOnceWithItsOwnLine) {
    bus.Plug("1-2", Board("UNIT-0001"), &virtualClock);
    const auto second = Board("UNIT-0002");
    bool pulled = false;
    bool plugged = false;
    // The first board leaves once done; the next one comes at the same place.
    watch.onLine = [&](const std::string& line) {
        if (!pulled && line.find("\"device_result\"") != std::string::npos) {
            bus.Unplug("1-2");
            pulled = true;
        }
    };
    clock.onPause = [&] {
        if (pulled && !plugged) {
            bus.Plug("1-2", second, &virtualClock);
            plugged = true;
        }
    };
    ASSERT_EQ(Run({"update", file, "--all", "--wait=2", "--yes", "--json"}), 0) << err;
    const auto units = Events("device_result");
    ASSERT_EQ(units.size(), 2u) << watch.text;
    EXPECT_EQ(units[0].at("serial"), "UNIT-0001");
    EXPECT_EQ(units[1].at("serial"), "UNIT-0002");
    EXPECT_EQ(units[1].at("status"), "success");
    EXPECT_EQ(Events("result").back().at("message"), "2 of 2 units updated");
}

TEST_F(CliStation, AWaitEndsWhenTheBoardComes) {
    bus.Plug("1-2", Board("UNIT-0001"), &virtualClock);
    clock.onPause = [&] {
        if (bus.DeviceAt("1-3") == nullptr) {
            auto board = Board("UNIT-0003");
            bus.Plug("1-3", board, &virtualClock);
        }
    };
    ASSERT_EQ(Run({"info", "--device", "1-3", "--wait=5", "--json"}), 0) << err;
    EXPECT_EQ(Events("info").at(0).at("string3"), "UNIT-0003");
}

TEST_F(CliStation, AWaitWithAnEndGivesUpAfterIt) {
    EXPECT_EQ(Run({"info", "--wait=5", "--json"}), 3);
    EXPECT_NE(err.find("no device found; connect a product and try again (waited 5 s)"),
              std::string::npos)
        << err;
    EXPECT_GE(virtualClock.NowUs(), 5000000u);
}

TEST_F(CliStation, SerialChoosesTheBoardWhereverItIsPlugged) {
    bus.Plug("1-2", Board("UNIT-0001"), &virtualClock);
    auto other = Board("UNIT-0007");
    bus.Plug("1-4.3", other, &virtualClock);
    ASSERT_EQ(Run({"info", "--serial", "UNIT-0007", "--json"}), 0) << err;
    EXPECT_EQ(Events("info").at(0).at("location"), "1-4.3");
    EXPECT_EQ(Run({"info", "--serial", "UNIT-0009"}), 3);
    EXPECT_NE(err.find("no product with the serial 'UNIT-0009'; present: 1-2 'UNIT-0001', "
                       "1-4.3 'UNIT-0007'"),
              std::string::npos)
        << err;
}

}  // namespace
}  // namespace cli_test
