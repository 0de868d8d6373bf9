#include "flash/answer_watch.h"

#include "usb/quorvex_usb.h"

namespace flash {

AnswerWatch::AnswerWatch(usb::QuorvexUsb& link) : link_(link) {
    link_.WatchForSilence(true);
}

AnswerWatch::~AnswerWatch() {
    // Later operations (a recovery, the next run) start with a clean count.
    link_.WatchForSilence(false);
}

void AnswerWatch::After(UpdateStep step) {
    if (silentAt_)
        return;
    const int failures = link_.FailuresInARow();
    if (failures == 0)
        failingSince_.reset();
    else if (!failingSince_ || failures < failuresSeen_)
        failingSince_ = step;
    failuresSeen_ = failures;
    if (link_.StoppedAnswering())
        silentAt_ = failingSince_;
}

bool AnswerWatch::MarkFailure(UpdateResult& result) const {
    if (!silentAt_)
        return false;
    if (result.failedStep != silentAt_)
        result.failure.address.reset();
    result.succeeded = false;
    result.stoppedAnswering = true;
    result.failedStep = *silentAt_;
    result.failure.cause = StoppedAnsweringText(*silentAt_);
    return true;
}

}  // namespace flash
