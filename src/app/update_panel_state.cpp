#include "app/update_panel_state.h"

namespace app {

void UpdatePanelState::DeviceFound(bool permissionDenied) {
    deviceFound_ = true;
    permissionDenied_ = permissionDenied;
}

void UpdatePanelState::DeviceGone() {
    deviceFound_ = false;
    permissionDenied_ = false;
    updateFinished_ = false;
    flashProduct_.reset();
}

void UpdatePanelState::StartRun(const RecoveryFile& file) {
    ownRun_ = true;
    stopAsked_ = false;
    failurePinned_ = false;
    lastRunFile_ = file;
    flashProduct_.reset();
}

bool UpdatePanelState::AskStop() {
    if (!ownRun_ || stopAsked_)
        return false;
    stopAsked_ = true;
    return true;
}

void UpdatePanelState::EndRun(RunEnd end) {
    ownRun_ = false;
    stopAsked_ = false;
    if (end == RunEnd::Succeeded)
        updateFinished_ = true;
    else
        failurePinned_ = true;
}

bool UpdatePanelState::ProductBack() {
    const bool wasPinned = failurePinned_;
    failurePinned_ = false;
    return wasPinned;
}

StartButton UpdatePanelState::Start() const {
    // While its run goes on the button stops it, until a stop was asked.
    if (ownRun_)
        return {QStringLiteral("Stop"), !stopAsked_};
    if (updateFinished_)
        return {QStringLiteral("Finish"), false};
    // A device the user may not open keeps "Start" off whatever its file.
    return {QStringLiteral("Start"), deviceFound_ && fileReady_ && !permissionDenied_};
}

}  // namespace app
