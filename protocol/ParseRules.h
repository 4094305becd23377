#pragma once
// The answer-parsing rules that every answer handler shares.
#include <QString>
#include <QVector>

namespace ParseRules {

// The body minus as many leading characters as the label has and minus its last two characters (the line end
// and prompt that follow the value). The label is expected at the very start of the body; found is false (and
// the result empty) when the body does not contain it at all.
QString labelledValue(const QString& body, const QString& label, bool* found = nullptr);

// Reads the number at the start of rest (blanks, optional "-", blanks, decimal digits; -1 when no digit) and
// advances rest past the next comma. Where there is no comma rest is left as it is, so the same text is read
// again by the next call.
int nextNumber(QString& rest);

// The comma-separated numbers at the start of a line (up to its CR or LF), at most count of them: each field is
// blanks, an optional "-" and decimal digits, blanks, and lies within min to max. Anything else in a field (line
// noise such as "17u", or an empty field) makes the whole list garbled: false, and values is left empty, since
// a number taken from a damaged field may be another value than the monitor holds. A list shorter than count is
// read as far as it goes.
bool strictList(const QString& line, int count, int min, int max, QVector<int>* values);

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
