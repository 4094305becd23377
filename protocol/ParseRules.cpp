#include "protocol/ParseRules.h"

#include "protocol/TextHelpers.h"

namespace ParseRules {

QString labelledValue(const QString& body, const QString& label, bool* found) {
    const bool present = body.contains(label);
    if (found)
        *found = present;
    if (!present)
        return QString();
    QString value = body.mid(label.size());
    value.chop(2);
    return value;
}

int nextNumber(QString& rest) {
    const int value = Text::parseSignedDecimal(rest);
    rest = Text::textAfterComma(rest);
    return value;
}

int radixNumber(const QString& text) {
    return Text::parseNumber(text);
}

QString versionText(const QString& body, bool* ok) {
    const int v = body.indexOf(QLatin1Char('V'));
    const bool usable = v >= 0 && !body.contains(QLatin1Char('!'));
    if (ok)
        *ok = usable;
    if (!usable)
        return QString();
    QString text = body.mid(v + 2);
    while (!text.isEmpty() && (text.back() < QLatin1Char('0') || text.back() > QLatin1Char('9')))
        text.chop(1);
    return text;
}

QString displayNumber(int value) {
    return QString::number(value);
}

} // namespace ParseRules
