#include "sim/IntelHex.h"

#include <QFile>
#include <QList>

namespace sim {

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

QByteArray trimmedLine(const QByteArray& line) {
    int end = int(line.size());
    while (end > 0 && (line[end - 1] == '\r' || line[end - 1] == '\n' || line[end - 1] == ' ' || line[end - 1] == '\t'))
        --end;
    return line.left(end);
}

} // namespace

HexRecordError parseHexRecord(const QByteArray& rawLine, HexRecord* record) {
    const QByteArray line = trimmedLine(rawLine);
    if (line.isEmpty() || line[0] != ':')
        return HexRecordError::StartCode;
    const QByteArray digits = line.mid(1);
    for (char c : digits) {
        if (hexValue(c) < 0)
            return HexRecordError::Digit;
    }
    // Length byte, two address bytes, type and checksum at the least.
    if (digits.size() < 10 || digits.size() % 2 != 0)
        return HexRecordError::Length;
    QByteArray bytes;
    bytes.reserve(int(digits.size() / 2));
    for (int i = 0; i < digits.size(); i += 2)
        bytes.append(char(hexValue(digits[i]) * 16 + hexValue(digits[i + 1])));
    const int length = quint8(bytes[0]);
    if (bytes.size() != length + 5)
        return HexRecordError::Length;
    quint8 sum = 0;
    for (char b : bytes)
        sum = quint8(sum + quint8(b));
    if (sum != 0)
        return HexRecordError::Checksum;
    const int type = quint8(bytes[3]);
    switch (type) {
    case HexData:
        break;
    case HexEndOfFile:
        if (length != 0)
            return HexRecordError::Type;
        break;
    case HexExtendedSegmentAddress:
    case HexExtendedLinearAddress:
        if (length != 2)
            return HexRecordError::Type;
        break;
    case HexStartSegmentAddress:
    case HexStartLinearAddress:
        if (length != 4)
            return HexRecordError::Type;
        break;
    default:
        return HexRecordError::Type;
    }
    if (record) {
        record->type = type;
        record->address = quint16((quint8(bytes[1]) << 8) | quint8(bytes[2]));
        record->data = bytes.mid(4, length);
    }
    return HexRecordError::None;
}

QString hexRecordErrorText(HexRecordError error) {
    switch (error) {
    case HexRecordError::None:
        return QString();
    case HexRecordError::StartCode:
        return QStringLiteral("Bad start code");
    case HexRecordError::Length:
        return QStringLiteral("Bad record length");
    case HexRecordError::Digit:
        return QStringLiteral("Bad hex digit");
    case HexRecordError::Checksum:
        return QStringLiteral("Bad checksum");
    case HexRecordError::Type:
        return QStringLiteral("Bad record type");
    }
    return QString();
}

QByteArray makeHexRecord(int type, quint16 address, const QByteArray& data) {
    QByteArray bytes;
    bytes.append(char(data.size()));
    bytes.append(char(address >> 8));
    bytes.append(char(address & 0xFF));
    bytes.append(char(type));
    bytes.append(data);
    quint8 sum = 0;
    for (char b : bytes)
        sum = quint8(sum + quint8(b));
    bytes.append(char(quint8(0x100 - sum)));
    return ':' + bytes.toHex().toUpper();
}

void HexImage::write(quint32 address, const QByteArray& data) {
    for (int i = 0; i < data.size(); ++i)
        m_bytes.insert(address + quint32(i), quint8(data[i]));
}

quint32 HexImage::lowestAddress() const {
    return m_bytes.isEmpty() ? 0 : m_bytes.firstKey();
}

quint32 HexImage::highestAddress() const {
    return m_bytes.isEmpty() ? 0 : m_bytes.lastKey();
}

QByteArray HexImage::toIntelHex(int recordLength) const {
    if (recordLength < 1 || recordLength > 255)
        recordLength = 16;
    QByteArray out;
    quint32 upper = 0;
    auto it = m_bytes.constBegin();
    while (it != m_bytes.constEnd()) {
        const quint32 start = it.key();
        if ((start >> 16) != upper) {
            upper = start >> 16;
            QByteArray ext;
            ext.append(char(upper >> 8));
            ext.append(char(upper & 0xFF));
            out += makeHexRecord(HexExtendedLinearAddress, 0, ext) + "\r\n";
        }
        QByteArray data;
        quint32 next = start;
        // A record holds a contiguous run that stays inside one 64 KiB segment.
        while (it != m_bytes.constEnd() && it.key() == next && data.size() < recordLength && (next >> 16) == upper) {
            data.append(char(it.value()));
            ++next;
            ++it;
        }
        out += makeHexRecord(HexData, quint16(start & 0xFFFF), data) + "\r\n";
    }
    out += makeHexRecord(HexEndOfFile, 0, QByteArray()) + "\r\n";
    return out;
}

QByteArray HexImage::toBinary() const {
    if (m_bytes.isEmpty())
        return QByteArray();
    const quint32 low = lowestAddress();
    QByteArray out(int(highestAddress() - low + 1), char(0xFF));
    for (auto it = m_bytes.constBegin(); it != m_bytes.constEnd(); ++it)
        out[int(it.key() - low)] = char(it.value());
    return out;
}

bool HexImage::fromIntelHex(const QByteArray& text, HexImage* image, QString* error) {
    HexImage result;
    quint32 base = 0;
    int lineNumber = 0;
    bool ended = false;
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray& raw : lines) {
        ++lineNumber;
        const QByteArray line = trimmedLine(raw);
        if (line.isEmpty())
            continue;
        if (ended)
            break;
        HexRecord record;
        const HexRecordError e = parseHexRecord(line, &record);
        if (e != HexRecordError::None) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(lineNumber).arg(hexRecordErrorText(e));
            return false;
        }
        switch (record.type) {
        case HexData:
            result.write(base + record.address, record.data);
            break;
        case HexEndOfFile:
            ended = true;
            break;
        case HexExtendedSegmentAddress:
            base = ((quint8(record.data[0]) << 8) | quint8(record.data[1])) * 16u;
            break;
        case HexExtendedLinearAddress:
            base = quint32((quint8(record.data[0]) << 8) | quint8(record.data[1])) << 16;
            break;
        default:
            break;
        }
    }
    if (image)
        *image = result;
    return true;
}

bool HexImage::saveToFile(const QString& path, QString* error) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray data = path.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive) ? toBinary() : toIntelHex();
    if (file.write(data) != data.size()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace sim
