#pragma once

#include <string>

namespace image_test {

// Runs the real HEX writers of binutils and srecord for differential tests.
class ReferenceWriter {
public:
    // Whether `tool` can be run from PATH.
    static bool Available(const std::string& tool);
    // Runs a shell command; true when it exits with 0. Output goes to stderr.
    static bool Run(const std::string& command);
    static std::string Quote(const std::string& path);
    static std::string ReadText(const std::string& path);
};

}  // namespace image_test
