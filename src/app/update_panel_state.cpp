#include "app/update_panel_state.h"

#include <utility>

namespace app {

void UpdatePanelState::DeviceFound(bool permissionDenied) {
    deviceFound_ = true;
    permissionDenied_ = permissionDenied;
    if (!permissionDenied && message_.kind == MessageKind::Permission)
        message_ = {};
}

void UpdatePanelState::DeviceGone() {
    deviceFound_ = false;
    permissionDenied_ = false;
    updateFinished_ = false;
    flashProduct_.reset();
    recovery_ = {};
    // The square shows a device ready for its file; without one it is plain.
    indicator_ = Indicator::Neutral;
    // A failed run's text outlives the product's restart: it says what to do
    // next. A success stays as the last word on the product that has gone.
    if (!failurePinned_ && message_.kind != MessageKind::Succeeded)
        message_ = {};
}

void UpdatePanelState::StartRun(const RecoveryFile& file) {
    ownRun_ = true;
    stopAsked_ = false;
    failurePinned_ = false;
    lastRunFile_ = file;
    flashProduct_.reset();
    message_ = {MessageKind::Progress, QString(), 12, QColor()};
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
    // The run's last step text is no word on how it ended: that is said next.
    message_ = {};
}

bool UpdatePanelState::ProductBack() {
    const bool wasPinned = failurePinned_;
    failurePinned_ = false;
    if (wasPinned && message_.kind == MessageKind::Failed)
        message_ = {};
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

void UpdatePanelState::ShowFile(PanelLine line, Indicator indicator) {
    fileLine_ = std::move(line);
    indicator_ = indicator;
}

void UpdatePanelState::Say(PanelMessage message) {
    message_ = std::move(message);
}

}  // namespace app
