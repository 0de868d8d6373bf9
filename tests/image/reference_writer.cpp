#include "reference_writer.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace image_test {

bool ReferenceWriter::Available(const std::string& tool) {
    return Run("command -v " + tool + " >/dev/null 2>&1");
}

bool ReferenceWriter::Run(const std::string& command) {
    const int status = std::system((command + " 1>&2").c_str());
    return status == 0;
}

std::string ReferenceWriter::Quote(const std::string& path) {
    std::string quoted = "'";
    for (const char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReferenceWriter::ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace image_test
