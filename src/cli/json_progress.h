#pragma once

#include <string>
#include <utility>

#include "cli/progress_view.h"

namespace cli {

// With --json: {"event":"step",...} for each step and {"event":"progress",...}
// for each whole percent, one object per line.
// Each line names the device's location, so that the lines of devices
// updated at the same time can be told apart in one log.
class JsonProgress final : public ProgressView {
public:
    JsonProgress(std::ostream& out, const usb::Clock& clock, std::string location)
        : ProgressView(out, clock), location_(std::move(location)) {}

private:
    void OnStep() override;
    void OnPercent() override;

    std::string location_;
};

}  // namespace cli
