#include "cli/progress_view.h"

#include <charconv>
#include <cmath>

#include "usb/clock.h"

namespace cli {
namespace {

std::optional<std::uint32_t> AddressIn(std::string_view text) {
    const std::size_t at = text.rfind("0x");
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::string_view digits = text.substr(at + 2);
    std::uint32_t value = 0;
    const auto [end, code] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (code != std::errc{} || end == digits.data())
        return std::nullopt;
    return value;
}

}  // namespace

std::string StepName(std::string_view text) {
    const std::size_t end = text.find_last_not_of(". ");
    return std::string(end == std::string_view::npos ? std::string_view{}
                                                     : text.substr(0, end + 1));
}

ProgressView::ProgressView(std::ostream& out, const usb::Clock& clock)
    : out_(out), clock_(clock), startUs_(clock.NowUs()) {}

std::uint64_t ProgressView::ElapsedMs() const {
    return (clock_.NowUs() - startUs_) / 1000;
}

void ProgressView::ShowStep(std::string_view text) {
    std::string name = StepName(text);
    if (name == step_)
        return;
    step_ = std::move(name);
    OnStep();
}

void ProgressView::SetStepText(std::string_view text) {
    // Said once, and not when it only repeats the step's own name.
    if (showDetails_ && text != detail_ && StepName(text) != step_) {
        detail_ = text;
        OnDetail(text);
    }
    if (text.find("Fail") == std::string_view::npos)
        return;
    failureText_ = text;
    if (const auto address = AddressIn(text))
        lastAddress_ = address;
}

void ProgressView::SetAddressText(std::string_view text) {
    if (const auto address = AddressIn(text))
        lastAddress_ = address;
}

void ProgressView::SetShareDone(double share) {
    // The first share arrives before the first step: nothing to name yet.
    if (step_.empty())
        return;
    const int percent = static_cast<int>(std::floor(share * 100.0 + 1e-9));
    if (percent == percent_)
        return;
    percent_ = percent;
    OnPercent();
}

}  // namespace cli
