#pragma once
// The monitor data file (".mdv"): a line-oriented text file of the monitor's identity and all adjustment values,
// scan set by scan set. Lines end in CR LF; items are separated by commas; text items are in double quotes,
// numbers are plain signed decimals.
#include <QByteArray>
#include <QChar>
#include <QDateTime>
#include <QObject>
#include <QPair>
#include <QString>
#include <QVector>
#include <functional>

class DacGroup;
class MonitorModel;

// What a write or read came to. Failures carry the message to show the user (OK box); messages about a line
// of the file also carry its 1-based number in line.
struct DataFileResult {
    bool ok = true;
    QString message;
    int line = 0;

    static DataFileResult success() { return {}; }
    static DataFileResult failure(const QString& message, int line = 0) { return {false, message, line}; }
};

class DataFile : public QObject {
    Q_OBJECT
public:
    using Dispatch = std::function<void(const QString&)>;

    explicit DataFile(MonitorModel& model, QObject* parent = nullptr);

    // The reader hands the stored firmware and ROM versions to the answer dispatcher as "df"/"de" answers, so
    // that they take effect exactly like answers of the monitor.
    void setDispatch(Dispatch dispatch) { m_dispatch = std::move(dispatch); }
    // Restarts Update All Data at its first step; the writer calls it before it writes.
    void setUpdateAllStarter(std::function<void()> starter) { m_startUpdateAll = std::move(starter); }
    // Text of the "File Created" line; defaults to the locale's short date and long time.
    void setTimestamp(std::function<QString()> timestamp) { m_timestamp = std::move(timestamp); }

    // File state as the File menu sets it: the path becomes the open data file under a new handle number, and
    // the data counts as unchanged. Nothing is read or written on disk here.
    void openForReading(const QString& path);
    void openForWriting(const QString& path);
    void close();

    // Writes the whole model to the open file. The file is written beside the target and renamed over it only
    // when every byte is known to be written, so a failed write (a full or read-only disk) leaves the previous
    // contents in place and is reported, with the data still counting as changed. On success the file is closed
    // and the data counts as unchanged.
    DataFileResult writeMdf();
    // Reads the open file into the model. A failure stops the read; what was read before it stays in the model.
    DataFileResult readMdf();

    // The file contents the writer produces from the model as it is now.
    QByteArray contents() const;
    // The DAC lines of one scan set, group by group in the order the writer puts them: every named DAC within the
    // group's count, the horizontal S-cap last in its group. A file read back holds this many per scan set.
    static QVector<QPair<const DacGroup*, int>> scanSetLines(const MonitorModel& model);

    // Longest line (without its line end) the reader accepts; no line the writer produces comes near it.
    static constexpr qint64 maxLineLength = 4 * 1024 * 1024;

signals:
    // A stored identity value: board letter ("S" monitor, "U" monitor part number, "T" CRT) and whether it is
    // the serial number; shown where the identity answers show it.
    void identityLoaded(QChar board, bool serial, const QString& text);
    void operatingTimeLoaded(const QString& time);
    void operatingCyclesLoaded(const QString& cycles);
    void scanSetNameLoaded(int index, const QString& name);
    // A DAC line stored: the group's read letter (null for a group without one), DAC index and scan set.
    void dacLineLoaded(QChar group, int dac, int scanSet);

private:
    int nextHandle();
    void closeAfterFormatError();
    QString defaultTimestamp() const;

    MonitorModel& m_model;
    Dispatch m_dispatch;
    std::function<void()> m_startUpdateAll;
    std::function<QString()> m_timestamp;
    int m_lastHandle = 0;
};
