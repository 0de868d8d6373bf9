#pragma once

#include <map>
#include <string>
#include <vector>

namespace test_support {

// A saved update report taken apart: its title line, its "key: value"
// header up to and including "requests: …", and the request lines after it.
struct ReadReport {
    std::string title;
    std::map<std::string, std::string> header;
    std::vector<std::string> requests;
};

// Reads the report at `path`; an unreadable file gives an empty report.
ReadReport ReadReportFile(const std::string& path);

// The lines of a text file, without their line ends.
std::vector<std::string> FileLines(const std::string& path);

}  // namespace test_support
