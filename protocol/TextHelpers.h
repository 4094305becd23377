#pragma once
// Text and number helpers shared by the answer handlers. Blank characters are CR, LF, space and TAB; the end of
// the text ends a number like any character that is not a digit of its base.
#include <QChar>
#include <QString>

namespace Text {

bool isBlank(QChar c);

// Removes leading blanks only; trailing text is left as it is.
QString trimLeading(const QString& text);

// The first character is a digit of the base (hex after upper-casing). An empty text counts as a match.
bool startsWithDigit(const QString& text);
bool startsWithOctalDigit(const QString& text);
bool startsWithHexDigit(const QString& text);

// The text occurs in "0-9a-zA-Z" (for one character: it is an ASCII letter or digit).
bool isAlphanumeric(const QString& text);
bool isAlphanumeric(QChar c);

// Leading blanks, an optional "-", blanks again, then decimal digits taken while the value so far is at most
// 6552. Returns -1 when no digit follows.
int parseSignedDecimal(const QString& text);

// A number in decimal ("1".."9" first, taken while at most 6552), octal ("0" first, taken while at most 8190) or
// hexadecimal ("0x"/"0X", either case, taken while at most 4094). No blanks, no sign. Returns -1 when the text
// does not begin with a decimal digit. A "0" followed by no digit of its base is the number 0.
int parseNumber(const QString& text);

// The part after the first "," (line feed), or the whole text when there is none.
QString textAfterComma(const QString& text);
QString textAfterLineFeed(const QString& text);

// A text from the monitor (a serial number) as part of a proposed file name: trimmed, and every character a file
// name cannot hold (control characters, path separators, \":*?<>|") and every leading dot replaced by "_", so the
// name never leaves its folder or hides itself.
QString fileNamePart(const QString& text);

} // namespace Text
