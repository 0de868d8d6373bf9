#include "support/report_reading.h"

#include <fstream>

namespace test_support {

std::vector<std::string> FileLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        // A report saved on Windows ends its lines with CR LF.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

ReadReport ReadReportFile(const std::string& path) {
    const std::vector<std::string> lines = FileLines(path);
    ReadReport report;
    if (lines.empty())
        return report;
    report.title = lines.front();
    std::size_t at = 1;
    for (; at < lines.size(); ++at) {
        const std::size_t colon = lines[at].find(": ");
        report.header[lines[at].substr(0, colon)] =
            colon == std::string::npos ? std::string() : lines[at].substr(colon + 2);
        if (lines[at].starts_with("requests: "))
            break;
    }
    if (at < lines.size())
        report.requests.assign(lines.begin() + static_cast<std::ptrdiff_t>(at + 1), lines.end());
    return report;
}

}  // namespace test_support
