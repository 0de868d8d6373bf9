#include "json_fields.h"

#include <cctype>

namespace cli_test {
namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    bool Eat(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool AtEnd() const { return pos_ == text_.size(); }

    std::optional<std::string> String() {
        if (!Eat('"'))
            return std::nullopt;
        std::string out;
        while (pos_ < text_.size() && text_[pos_] != '"') {
            char c = text_[pos_++];
            if (c == '\\') {
                if (pos_ >= text_.size())
                    return std::nullopt;
                c = text_[pos_++];
                if (c == 'n') {
                    c = '\n';
                } else if (c == 'u') {
                    if (pos_ + 4 > text_.size())
                        return std::nullopt;
                    c = static_cast<char>(std::stoi(text_.substr(pos_, 4), nullptr, 16));
                    pos_ += 4;
                }
            } else if (static_cast<unsigned char>(c) < 0x20) {
                return std::nullopt;
            }
            out += c;
        }
        if (!Eat('"'))
            return std::nullopt;
        return out;
    }

    std::optional<std::string> Bare() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                       text_[pos_] == '-' || text_[pos_] == '.'))
            ++pos_;
        if (pos_ == start)
            return std::nullopt;
        return text_.substr(start, pos_ - start);
    }

    std::optional<std::string> Value() {
        if (pos_ < text_.size() && text_[pos_] == '"')
            return String();
        return Bare();
    }

private:
    const std::string& text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<std::map<std::string, std::string>> ParseFlatJson(const std::string& line) {
    Reader reader(line);
    std::map<std::string, std::string> fields;
    if (!reader.Eat('{'))
        return std::nullopt;
    if (reader.Eat('}'))
        return reader.AtEnd() ? std::optional(fields) : std::nullopt;
    do {
        const auto key = reader.String();
        if (!key || !reader.Eat(':'))
            return std::nullopt;
        const auto value = reader.Value();
        if (!value || fields.count(*key))
            return std::nullopt;
        fields[*key] = *value;
    } while (reader.Eat(','));
    if (!reader.Eat('}') || !reader.AtEnd())
        return std::nullopt;
    return fields;
}

}  // namespace cli_test
