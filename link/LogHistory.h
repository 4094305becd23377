#pragma once
// The last few hundred lines of the link's traffic and events, each behind its local time, for the diagnostic
// report. Fed by the link beside the log window (whatever that window shows or clears), and bounded: the
// oldest line goes when a new one would pass the capacity.
//
// A line reads "2026-12-07 14:22:05.123 > dm": ">" a line the tool wrote, "<" one it received (cut at line
// ends and after each prompt character), "*" a port or link event. Control characters show as "<0D>" style
// hex, so that the file stays plain text.
#include "link/LogSink.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <deque>
#include <functional>

class LogHistory : public LogSink {
public:
    static constexpr int defaultCapacity = 500;
    // A longer run of characters without a line end is kept as several lines.
    static constexpr int maxLineChars = 1000;

    // now: milliseconds since the epoch (the system clock by default); shown as local time.
    explicit LogHistory(int capacity = defaultCapacity, std::function<qint64()> now = {});

    void logEvent(const QString& text) override;
    void logReceivedChar(QChar c) override;
    void logReceivedLineEnd() override;
    // What the tool wrote to the port: queued lines and directly typed characters alike.
    void logWritten(const QByteArray& data);

    // Oldest first; the lines still being received or typed come last.
    QStringList lines() const;
    int capacity() const { return m_capacity; }
    // Lines that no longer fit and were let go.
    quint64 droppedLines() const { return m_dropped; }

private:
    // Kept unformatted: the time is turned into text only when the lines are asked for.
    struct Line {
        qint64 atMs = 0;
        QChar direction;
        QString text;
    };
    struct Partial {
        QString text;
        qint64 startedAtMs = 0;
    };
    void append(QChar direction, qint64 atMs, const QString& text);
    void addChar(Partial& line, QChar direction, QChar c);
    void endLine(Partial& line, QChar direction);
    static QString stamped(QChar direction, qint64 atMs, const QString& text);

    int m_capacity;
    std::function<qint64()> m_now;
    std::deque<Line> m_lines;
    quint64 m_dropped = 0;
    Partial m_received;
    Partial m_written;
    // The received line was just cut at a prompt: the line end that follows the prompt adds no empty line.
    bool m_receivedAfterPrompt = false;
};
