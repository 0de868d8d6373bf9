#pragma once

#include "pages/page_context.h"

namespace pages {

// Marks a register or I2C table read as holding the device link open for as
// long as the scope lives; the flag is cleared on every way out, so a failed
// read cannot lock the other operations out for the rest of the run.
class TableReadScope {
public:
    explicit TableReadScope(DevicePageState& state) : state_(state) {
        state_.tableReadRunning = true;
    }
    ~TableReadScope() { state_.tableReadRunning = false; }
    TableReadScope(const TableReadScope&) = delete;
    TableReadScope& operator=(const TableReadScope&) = delete;

private:
    DevicePageState& state_;
};

}  // namespace pages
