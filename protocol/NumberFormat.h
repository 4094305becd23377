#pragma once
// Numbers shown by digit patterns: "0" always prints a digit, "#" only where one is needed; the digits after
// the point give the decimals the number is rounded to (halves away from zero). A negative number that does
// not round to zero prints its minus sign before the pattern's digits.
#include <QString>

namespace NumberFormat {

QString format(double value, const QString& pattern);

} // namespace NumberFormat
