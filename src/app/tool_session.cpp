#include "app/tool_session.h"

#include "pages/program_values.h"
#include "product/gated_link.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

namespace app {

ToolSession::ToolSession(const LaunchOptions& options) {
    if (!options.traceFile.isEmpty()) {
        trace_ =
            std::make_unique<usb::FileTrace>(options.traceFile.toStdString(), TraceFirstLine());
        // The options were checked by opening the same file; it can still
        // have gone since, and then it is the options' fault all the same.
        if (!trace_->Error().empty())
            throw LaunchUsageError("cannot write the trace file '" +
                                   options.traceFile.toStdString() + "': " + trace_->Error());
    }
    start_ = product::MakeBackend(options.backend, steadyClock_, trace_.get());
    if (!start_.backend) {
        if (start_.optionRefused)
            throw LaunchUsageError(start_.error);
        throw std::runtime_error(start_.error);
    }
    link_ = std::make_unique<product::GatedLink>(*start_.backend, Clock(), runState_);
    link_->link.SetTrace(trace_.get());
    values_ = std::make_unique<pages::ProgramValues>(link_->link, runState_, link_->gate);
}

ToolSession::~ToolSession() {
    values_.reset();
    if (link_)
        link_->link.SetTrace(nullptr);
}

pages::PageContext& ToolSession::Context() {
    return values_->context;
}

usb::RequestTrace* ToolSession::Trace() {
    return trace_.get();
}

usb::Clock& ToolSession::Clock() {
    return start_.clock ? *start_.clock : steadyClock_;
}

std::function<std::string()> ToolSession::ReplayStop() {
    if (!start_.replayStop)
        return {};
    return [stop = start_.replayStop] { return stop(false); };
}

std::string ToolSession::Keep() {
    return start_.keep ? start_.keep() : std::string();
}

}  // namespace app
