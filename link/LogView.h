#pragma once
// How the communication log window shows the traffic: the plain view (received characters as they are, a line
// break for each carriage return, line feeds left out, port events as lines of their own text), a view that
// makes control characters and other non-printing bytes visible, or every byte in hex; optionally each line
// behind the local time. The visible views also show what the tool writes, on lines marked "Sent".
// Each call returns the text to add to the window, where "\n" stands for the log's CR LF.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

class LogView {
public:
    enum class Bytes { Plain, ControlChars, Hex };

    LogView();

    Bytes bytes() const { return m_bytes; }
    void setBytes(Bytes bytes) { m_bytes = bytes; }
    bool timestamps() const { return m_timestamps; }
    void setTimestamps(bool on) { m_timestamps = on; }
    // The plain view without timestamps: exactly what the log has always shown.
    bool isDefault() const { return m_bytes == Bytes::Plain && !m_timestamps; }

    QString receivedChar(QChar c);
    // A received carriage return: the line breaks in every view (in the visible views after the line feed
    // that follows it, if one does).
    QString receivedLineEnd();
    // A received line feed: shown only where every byte is.
    QString receivedLineFeed();
    QString event(const QString& text);
    QString sent(const QByteArray& data);

    // The window text was emptied: the next addition starts a line.
    void restart() {
        m_atLineStart = true;
        m_breakPending = false;
    }

    // The local time in front of each line (replaceable for tests); the file log's format.
    void setNow(std::function<QDateTime()> now) { m_now = std::move(now); }

    // The length the log counts for an addition: each line break is CR LF.
    static int countedLength(const QString& addition);
    // "<CR>", "<LF>", "<1B>" for control characters and bytes from 0x7F; other characters as they are.
    static QString visible(uchar byte);

private:
    QString add(const QString& text);
    QString ownLine(const QString& text);
    QString breakPendingLine();
    QString byteText(uchar byte) const;

    Bytes m_bytes = Bytes::Plain;
    bool m_timestamps = false;
    bool m_atLineStart = true;
    // A received carriage return has yet to break its line.
    bool m_breakPending = false;
    std::function<QDateTime()> m_now;
};
