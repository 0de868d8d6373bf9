#pragma once

#include <map>
#include <optional>
#include <string>

namespace cli_test {

// The fields of one flat JSON object line ({"a":"text","n":1,"b":true,"x":null}):
// strings unescaped, other values as written. nullopt when the line is not
// such an object, so a malformed line fails the test that reads it.
std::optional<std::map<std::string, std::string>> ParseFlatJson(const std::string& line);

}  // namespace cli_test
