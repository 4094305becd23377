#include "link/FileLog.h"

FileLog::FileLog() : m_now([] { return QDateTime::currentDateTime(); }) {}

FileLog::~FileLog() {
    close();
}

bool FileLog::open(const QString& path) {
    close();
    m_error.clear();
    m_file.setFileName(path);
    // Text mode: line ends are the platform's own.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        m_error = m_file.errorString();
        return false;
    }
    m_atLineStart = true;
    return true;
}

void FileLog::close() {
    if (!m_file.isOpen())
        return;
    // A line still being received is kept.
    if (!m_atLineStart)
        endLine();
    if (m_file.isOpen())
        m_file.close();
}

bool FileLog::fail() {
    m_error = m_file.errorString();
    m_file.close();
    m_atLineStart = true;
    return false;
}

bool FileLog::put(const QByteArray& data) {
    if (!m_file.isOpen())
        return false;
    if (m_atLineStart) {
        m_atLineStart = false;
        const QByteArray stamp = m_now().toString(timestampFormat()).toLatin1() + ' ';
        if (m_file.write(stamp) != stamp.size())
            return fail();
    }
    if (m_file.write(data) != data.size())
        return fail();
    return true;
}

bool FileLog::endLine() {
    if (m_file.write("\n", 1) != 1 || !m_file.flush())
        return fail();
    m_atLineStart = true;
    return true;
}

bool FileLog::writeChar(QChar c) {
    const char byte = c.toLatin1();
    return put(QByteArray(1, byte ? byte : '?'));
}

bool FileLog::writeLineEnd() {
    if (!m_file.isOpen())
        return false;
    // An empty received line still gets its timestamp.
    if (m_atLineStart && !put(QByteArray()))
        return false;
    return endLine();
}

bool FileLog::writeEvent(const QString& text) {
    if (!m_file.isOpen())
        return false;
    if (!m_atLineStart && !endLine())
        return false;
    return put(text.toLatin1()) && endLine();
}
