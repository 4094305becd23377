#include "link/LogHistory.h"

#include "link/FileLog.h"

namespace {
const QChar kWritten = QLatin1Char('>');
const QChar kReceived = QLatin1Char('<');
const QChar kEvent = QLatin1Char('*');

bool isPrompt(QChar c) {
    return c == QLatin1Char('#') || c == QLatin1Char('$') || c == QLatin1Char('!');
}

void appendVisible(QString& text, QChar c) {
    const ushort u = c.unicode();
    if (u < 0x20 || (u >= 0x7f && u < 0xa0))
        text += QStringLiteral("<%1>").arg(u, 2, 16, QLatin1Char('0')).toUpper();
    else
        text += c;
}
} // namespace

LogHistory::LogHistory(int capacity, std::function<qint64()> now)
    : m_capacity(capacity > 0 ? capacity : 1), m_now(std::move(now)) {
    if (!m_now)
        m_now = [] { return QDateTime::currentMSecsSinceEpoch(); };
}

QString LogHistory::stamped(QChar direction, qint64 atMs, const QString& text) {
    return QDateTime::fromMSecsSinceEpoch(atMs).toString(FileLog::timestampFormat()) + QLatin1Char(' ') + direction +
           QLatin1Char(' ') + text;
}

void LogHistory::append(QChar direction, qint64 atMs, const QString& text) {
    m_lines.push_back({atMs, direction, text});
    while (int(m_lines.size()) > m_capacity) {
        m_lines.pop_front();
        ++m_dropped;
    }
}

void LogHistory::addChar(Partial& line, QChar direction, QChar c) {
    if (line.text.isEmpty())
        line.startedAtMs = m_now();
    appendVisible(line.text, c);
    if (line.text.size() >= maxLineChars)
        endLine(line, direction);
}

void LogHistory::endLine(Partial& line, QChar direction) {
    append(direction, line.text.isEmpty() ? m_now() : line.startedAtMs, line.text);
    line.text.clear();
}

void LogHistory::logEvent(const QString& text) {
    QString shown;
    for (const QChar c : text)
        appendVisible(shown, c);
    append(kEvent, m_now(), shown);
}

void LogHistory::logReceivedChar(QChar c) {
    m_receivedAfterPrompt = false;
    addChar(m_received, kReceived, c);
    if (isPrompt(c)) {
        endLine(m_received, kReceived);
        m_receivedAfterPrompt = true;
    }
}

void LogHistory::logReceivedLineEnd() {
    if (m_receivedAfterPrompt && m_received.text.isEmpty()) {
        m_receivedAfterPrompt = false;
        return;
    }
    endLine(m_received, kReceived);
}

void LogHistory::logWritten(const QByteArray& data) {
    for (const char byte : data) {
        const QChar c = QChar::fromLatin1(byte);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            // CR LF ends one line; a lone LF ends a line only when something precedes it.
            if (c == QLatin1Char('\r') || !m_written.text.isEmpty())
                endLine(m_written, kWritten);
            continue;
        }
        addChar(m_written, kWritten, c);
    }
}

QStringList LogHistory::lines() const {
    QStringList out;
    out.reserve(int(m_lines.size()) + 2);
    for (const Line& line : m_lines)
        out << stamped(line.direction, line.atMs, line.text);
    if (!m_received.text.isEmpty())
        out << stamped(kReceived, m_received.startedAtMs, m_received.text);
    if (!m_written.text.isEmpty())
        out << stamped(kWritten, m_written.startedAtMs, m_written.text);
    return out;
}
