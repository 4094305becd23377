#include "protocol/NumberFormat.h"

#include <cmath>

namespace NumberFormat {

QString format(double value, const QString& pattern) {
    const int point = pattern.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? pattern : pattern.left(point);
    const int decimals = point < 0 ? 0 : int(pattern.size()) - point - 1;
    const int minimumDigits = int(whole.count(QLatin1Char('0')));

    if (!std::isfinite(value))
        value = 0;
    double scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    // The small allowance lets a value computed as 0.1249999... round as the decimal 0.125 it stands for.
    const double magnitude = std::min(std::fabs(value) * scale, 1e15);
    const auto scaled = static_cast<qint64>(std::floor(magnitude + 0.5 + 1e-9));
    const auto unit = static_cast<qint64>(scale);
    const qint64 integer = scaled / unit;
    const qint64 fraction = scaled % unit;

    QString text;
    if (integer != 0 || minimumDigits > 0)
        text = QString::number(integer).rightJustified(minimumDigits, QLatin1Char('0'));
    if (decimals > 0)
        text += QLatin1Char('.') + QString::number(fraction).rightJustified(decimals, QLatin1Char('0'));
    if (value < 0 && scaled != 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

} // namespace NumberFormat
