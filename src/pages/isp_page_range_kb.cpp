#include "pages/isp_page_range_kb.h"

#include <stdexcept>
#include <string>

#include "pages/integer_text.h"
#include "pages/isp_page_layout.h"
#include "pages/labeled_edit.h"

namespace pages {

namespace {

std::uint32_t KbOf(const LabeledEdit* edit, const char* name) {
    const int kb = StrToInt(edit->text());
    if (kb < 0 || static_cast<std::uint32_t>(kb) > kFlashSizeKb) {
        throw std::runtime_error(std::string(name) + " must be between 0 and " +
                                 std::to_string(kFlashSizeKb) + " KB");
    }
    return static_cast<std::uint32_t>(kb);
}

}  // namespace

std::uint32_t RangeStartKbOf(const IspControls& controls) {
    return KbOf(controls.lbledISPStart, "Start Addr");
}

std::uint32_t RangeSizeKbOf(const IspControls& controls) {
    return KbOf(controls.lbledISPRange, "Size");
}

}  // namespace pages
