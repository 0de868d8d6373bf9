#pragma once

#include <QString>
#include <stdexcept>

namespace pages {

// Raised when typed text is not a number; the window reports it in the
// toolkit-style error box ("'%s' is not a valid integer value") and sends
// nothing to the device.
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const QString& text);
    const QString& Text() const { return text_; }

private:
    QString text_;
};

// The one string-to-integer conversion for typed numbers: leading and
// trailing blanks are skipped, a "0x" or "$" prefix reads hexadecimal,
// otherwise decimal, with an optional sign. Anything else, or a value outside
// 32 bits, throws ConversionError carrying the text as given.
int StrToInt(const QString& text);

// Handlers that treat typed text as hexadecimal put "0x" in front of it.
inline int HexTextToInt(const QString& text) {
    return StrToInt(QStringLiteral("0x") + text);
}

}  // namespace pages
