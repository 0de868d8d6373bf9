#pragma once

#include <optional>

#include "flash/update_result.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

// Watches the link for a device that has stopped answering during one run:
// arms the link's count of failed requests in a row for the run's lifetime,
// and remembers the step during which the device fell silent, so the run can
// say where it stopped.
class AnswerWatch {
public:
    explicit AnswerWatch(usb::QuorvexUsb& link);
    ~AnswerWatch();
    AnswerWatch(const AnswerWatch&) = delete;
    AnswerWatch& operator=(const AnswerWatch&) = delete;

    // Called when `step` has ended. The device stopped answering in the step
    // where its last run of failed requests began: a failed page header ends
    // the program step after one failure, and the next two then come from
    // the protection write.
    void After(UpdateStep step);
    std::optional<UpdateStep> SilentAt() const { return silentAt_; }

    // Turns `result` into the failure of the step the device fell silent in:
    // a run whose device stopped answering has not succeeded, whatever its
    // later steps said. False when the device kept answering.
    bool MarkFailure(UpdateResult& result) const;

private:
    usb::QuorvexUsb& link_;
    std::optional<UpdateStep> silentAt_;
    std::optional<UpdateStep> failingSince_;
    int failuresSeen_ = 0;
};

}  // namespace flash
