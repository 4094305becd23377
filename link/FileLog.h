#pragma once
// The communication log's file: the received characters and the port events, each line behind a local
// timestamp. Every finished line is flushed to the disk, so a tool that stops loses at most the line that was
// still being received. A failed write closes the file and keeps the reason.
#include <QDateTime>
#include <QFile>
#include <QString>
#include <functional>

class FileLog {
public:
    FileLog();
    ~FileLog();

    // Opens the file, replacing what it held. False (and errorString()) when it cannot be opened.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString fileName() const { return m_file.fileName(); }
    // Why the last open or write failed.
    QString errorString() const { return m_error; }

    // Each returns false when the write failed; the file is closed then.
    bool writeChar(QChar c);
    bool writeLineEnd();
    // An event takes a line of its own.
    bool writeEvent(const QString& text);

    // The local time written in front of each line (replaceable for tests).
    void setNow(std::function<QDateTime()> now) { m_now = std::move(now); }
    static QString timestampFormat() { return QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"); }

private:
    bool put(const QByteArray& data);
    bool endLine();
    bool fail();

    QFile m_file;
    bool m_atLineStart = true;
    QString m_error;
    std::function<QDateTime()> m_now;
};
