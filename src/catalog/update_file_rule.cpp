#include "catalog/update_file_rule.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace product {
namespace {

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

}  // namespace

std::string UpdateFileName(const ProductRow& row) {
    return std::string(row.fileBaseName) + ".hex";
}

std::optional<std::filesystem::path> FindUpdateFile(const std::filesystem::path& folder,
                                                    const ProductRow& row) {
    const std::string wanted = UpdateFileName(row);
    std::vector<std::filesystem::path> matches;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code typeError;
        if (SameIgnoringAsciiCase(name, wanted) && entry->is_regular_file(typeError))
            matches.push_back(entry->path());
    }
    if (matches.empty())
        return std::nullopt;
    const auto exact = std::ranges::find_if(
        matches, [&](const auto& path) { return path.filename().string() == wanted; });
    if (exact != matches.end())
        return *exact;
    return *std::ranges::min_element(matches);
}

}  // namespace product
