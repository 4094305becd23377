#include "protocol/ParseRules.h"

#include "protocol/TextHelpers.h"

#include <QRegularExpression>

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

bool strictList(const QString& line, int count, int min, int max, QVector<int>* values) {
    static const QRegularExpression clean(QStringLiteral("^[ \\t]*(-?[0-9]{1,6})[ \\t]*$"));
    values->clear();
    const int end = line.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    const QStringList fields = (end < 0 ? line : line.left(end)).split(QLatin1Char(','));
    for (int k = 0; k < count && k < fields.size(); ++k) {
        // A comma that ends the line ends the list.
        if (k > 0 && k == fields.size() - 1 && fields.at(k).trimmed().isEmpty())
            break;
        const QRegularExpressionMatch m = clean.match(fields.at(k));
        const int v = m.hasMatch() ? m.captured(1).toInt() : min - 1;
        if (v < min || v > max) {
            values->clear();
            return false;
        }
        values->append(v);
    }
    return true;
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
