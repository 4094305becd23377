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
