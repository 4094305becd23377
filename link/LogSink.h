#pragma once
// Where the link reports traffic and port events. The communication log window implements it; until it
// exists, LineKeepingLog keeps the lines.
#include <QByteArray>
#include <QString>
#include <QStringList>

class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void logEvent(const QString& text) = 0;
    virtual void logReceivedChar(QChar c) = 0;
    virtual void logReceivedLineEnd() = 0;
    // The line feeds that the receive framing drops, for a view that shows every byte.
    virtual void logReceivedLineFeed() {}
    // What the tool writes to the port: each queued line and each direct write.
    virtual void logSent(const QByteArray& data) { Q_UNUSED(data) }
    // What the link itself did or found (the search and its pings, an answer time-out, a lost connection), so
    // that a log of a failed run says why it failed. The window's view keeps to port events and traffic.
    virtual void logLinkEvent(const QString& text) { Q_UNUSED(text) }
};

class LineKeepingLog : public LogSink {
public:
    void logEvent(const QString& text) override { lines << text; }
    void logReceivedChar(QChar c) override { current += c; }
    void logReceivedLineEnd() override {
        lines << current;
        current.clear();
    }
    QStringList lines;
    QString current;
};
