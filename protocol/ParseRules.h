#pragma once
// The answer-parsing rules that every answer handler shares.
#include <QString>

namespace ParseRules {

// The body minus as many leading characters as the label has and minus its last two characters (the line end
// and prompt that follow the value). The label is expected at the very start of the body; found is false (and
// the result empty) when the body does not contain it at all.
QString labelledValue(const QString& body, const QString& label, bool* found = nullptr);

// Reads the number at the start of rest (blanks, optional "-", blanks, decimal digits; -1 when no digit) and
// advances rest past the next comma. Where there is no comma rest is left as it is, so the same text is read
// again by the next call.
int nextNumber(QString& rest);

// Decimal, "0"-prefixed octal or "0x"-prefixed hexadecimal number at the start of the text; -1 when the text
// does not begin with a decimal digit.
int radixNumber(const QString& text);

// The version digits after the first upper-case "V" and one separator, with trailing characters removed up to
// the last decimal digit (may be empty). ok is false, and the result empty, when the body contains "!" (the
// monitor's error prompt) or has no "V".
QString versionText(const QString& body, bool* ok = nullptr);

// A value shown as decimal: no leading blank, no fill.
QString displayNumber(int value);

} // namespace ParseRules
