#pragma once
// Write File to Monitor: sends the adjustment values a data file holds to the connected monitor, scan set by
// scan set, with the set requests the adjustment windows send, and saves them as the monitor's initial
// settings. One request is handed to the queue at a time, the next only once the link is idle again (the
// previous one has been answered), so the write never floods the queue and can stop cleanly between two
// requests. Before anything is written the file's identity is compared with the monitor's: a file of another
// firmware family is refused, a file of another monitor (or of no known monitor) is written only when the
// user agrees.
#include "model/DataFile.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class Clock;
class MonitorModel;
class Timer;

// What a data file holds for a write-back, read into a scratch model so that the tool's own model (which
// shows the monitor) is not touched.
struct WriteBackFile {
    struct Value {
        QChar group; // read letter of the DAC group, lower case
        int dac = 0;
        int scanSet = 0;
        int value = 0;
    };

    QString title;
    QString modelNumber;
    QString serialNumber;
    int firmwareClass = 0;    // 0 when the file holds no firmware version
    QHash<QChar, int> counts; // DAC count per group letter, as the file states them
    QVector<Value> values;    // the live values of the DAC lines, in file order (without a cut scan set's)
    int scanSetsHeld = 0;     // scan sets the file holds lines for, a cut one included
    int valuesHeld = 0;       // DAC lines the file holds, a cut scan set's included
    int cutScanSet = -1;      // the scan set the file ends within (its values are left out); -1 none
    int cutValues = 0;        // the lines of that scan set the file still holds

    // A file written while a monitor was connected names it; one written without holds no identity lines.
    bool holdsIdentity() const { return firmwareClass != 0 || !modelNumber.isEmpty() || !serialNumber.isEmpty(); }
    // The scan sets the file holds values for, ascending.
    QVector<int> scanSets() const;
    // Fills the fields from a model that a data file was read into.
    void takeFrom(const MonitorModel& scratch);

    // Reads a data file into a scratch model and takes what a write-back needs from it. A file that ends within
    // a scan set (cut short in a copy or a transfer) gives the complete scan sets only, and fails when it ends
    // within its first one.
    static DataFileResult read(const QString& path, WriteBackFile* out);
};

// What a write-back came to.
struct WriteBackSummary {
    QString fileTitle;
    int fileScanSets = 0; // what the file held
    int fileValues = 0;
    int cutScanSet = -1; // the scan set the file ended within, not written; -1 none
    int valuesWritten = 0;
    int valuesSkipped = 0;  // outside the range of their DAC: never sent
    QVector<int> scanSets;  // scan sets whose values were all sent and saved as initial settings
    int valuesUnsaved = 0;  // sent for a scan set the write did not finish: kept only until power-off
    bool declined = false;  // refused by the identity check or by the user before anything was sent
    QString stoppedBecause; // empty when every request was answered
    QString text() const;
};

class FileWriteBack : public QObject {
    Q_OBJECT
public:
    // How the sequencer reaches the monitor: queue one request (command text without CR LF), and whether the
    // link is idle (nothing queued, nothing awaiting its answer).
    struct LinkAccess {
        std::function<void(const QString&)> send;
        std::function<bool()> idle;
    };
    // A Yes/No question; true for Yes.
    using Confirm = std::function<bool(const QString& question)>;
    // Work to do once the user has agreed and before the first request of the write (the values it replaces
    // read and recorded); it calls proceed when done.
    using BeforeWrite = std::function<void(std::function<void()> proceed)>;

    // The identity check: whether the file may be written to the monitor, and what to ask or tell the user.
    enum class Verdict { SameMonitor, OtherMonitor, NoIdentity, OtherFamily, UnknownFamily };
    struct IdentityCheck {
        Verdict verdict;
        QString message; // the question for the first three, the refusal for the last two
        bool refused() const { return verdict == Verdict::OtherFamily || verdict == Verdict::UnknownFamily; }
    };

    // One DAC the adjustment windows set on a monitor: group letter, index and largest value.
    struct Dac {
        QChar group;
        int index;
        int max;
    };

    static constexpr int pollMs = 50;
    // Longer than the queue's kick and the keep-alive's answer time-out together: by then the link has given
    // up on the monitor as well.
    static constexpr int silenceMs = 8000;

    FileWriteBack(MonitorModel& monitor, Clock& clock, LinkAccess link, QObject* parent = nullptr);

    void setConfirm(Confirm confirm) { m_confirm = std::move(confirm); }
    void setBeforeWrite(BeforeWrite beforeWrite) { m_beforeWrite = std::move(beforeWrite); }

    // Firmware family of a class, as the family set-up knows it (1 to 4); 0 for a class of no family or not read.
    static int familyOf(int firmwareClass);
    static IdentityCheck checkIdentity(const WriteBackFile& file, const MonitorModel& monitor);
    // The DACs that the adjustment windows offer for this monitor (by firmware class and capability), in the
    // order they are written.
    static QVector<Dac> writableDacs(const MonitorModel& monitor);
    // Every request of the write, in order: per scan set "CC" + index, the set requests, the group saves; then
    // "CC" + the scan set the tool had selected. Values outside their DAC's range are counted in skipped.
    static QStringList writeRequests(const WriteBackFile& file, const MonitorModel& monitor, int* skipped = nullptr);

    // Starts: reads the firmware version, model and serial number first where the tool does not know them yet,
    // then checks the identity, asks, and writes. False (and nothing started) while a write is running.
    bool start(const WriteBackFile& file);
    // Stops after the request on the wire; the scan set selected before is selected again.
    void cancel();
    bool isRunning() const { return m_phase != Phase::Idle; }
    // The file being written (or last written).
    const WriteBackFile& file() const { return m_file; }

signals:
    void progress(int done, int total);
    void finished(const WriteBackSummary& summary);

private:
    enum class Phase { Idle, Identify, Prepare, Write, Restore };
    void tick();
    void sendNext();
    void beginWrite();
    void startWriting(const QStringList& requests, const QString& restoreRequest);
    void finish(const QString& stoppedBecause);
    void noteAnswered(const QString& request);

    MonitorModel& m_monitor;
    LinkAccess m_link;
    Confirm m_confirm;
    BeforeWrite m_beforeWrite;
    Timer* m_timer;
    Clock& m_clock;

    Phase m_phase = Phase::Idle;
    WriteBackFile m_file;
    QStringList m_requests;
    int m_next = 0;
    int m_total = 0;
    bool m_awaiting = false;
    qint64 m_sentAt = 0;
    bool m_cancelled = false;
    QString m_restoreRequest;
    WriteBackSummary m_summary;
    int m_currentScanSet = -1;     // scan set being written, from its "CC"
    QVector<int> m_setsInRequests; // scan sets whose values the requests hold, for the summary
};
