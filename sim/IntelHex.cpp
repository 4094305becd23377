#include "sim/IntelHex.h"

#include <QFile>
#include <QIODevice>
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

constexpr quint64 addressSpace = quint64(1) << 32;

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

bool HexImage::write(quint32 address, const QByteArray& data) {
    if (quint64(address) + quint64(data.size()) > addressSpace)
        return false;
    for (int i = 0; i < data.size(); ++i)
        m_bytes.insert(address + quint32(i), quint8(data[i]));
    return true;
}

quint64 HexImage::span() const {
    return m_bytes.isEmpty() ? 0 : quint64(highestAddress()) - lowestAddress() + 1;
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
    if (m_bytes.isEmpty() || span() > maxBinarySpan)
        return QByteArray();
    const quint32 low = lowestAddress();
    QByteArray out(qsizetype(span()), char(0xFF));
    for (auto it = m_bytes.constBegin(); it != m_bytes.constEnd(); ++it)
        out[qsizetype(it.key() - low)] = char(it.value());
    return out;
}

bool HexImage::writeBinary(QIODevice& out) const {
    // Streamed a run at a time, so that a wide image with gaps is never held in memory whole.
    constexpr qint64 gapChunk = 64 * 1024;
    const QByteArray fill(gapChunk, char(0xFF));
    quint64 next = lowestAddress();
    QByteArray run;
    auto flushRun = [&]() {
        const bool ok = out.write(run) == run.size();
        run.clear();
        return ok;
    };
    for (auto it = m_bytes.constBegin(); it != m_bytes.constEnd(); ++it) {
        if (it.key() != next) {
            if (!flushRun())
                return false;
            for (quint64 gap = it.key() - next; gap > 0;) {
                const qint64 n = qint64(qMin<quint64>(gap, gapChunk));
                if (out.write(fill.constData(), n) != n)
                    return false;
                gap -= quint64(n);
            }
        }
        run.append(char(it.value()));
        next = quint64(it.key()) + 1;
        if (run.size() >= gapChunk && !flushRun())
            return false;
    }
    return flushRun();
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
            if (!result.write(base + record.address, record.data)) {
                if (error)
                    *error = QStringLiteral("line %1: Address out of range").arg(lineNumber);
                return false;
            }
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
    const bool binary = path.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive);
    if (binary && span() > maxBinarySpan) {
        if (error)
            *error = QStringLiteral("The image spans %1 bytes (0x%2 to 0x%3); a binary file holds at most 2 GiB")
                         .arg(span())
                         .arg(lowestAddress(), 8, 16, QLatin1Char('0'))
                         .arg(highestAddress(), 8, 16, QLatin1Char('0'));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    bool ok = false;
    if (binary) {
        ok = writeBinary(file);
    } else {
        const QByteArray data = toIntelHex();
        ok = file.write(data) == data.size();
    }
    ok = ok && file.flush();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

} // namespace sim
