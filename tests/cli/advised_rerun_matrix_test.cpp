// Every fault the simulated product knows, cut into the one-button update at
// points spread over every step, on each flash model, run as a user runs the
// tool: one command meets the fault and ends however it ends; the next, the
// rerun the tool advises (the same command without the fault, on the state
// the first one left; after a power loss with --sim-power-cycle), must bring
// the product back with the image in its flash. The same for the update of
// the changed sectors only, whose advised rerun is that update again.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "in_process_tool.h"
#include "sim/fault_names.h"
#include "sim/flash_model.h"
#include "support/product_image.h"
#include "support/scratch_dir.h"
#include "support/update_run_map.h"
#include "update_files.h"

namespace cli_test {
namespace {

using sim::FaultKind;
using sim::FlashModel;

struct Cell {
    FlashModel model;
    FaultKind kind;
    bool changedOnly = false;
};

std::string CellName(const Cell& cell) {
    return std::string(sim::DatasheetFor(cell.model).name) + "_" +
           std::string(sim::FaultKindName(cell.kind)) + (cell.changedOnly ? "_ChangedOnly" : "");
}

void PrintTo(const Cell& cell, std::ostream* out) {
    *out << CellName(cell);
}

// A request line of a trace: "43 80 0000 0001 1 c7 ok".
bool ParseRequestLine(const std::string& line, std::uint8_t& request,
                      std::vector<std::uint8_t>& outData) {
    std::istringstream fields(line);
    std::string type, code, value, index, length, data, result;
    if (!(fields >> type >> code >> value >> index >> length >> data >> result) ||
        type.size() != 2 || code.size() != 2 || value.size() != 4)
        return false;
    request = static_cast<std::uint8_t>(std::stoul(code, nullptr, 16));
    outData.clear();
    if ((std::stoul(type, nullptr, 16) & 0x80) == 0 && data != "-") {
        for (std::size_t i = 0; i + 1 < data.size(); i += 2)
            outData.push_back(
                static_cast<std::uint8_t>(std::stoul(data.substr(i, 2), nullptr, 16)));
    }
    return true;
}

class AdvisedRerun : public ::testing::TestWithParam<Cell> {
protected:
    std::vector<std::string> Command(const std::string& state) const {
        std::vector<std::string> command = {"update",      file,      "--yes",       "--simulate",
                                            "--sim-clock", "virtual", "--sim-flash", FlashOption(),
                                            "--sim-state", state};
        if (GetParam().changedOnly)
            command.push_back("--changed-only");
        return command;
    }

    std::string FlashOption() const {
        switch (GetParam().model) {
            case FlashModel::Mx25l1021e:
                return "mx32";
            case FlashModel::W25q80:
                return "w25";
            default:
                return "sst25vf016b";
        }
    }

    // The requests of a clean run, numbered as --trace numbers them.
    test_support::UpdateRunMap MapCleanRun() {
        std::vector<std::string> command = Command(scratch.PathOf("clean.state"));
        const std::string trace = scratch.PathOf("clean.trace");
        command.insert(command.end(), {"--trace", trace});
        EXPECT_EQ(tool.RunOnItsOwn(command), 0) << tool.err;
        test_support::UpdateRunMap map;
        std::ifstream lines(trace);
        std::uint64_t n = 0;
        std::uint8_t request = 0;
        std::vector<std::uint8_t> outData;
        for (std::string line; std::getline(lines, line);) {
            if (ParseRequestLine(line, request, outData))
                map.Note(++n, request, outData);
        }
        return map;
    }

    ::testing::AssertionResult RerunRecoversFrom(std::uint64_t request) {
        const std::string state = scratch.PathOf("cut-" + std::to_string(request) + ".state");
        std::vector<std::string> cut = Command(state);
        cut.insert(cut.end(), {"--sim-fault", std::string(sim::FaultKindName(GetParam().kind)) +
                                                  "@" + std::to_string(request)});
        tool.RunOnItsOwn(cut);
        std::vector<std::string> rerun = Command(state);
        if (GetParam().kind == FaultKind::PowerLoss)
            rerun.push_back("--sim-power-cycle");
        if (const int code = tool.RunOnItsOwn(rerun); code != 0)
            return ::testing::AssertionFailure()
                   << "the advised rerun: exit " << code << ": " << tool.err;
        const std::vector<std::string> verify = {"verify",      file,          "--simulate",
                                                 "--sim-clock", "virtual",     "--sim-state",
                                                 state,         "--sim-flash", FlashOption()};
        if (const int code = tool.RunOnItsOwn(verify); code != 0)
            return ::testing::AssertionFailure() << "verify: exit " << code << ": " << tool.err;
        const std::vector<std::string> list = {"list",        "--json",      "--simulate",
                                               "--sim-clock", "virtual",     "--sim-state",
                                               state,         "--sim-flash", FlashOption()};
        tool.RunOnItsOwn(list);
        if (tool.out.find("\"mode\":\"normal\"") == std::string::npos)
            return ::testing::AssertionFailure() << "the product is not back: " << tool.out;
        return ::testing::AssertionSuccess();
    }

    image_test::ScratchDir scratch;
    UpdateFiles files;
    std::string file =
        files.WriteBytes("fw.hex", test_support::ProductImage(0x2FC6, 0xF066, 0x2000, 0x6B));
    InProcessTool tool;
};

TEST_P(AdvisedRerun, BringsTheProductBackAfterEveryCut) {
    test_support::ExpectEveryInterruptionRecovered(
        MapCleanRun(), [this](std::uint64_t request) { return RerunRecoversFrom(request); });
}

std::vector<Cell> AllCells() {
    std::vector<Cell> cells;
    for (const FlashModel model :
         {FlashModel::Sst25vf016b, FlashModel::Mx25l1021e, FlashModel::W25q80}) {
        for (const FaultKind kind :
             {FaultKind::Unplug, FaultKind::Fail, FaultKind::Short, FaultKind::StuckBusy,
              FaultKind::NeverReady, FaultKind::Corrupt, FaultKind::PowerLoss}) {
            for (const bool changedOnly : {false, true})
                cells.push_back({model, kind, changedOnly});
        }
    }
    return cells;
}

INSTANTIATE_TEST_SUITE_P(Faults, AdvisedRerun, ::testing::ValuesIn(AllCells()),
                         [](const auto& info) {
                             std::string name = CellName(info.param);
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
}  // namespace cli_test
