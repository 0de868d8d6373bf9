#pragma once

#include <QColor>
#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

#include "app/recovery_choice.h"
#include "product/detection.h"

namespace app {

// What a chip waiting in ISP mode is offered: the update files to choose
// from, the one loaded, and the product the chip was before as far as the
// tool can tell (the last run's, or the one its flash's parameter table names).
struct RecoveryOffer {
    std::vector<RecoveryFile> files;
    std::optional<RecoveryFile> chosen;
    std::optional<std::size_t> formerProduct;
    // The user is asked which product the chip was, since it cannot say.
    bool askProduct = false;
};

// One line of the panel. The file name (%1) and its folder (%2) are put in
// when the line is drawn, elided in the middle to the room there is, so that
// a long path never pushes the line's end out of the window; the tool tip
// holds the whole path.
struct PanelLine {
    QString text;
    QString name;
    QString folder;
    QString toolTip;
};

// The colour of the indicator square beside the panel's lines.
enum class Indicator { Neutral, Ready, Problem, Off };

// What the process line says, and the state it belongs to: it leaves when
// that state ends.
enum class MessageKind {
    None,
    Cancelled,   // the warning was answered with Cancel
    Permission,  // the device found may not be opened
    Progress,    // a run of "Start" writes its steps itself
    Succeeded,
    Failed  // a failed, stopped or unfinished run: stays until the product is back
};

struct PanelMessage {
    MessageKind kind = MessageKind::None;
    QString text;
    int pointSize = 16;
    QColor colour;  // invalid: the window's text colour
};

// How a run of "Start" ended, as far as the panel is concerned.
enum class RunEnd { Succeeded, Stopped, NotRestarted, Failed };

// What the "Start" button shows and whether it may be pressed.
struct StartButton {
    QString text;
    bool enabled = false;
};

// The window's detection, update file, run and recovery state in one place,
// free of widgets, so that the panel is drawn from it and its rules can be
// checked on their own. The window changes it only through these transitions.
class UpdatePanelState {
public:
    // Detection: searches and re-checks run while detecting is on; after a
    // success they watch for the updated unit to leave, so that the next one
    // plugged in can be updated without a restart.
    bool Detecting() const { return detectEnabled_; }
    void SetDetecting(bool on) { detectEnabled_ = on; }
    product::DetectionCursor& Detection() { return detection_; }
    const product::DetectionCursor& Detection() const { return detection_; }
    // The engineers' VID and PID fields, as last confirmed.
    QString vidText;
    QString pidText;

    // The device the last detection tick found, if any. A device that is gone
    // takes what its flash said with it, and a success with it: the next
    // device is a new unit. Its file stays ready until the next search looks
    // again.
    void DeviceFound(bool permissionDenied);
    void DeviceGone();
    bool HasDevice() const { return deviceFound_; }

    // The update file: loaded and checked for the device in view, or not.
    void FileLoaded(bool ready) { fileReady_ = ready; }
    bool FileReady() const { return fileReady_; }

    // A run of "Start". Starting forgets the last failure and what the flash
    // said (the run rewrites it) and remembers the file, which a chip the run
    // leaves waiting is offered again.
    void StartRun(const RecoveryFile& file);
    // The window's own stop request: true when it is new, i.e. a run of
    // "Start" goes on and no stop was asked yet.
    bool AskStop();
    void EndRun(RunEnd end);
    bool OwnRunActive() const { return ownRun_; }
    bool StopAsked() const { return stopAsked_; }
    bool Finished() const { return updateFinished_; }
    // The failure of the last run stays on the panel until a new run starts
    // or the product is found again; true when this unpinned it.
    bool ProductBack();
    bool FailurePinned() const { return failurePinned_; }
    const std::optional<RecoveryFile>& LastRunFile() const { return lastRunFile_; }

    // Recovery of a chip waiting in ISP mode.
    RecoveryOffer& Recovery() { return recovery_; }
    const RecoveryOffer& Recovery() const { return recovery_; }
    void ClearRecovery() { recovery_ = {}; }
    // What the waiting chip's flash named, read once while it stays connected.
    bool FlashProductKnown() const { return flashProduct_.has_value(); }
    std::optional<std::size_t> FlashProduct() const { return flashProduct_.value_or(std::nullopt); }
    void NoteFlashProduct(std::optional<std::size_t> row) { flashProduct_ = row; }

    StartButton Start() const;

    // The file line and the indicator: what the last look for the update
    // file found. Replaced by the next look, never merely cleared.
    void ShowFile(PanelLine line, Indicator indicator);
    const PanelLine& FileLine() const { return fileLine_; }
    Indicator FileIndicator() const { return indicator_; }

    // The process line. What a state said goes with it: the permission text
    // with the device, a cancel with the next device or run, a failure when
    // the product is back or a new run starts.
    void Say(PanelMessage message);
    const PanelMessage& Message() const { return message_; }

private:
    bool detectEnabled_ = false;
    bool updateFinished_ = false;
    product::DetectionCursor detection_;
    bool deviceFound_ = false;
    bool permissionDenied_ = false;
    bool fileReady_ = false;
    bool ownRun_ = false;
    bool stopAsked_ = false;
    bool failurePinned_ = false;
    std::optional<RecoveryFile> lastRunFile_;
    RecoveryOffer recovery_;
    // Outer: whether the flash was read; inner: the product it named.
    std::optional<std::optional<std::size_t>> flashProduct_;
    PanelLine fileLine_;
    Indicator indicator_ = Indicator::Neutral;
    PanelMessage message_;
};

}  // namespace app
