#include "progress_recorder.h"

namespace flash_test {

void ProgressRecorder::Add(std::string_view label, std::string_view text) {
    texts.push_back(std::string(label) + std::string(text));
    if (onText)
        onText(texts.back());
}

std::vector<std::string> ProgressRecorder::To(std::string_view label) const {
    const std::string prefix = std::string(label) + ": ";
    std::vector<std::string> out;
    for (const std::string& text : texts) {
        if (text.starts_with(prefix))
            out.push_back(text.substr(prefix.size()));
    }
    return out;
}

std::string ProgressRecorder::Last(std::string_view label) const {
    const std::vector<std::string> all = To(label);
    return all.empty() ? std::string() : all.back();
}

}  // namespace flash_test
