#pragma once

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
};

}  // namespace app
