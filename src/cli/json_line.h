#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

// Builds one JSON object for a line of --json output, fields in the order
// they are added.
class JsonLine {
public:
    JsonLine& Text(std::string_view key, std::string_view value);
    JsonLine& OptionalText(std::string_view key,
                           const std::optional<std::string>& value);  // null when unset
    JsonLine& Number(std::string_view key, std::int64_t value);
    JsonLine& Bool(std::string_view key, bool value);
    JsonLine& Raw(std::string_view key, std::string_view json);
    // The object and a newline.
    std::string Line() const { return "{" + body_ + "}\n"; }

private:
    void Key(std::string_view key);
    std::string body_;
};

// The text as a JSON string literal, quotes included.
std::string JsonString(std::string_view text);

}  // namespace cli
