#pragma once
// The check of a whole firmware image before anything is sent: a flash download erases the monitor's firmware
// first, so an image that the boot block would certainly refuse part-way is refused here, while the monitor
// still holds its firmware. The monitor's own record checks stay the final word.
#include <QByteArray>
#include <QString>

namespace ImageCheck {

enum class LineError {
    None,
    StartCode, // the line does not begin with ":"
    Digit,     // a character after ":" that is not a hexadecimal digit
    Length,    // odd digit count, too short, or a byte count that does not match the length byte
    Checksum,  // the bytes do not sum to zero
    Type,      // record type above 05, or a type with the wrong length
    Address,   // a data record whose bytes run past the end of the 64 KiB address space
    EndMark,   // a Ctrl-Z after a record other than the end record
};

// The record of a line of the file, as the download sends it: without its line end and trailing blanks, and
// cut at a Ctrl-Z (the end-of-file mark that old tools wrote after the end record).
QByteArray recordText(const QByteArray& line);

// One record as the download sends it (see recordText). *endRecord tells a valid end record.
LineError checkLine(const QByteArray& line, bool* endRecord = nullptr);
QString lineErrorText(LineError error);

struct Result {
    bool ok = false;
    int lineNumber = 0; // 1-based line of the fault; 0 when the fault is the file's (unreadable, no end record)
    QString reason;
    int records = 0; // the records up to the fault, or all of them
};

// Reads the file line by line (never whole into memory). Every line must be a valid record and there must be
// exactly one end record, the last record of the file. After it only blanks and Ctrl-Z may follow (never sent).
Result checkFile(const QString& path);

} // namespace ImageCheck
