// The text and number helpers that every answer handler uses. The input is the text (Latin-1, as the port
// delivers it); up to the first line feed it also serves as the label of labelledValue. Besides the sanitizers'
// checks, the documented bounds of every result are checked.
#include "FuzzCheck.h"
#include "protocol/ParseRules.h"
#include "protocol/TextHelpers.h"

#include <cstddef>
#include <cstdint>

namespace {

// Largest number any parser can return: the caps keep it within 16 unsigned bits.
constexpr int maxParsed = 65535;

bool isSuffix(const QString& part, const QString& whole) {
    return whole.endsWith(part);
}

void checkNumbers(const QString& text) {
    const int plain = Text::parseNumber(text);
    FUZZ_CHECK(plain >= -1 && plain <= maxParsed);
    FUZZ_CHECK((plain == -1) == (text.isEmpty() || text.at(0) < QLatin1Char('0') || text.at(0) > QLatin1Char('9')));
    FUZZ_CHECK(ParseRules::radixNumber(text) == plain);

    const int signedValue = Text::parseSignedDecimal(text);
    FUZZ_CHECK(signedValue >= -maxParsed && signedValue <= maxParsed);

    // Reading numbers one after another always moves on or stays put, and never grows the text.
    QString rest = text;
    for (int i = 0; i < 64 && !rest.isEmpty(); ++i) {
        const QString before = rest;
        const int n = ParseRules::nextNumber(rest);
        FUZZ_CHECK(n >= -maxParsed && n <= maxParsed);
        FUZZ_CHECK(isSuffix(rest, before));
        if (rest == before)
            break;
    }
    FUZZ_CHECK(ParseRules::displayNumber(signedValue) == QString::number(signedValue));
}

void checkText(const QString& text) {
    const QString trimmed = Text::trimLeading(text);
    FUZZ_CHECK(isSuffix(trimmed, text));
    FUZZ_CHECK(trimmed.isEmpty() || !Text::isBlank(trimmed.at(0)));
    FUZZ_CHECK(isSuffix(Text::textAfterComma(text), text));
    FUZZ_CHECK(isSuffix(Text::textAfterLineFeed(text), text));

    const bool anyDigit = Text::startsWithDigit(text);
    FUZZ_CHECK(!Text::startsWithOctalDigit(text) || anyDigit);
    FUZZ_CHECK(!anyDigit || Text::startsWithHexDigit(text));
    if (text.size() == 1)
        FUZZ_CHECK(Text::isAlphanumeric(text) == Text::isAlphanumeric(text.at(0)));

    bool ok = false;
    const QString version = ParseRules::versionText(text, &ok);
    FUZZ_CHECK(ok || version.isEmpty());
    FUZZ_CHECK(version.isEmpty() || (version.back() >= QLatin1Char('0') && version.back() <= QLatin1Char('9')));

    const int lineFeed = text.indexOf(QLatin1Char('\n'));
    const QString label = lineFeed < 0 ? QString() : text.left(lineFeed);
    bool found = false;
    const QString value = ParseRules::labelledValue(text, label, &found);
    FUZZ_CHECK(found == text.contains(label));
    FUZZ_CHECK(value.size() <= text.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    checkText(text);
    checkNumbers(text);
    checkNumbers(Text::trimLeading(text));
    return 0;
}
