#include "fuzz/argument_list.h"

namespace fuzz {

std::vector<std::string> ArgumentList(const std::uint8_t* data, std::size_t size,
                                      const std::string& programName) {
    std::vector<std::string> arguments{programName};
    if (size == 0)
        return arguments;
    arguments.emplace_back();
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back().push_back(static_cast<char>(data[i]));
    }
    return arguments;
}

}  // namespace fuzz
