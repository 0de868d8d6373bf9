#include "pages/integer_text.h"

namespace pages {

ConversionError::ConversionError(const QString& text)
    : std::runtime_error(
          QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString()),
      text_(text) {}

int StrToInt(const QString& text) {
    QString body = text.trimmed();
    bool negative = false;
    if (body.startsWith(QLatin1Char('-')) || body.startsWith(QLatin1Char('+'))) {
        negative = body.startsWith(QLatin1Char('-'));
        body.remove(0, 1);
    }
    int base = 10;
    if (body.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        body.remove(0, 2);
    } else if (body.startsWith(QLatin1Char('$'))) {
        base = 16;
        body.remove(0, 1);
    }
    // QString::toLongLong would accept its own prefixes and blanks inside;
    // only plain digits may remain here.
    const QString digits =
        base == 16 ? QStringLiteral("0123456789abcdefABCDEF") : QStringLiteral("0123456789");
    bool ok = !body.isEmpty();
    for (QChar c : body)
        ok = ok && digits.contains(c);
    const qlonglong magnitude = ok ? body.toLongLong(&ok, base) : 0;
    const qlonglong value = negative ? -magnitude : magnitude;
    // Hexadecimal values fill the 32 bits (0xFFFFFFFF is -1); decimal ones must fit.
    const bool fits =
        base == 16 ? magnitude <= 0xFFFFFFFFLL : value >= INT32_MIN && value <= INT32_MAX;
    if (!ok || !fits)
        throw ConversionError(text);
    return static_cast<int>(static_cast<quint32>(value));
}

}  // namespace pages
