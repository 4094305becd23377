#include "download/ImageCheck.h"

#include <QFile>

namespace ImageCheck {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

constexpr char ctrlZ = '\x1A';

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool onlyBlanksAndCtrlZ(const QByteArray& text) {
    for (char c : text)
        if (!isBlank(c) && c != ctrlZ)
            return false;
    return true;
}

// The data length that each record type requires; -1 for any length.
int requiredLength(int type) {
    switch (type) {
    case 0:
        return -1;
    case 1:
        return 0;
    case 2:
    case 4:
        return 2;
    case 3:
    case 5:
        return 4;
    default:
        return -2;
    }
}

} // namespace

QByteArray recordText(const QByteArray& line) {
    const qsizetype z = line.indexOf(ctrlZ);
    QByteArray text = z < 0 ? line : line.left(z);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

LineError checkLine(const QByteArray& line, bool* endRecord) {
    if (endRecord)
        *endRecord = false;
    if (line.isEmpty() || line.at(0) != ':')
        return LineError::StartCode;
    const int digits = int(line.size()) - 1;
    for (int i = 1; i < line.size(); ++i)
        if (hexValue(line.at(i)) < 0)
            return LineError::Digit;
    // Length, two address bytes, type and checksum at the least.
    if (digits < 10 || digits % 2 != 0)
        return LineError::Length;
    const int count = digits / 2;
    quint8 sum = 0;
    int bytes[4] = {};
    for (int b = 0; b < count; ++b) {
        const int value = hexValue(line.at(1 + 2 * b)) * 16 + hexValue(line.at(2 + 2 * b));
        if (b < 4)
            bytes[b] = value;
        sum = quint8(sum + value);
    }
    const int length = bytes[0];
    if (count != length + 5)
        return LineError::Length;
    if (sum != 0)
        return LineError::Checksum;
    const int type = bytes[3];
    const int required = requiredLength(type);
    if (required == -2 || (required >= 0 && length != required))
        return LineError::Type;
    // A record's address is 16 bits: the boot block cannot place bytes beyond 0xFFFF, and refuses such a record
    // only when it arrives, after the erase.
    const int address = bytes[1] * 256 + bytes[2];
    if (type == 0 && address + length > 0x10000)
        return LineError::Address;
    if (endRecord)
        *endRecord = type == 1;
    return LineError::None;
}

QString lineErrorText(LineError error) {
    switch (error) {
    case LineError::None:
        return QString();
    case LineError::StartCode:
        return QStringLiteral("does not start with ':'");
    case LineError::Digit:
        return QStringLiteral("holds a character that is not a hexadecimal digit");
    case LineError::Length:
        return QStringLiteral("has a length that does not match its byte count");
    case LineError::Checksum:
        return QStringLiteral("has a bad checksum");
    case LineError::Type:
        return QStringLiteral("has an unknown record type or a length wrong for its type");
    case LineError::Address:
        return QStringLiteral("runs past the end of the 64 KiB address space");
    case LineError::EndMark:
        return QStringLiteral("holds the end-of-file mark Ctrl-Z, which only the end record may precede");
    }
    return QString();
}

Result checkFile(const QString& path) {
    Result result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.reason = QStringLiteral("the file cannot be read");
        return result;
    }
    int lineNumber = 0;
    int endLine = 0;
    while (!file.atEnd()) {
        const QByteArray raw = file.readLine();
        ++lineNumber;
        if (endLine > 0) {
            if (onlyBlanksAndCtrlZ(raw))
                continue;
            result.lineNumber = lineNumber;
            result.reason = QStringLiteral("follows the end record on line %1").arg(endLine);
            return result;
        }
        bool isEnd = false;
        LineError e = checkLine(recordText(raw), &isEnd);
        // A Ctrl-Z ends the file: only the end record may stand before it.
        const qsizetype z = raw.indexOf(ctrlZ);
        if (e == LineError::None && z >= 0 && !(isEnd && onlyBlanksAndCtrlZ(raw.mid(z))))
            e = LineError::EndMark;
        if (e != LineError::None) {
            result.lineNumber = lineNumber;
            result.reason = lineErrorText(e);
            return result;
        }
        ++result.records;
        if (isEnd)
            endLine = lineNumber;
    }
    if (file.error() != QFileDevice::NoError) {
        result.reason = QStringLiteral("the file cannot be read");
        return result;
    }
    if (endLine == 0) {
        result.reason =
            lineNumber == 0 ? QStringLiteral("the file is empty") : QStringLiteral("the image has no end record");
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace ImageCheck
