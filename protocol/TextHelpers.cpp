#include "protocol/TextHelpers.h"

namespace Text {

namespace {

// Caps that keep every accumulated value within 16 unsigned bits: one more digit after the cap still fits.
constexpr int decimalCap = 6552;
constexpr int octalCap = 8190;
constexpr int hexCap = 4094;

int digitValue(QChar c, int base) {
    const ushort u = c.unicode();
    int v = -1;
    if (u >= '0' && u <= '9')
        v = u - '0';
    else if (u >= 'a' && u <= 'f')
        v = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        v = u - 'A' + 10;
    return v < base ? v : -1;
}

// Accumulates digits of the base from position i while the value so far is at most cap. Returns the number of
// digits taken.
int takeDigits(const QString& text, int i, int base, int cap, int& value) {
    int taken = 0;
    while (i < text.size() && value <= cap) {
        const int d = digitValue(text.at(i), base);
        if (d < 0)
            break;
        value = value * base + d;
        ++i;
        ++taken;
    }
    return taken;
}

bool startsWithOneOf(const QString& text, const char* digits) {
    if (text.isEmpty())
        return true;
    const QChar first = text.at(0).toUpper();
    for (const char* p = digits; *p; ++p) {
        if (first == QLatin1Char(*p))
            return true;
    }
    return false;
}

} // namespace

bool isBlank(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString trimLeading(const QString& text) {
    int i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    return text.mid(i);
}

bool startsWithDigit(const QString& text) {
    return startsWithOneOf(text, "0123456789");
}

bool startsWithOctalDigit(const QString& text) {
    return startsWithOneOf(text, "01234567");
}

bool startsWithHexDigit(const QString& text) {
    return startsWithOneOf(text, "0123456789ABCDEF");
}

bool isAlphanumeric(const QString& text) {
    static const QString alphabet = QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return alphabet.contains(text);
}

bool isAlphanumeric(QChar c) {
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

int parseSignedDecimal(const QString& text) {
    int i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    bool negative = false;
    if (i < text.size() && text.at(i) == QLatin1Char('-')) {
        negative = true;
        ++i;
        while (i < text.size() && isBlank(text.at(i)))
            ++i;
    }
    int value = 0;
    if (takeDigits(text, i, 10, decimalCap, value) == 0)
        return -1;
    return negative ? -value : value;
}

int parseNumber(const QString& text) {
    if (text.isEmpty() || digitValue(text.at(0), 10) < 0)
        return -1;
    int value = 0;
    if (text.at(0) != QLatin1Char('0')) {
        takeDigits(text, 0, 10, decimalCap, value);
        return value;
    }
    // A leading "0": hexadecimal after "x", octal otherwise. A "0" that no digit of its base follows is zero,
    // not "no number": a monitor that reports 0 means 0.
    if (text.size() > 1 && (text.at(1) == QLatin1Char('x') || text.at(1) == QLatin1Char('X'))) {
        takeDigits(text, 2, 16, hexCap, value);
        return value;
    }
    takeDigits(text, 1, 8, octalCap, value);
    return value;
}

QString textAfterComma(const QString& text) {
    const int at = text.indexOf(QLatin1Char(','));
    return at < 0 ? text : text.mid(at + 1);
}

QString textAfterLineFeed(const QString& text) {
    const int at = text.indexOf(QLatin1Char('\n'));
    return at < 0 ? text : text.mid(at + 1);
}

QString fileNamePart(const QString& text) {
    QString name = text.trimmed();
    bool leading = true;
    for (QChar& c : name) {
        leading = leading && c == QLatin1Char('.');
        if (leading || c < QLatin1Char(' ') || c == QChar(0x7f) || QStringLiteral("\\/:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    return name;
}

} // namespace Text
