#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

class QIODevice;

namespace sim {

// Checks of one Intel-HEX record as the controller's boot block makes them.
enum class HexRecordError {
    None,
    StartCode, // first character is not ':'
    Length,    // digit count does not match the record's length byte
    Digit,     // a character that is not a hexadecimal digit
    Checksum,  // the bytes do not sum to zero
    Type,      // unknown record type or a type with the wrong length
};

struct HexRecord {
    int type = 0;
    quint16 address = 0;
    QByteArray data;
};

enum HexRecordType {
    HexData = 0,
    HexEndOfFile = 1,
    HexExtendedSegmentAddress = 2,
    HexStartSegmentAddress = 3,
    HexExtendedLinearAddress = 4,
    HexStartLinearAddress = 5,
};

// Parses one record (trailing CR/LF and blanks allowed). On success fills *record.
HexRecordError parseHexRecord(const QByteArray& line, HexRecord* record);
QString hexRecordErrorText(HexRecordError error);

// Builds a record with its checksum, e.g. for test images.
QByteArray makeHexRecord(int type, quint16 address, const QByteArray& data);

// A sparse memory image: the bytes that records have written, by absolute address.
class HexImage {
public:
    // Writes data from address on; false, writing nothing, when its end would lie past the 32-bit address space.
    bool write(quint32 address, const QByteArray& data);
    void clear() { m_bytes.clear(); }
    bool isEmpty() const { return m_bytes.isEmpty(); }
    int size() const { return int(m_bytes.size()); }
    bool contains(quint32 address) const { return m_bytes.contains(address); }
    quint8 at(quint32 address, quint8 fill = 0xFF) const { return m_bytes.value(address, fill); }
    quint32 lowestAddress() const;
    quint32 highestAddress() const;
    const QMap<quint32, quint8>& bytes() const { return m_bytes; }

    // Canonical Intel HEX: extended linear address records where needed, data records of up to
    // recordLength bytes over contiguous runs, and the end record.
    QByteArray toIntelHex(int recordLength = 16) const;
    // Number of addresses from the lowest to the highest written one (0 for an empty image).
    quint64 span() const;
    // A binary file holds the span; from 2 GiB on it is refused.
    static constexpr quint64 maxBinarySpan = 0x7FFFFFFF;
    // Bytes from the lowest to the highest written address, gaps filled with 0xFF; empty when the span exceeds
    // maxBinarySpan.
    QByteArray toBinary() const;
    // Reads a whole Intel-HEX text (types 00 to 05); false with *error on the first bad line.
    static bool fromIntelHex(const QByteArray& text, HexImage* image, QString* error = nullptr);
    // Writes the binary form when the file name ends in ".bin", otherwise toIntelHex(). False with *error when
    // the file cannot be written or the image is too wide for a binary file.
    bool saveToFile(const QString& path, QString* error = nullptr) const;

    bool operator==(const HexImage& other) const { return m_bytes == other.m_bytes; }
    bool operator!=(const HexImage& other) const { return !(*this == other); }

private:
    bool writeBinary(QIODevice& out) const;

    QMap<quint32, quint8> m_bytes;
};

} // namespace sim
