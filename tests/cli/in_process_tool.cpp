#include "in_process_tool.h"

#include "cli/cli_main.h"
#include "cli/environment.h"
#include "cli/interrupts.h"
#include "sim/product_factory.h"

namespace cli_test {

usb::IoResult InterruptingBus::IoControl(HandleId handle, std::uint32_t code,
                                         std::span<const std::uint8_t> input,
                                         std::span<std::uint8_t> output) {
    if (++calls_ == interruptAt) {
        cli::RaiseInterrupt();
        cli::RaiseInterrupt();
    }
    const usb::IoResult result = ForwardingBackend::IoControl(handle, code, input, output);
    if (onCall)
        onCall(code, input, output, result);
    return result;
}

InProcessTool::InProcessTool() = default;

std::shared_ptr<sim::SimChip> InProcessTool::Plug(int row, const std::string& location,
                                                  sim::FlashModel model) {
    sim::ProductConfig config;
    config.row = row;
    config.flash = model;
    config.location = location;
    return sim::PlugProduct(bus, config, clock);
}

int InProcessTool::Run(const std::vector<std::string>& args, const std::string& input,
                       bool inIsTerminal) {
    return RunWith(args, input, inIsTerminal, &interrupting);
}

int InProcessTool::RunOnItsOwn(const std::vector<std::string>& args) {
    return RunWith(args, "", false, nullptr);
}

int InProcessTool::RunWith(const std::vector<std::string>& args, const std::string& input,
                           bool inIsTerminal, usb::DeviceBackend* backend) {
    std::ostringstream outStream;
    std::ostringstream errStream;
    std::istringstream inStream(input);
    cli::Environment environment{outStream,    errStream, inStream, clock, false,
                                 inIsTerminal, backend,   {},       {}};
    const int code = cli::Run(args, environment);
    out = outStream.str();
    err = errStream.str();
    return code;
}

}  // namespace cli_test
