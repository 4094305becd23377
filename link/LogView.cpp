#include "link/LogView.h"

#include "link/FileLog.h"

namespace {
constexpr uchar kCr = 0x0D;
constexpr uchar kLf = 0x0A;

uchar latin1Of(QChar c) {
    return c.unicode() <= 0xFF ? uchar(c.unicode()) : uchar('?');
}
} // namespace

LogView::LogView() : m_now([] { return QDateTime::currentDateTime(); }) {}

int LogView::countedLength(const QString& addition) {
    return int(addition.size() + addition.count(QLatin1Char('\n')));
}

QString LogView::visible(uchar byte) {
    if (byte == kCr)
        return QStringLiteral("<CR>");
    if (byte == kLf)
        return QStringLiteral("<LF>");
    if (byte < 0x20 || byte >= 0x7F)
        return QStringLiteral("<%1>").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    return QString(QLatin1Char(char(byte)));
}

QString LogView::byteText(uchar byte) const {
    if (m_bytes == Bytes::Hex)
        return QStringLiteral("%1 ").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    return visible(byte);
}

// Puts the time in front of a line that starts with this addition and notes where the addition ends.
QString LogView::add(const QString& text) {
    if (text.isEmpty())
        return text;
    QString out;
    if (m_atLineStart && m_timestamps)
        out = m_now().toString(FileLog::timestampFormat()) + QLatin1Char(' ');
    out += text;
    m_atLineStart = text.endsWith(QLatin1Char('\n'));
    return out;
}

// After a received carriage return the visible views wait for the next byte: a line feed right behind it stays
// on the line it ends, anything else starts the next line.
QString LogView::breakPendingLine() {
    if (!m_breakPending)
        return QString();
    m_breakPending = false;
    return add(QStringLiteral("\n"));
}

// Outside the default view an event or a sent line takes a line of its own, so that it has its own time.
QString LogView::ownLine(const QString& text) {
    QString out = breakPendingLine();
    if (!m_atLineStart && !isDefault()) {
        out = QStringLiteral("\n");
        m_atLineStart = true;
    }
    return out + add(text + QLatin1Char('\n'));
}

QString LogView::receivedChar(QChar c) {
    const QString out = breakPendingLine();
    if (m_bytes == Bytes::Plain)
        return out + add(QString(c));
    return out + add(byteText(latin1Of(c)));
}

QString LogView::receivedLineEnd() {
    const QString out = breakPendingLine();
    if (m_bytes == Bytes::Plain)
        return out + add(QStringLiteral("\n"));
    m_breakPending = true;
    return out + add(m_bytes == Bytes::Hex ? QStringLiteral("0D") : QStringLiteral("<CR>"));
}

QString LogView::receivedLineFeed() {
    if (m_bytes == Bytes::Plain)
        return breakPendingLine();
    if (!m_breakPending)
        return add(byteText(kLf));
    m_breakPending = false;
    return add(m_bytes == Bytes::Hex ? QStringLiteral(" 0A\n") : QStringLiteral("<LF>\n"));
}

QString LogView::event(const QString& text) {
    return ownLine(text);
}

QString LogView::sent(const QByteArray& data) {
    if (m_bytes == Bytes::Plain || data.isEmpty())
        return QString();
    QString shown;
    for (const char byte : data)
        shown += byteText(uchar(byte));
    if (m_bytes == Bytes::Hex)
        shown.chop(1);
    return ownLine(QStringLiteral("Sent ") + shown);
}
