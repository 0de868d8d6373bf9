#include "cli/side_by_side_output.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <streambuf>
#include <utility>

namespace cli {
namespace {

constexpr int kRowBarWidth = 20;

// Collects characters up to a newline, then hands the line on whole.
class LineBuffer final : public std::streambuf {
public:
    LineBuffer(SideBySideOutput& output, std::string prefix)
        : output_(output), prefix_(std::move(prefix)) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        if (traits_type::to_char_type(c) == '\n') {
            output_.Line(prefix_ + line_);
            line_.clear();
        } else {
            line_ += traits_type::to_char_type(c);
        }
        return c;
    }

private:
    SideBySideOutput& output_;
    std::string prefix_;
    std::string line_;
};

// The stream and the buffer it writes to, owned together.
class WholeLineStream final : public std::ostream {
public:
    WholeLineStream(SideBySideOutput& output, std::string prefix)
        : std::ostream(nullptr), buffer_(output, std::move(prefix)) {
        rdbuf(&buffer_);
    }

private:
    LineBuffer buffer_;
};

}  // namespace

SideBySideOutput::SideBySideOutput(std::ostream& out, bool board, std::size_t rows,
                                   std::function<int()> columns)
    : out_(out), board_(board), columns_(std::move(columns)), rows_(rows) {}

void SideBySideOutput::Line(const std::string& text) {
    const std::lock_guard lock(mutex_);
    out_ << text << "\n" << std::flush;
}

void SideBySideOutput::Row(std::size_t row, const std::string& text) {
    const std::lock_guard lock(mutex_);
    rows_.at(row) = text;
    // A row that reached the last column would wrap and push the board down.
    const int columns = columns_ ? columns_() : 0;
    const std::size_t width =
        columns > 1 ? static_cast<std::size_t>(columns - 1) : std::string::npos;
    // Back to the board's first line, then every line drawn over itself.
    if (drawn_)
        out_ << "\x1b[" << rows_.size() << "A";
    for (const std::string& line : rows_)
        out_ << "\r\x1b[K" << line.substr(0, width) << "\n";
    out_ << std::flush;
    drawn_ = true;
}

std::unique_ptr<std::ostream> SideBySideOutput::LineStream(std::string prefix) {
    return std::make_unique<WholeLineStream>(*this, std::move(prefix));
}

RowProgress::RowProgress(SideBySideOutput& output, std::size_t row, std::string location,
                         const usb::Clock& clock)
    : ProgressView(output.Out(), clock),
      output_(output),
      row_(row),
      location_(std::move(location)) {}

void RowProgress::Draw() {
    const int percent = std::clamp(Percent(), 0, 100);
    const int filled = percent * kRowBarWidth / 100;
    const std::uint64_t seconds = ElapsedMs() / 1000;
    char tail[48];
    std::snprintf(tail, sizeof tail, "] %3d%% %2u:%02u", percent,
                  static_cast<unsigned>(seconds / 60), static_cast<unsigned>(seconds % 60));
    output_.Row(row_, location_ + " " + Step() + " [" +
                          std::string(static_cast<std::size_t>(filled), '#') +
                          std::string(static_cast<std::size_t>(kRowBarWidth - filled), '.') + tail);
}

}  // namespace cli
