#pragma once
// The boot-mode download: an Intel-HEX image sent record by record to the monitor's flash or SRAM, one record
// in flight, each sent when the monitor has acknowledged the one before. Widget-free: it is driven by the
// answers that dispatch hands it and by the clock, reports to the user through the dialogs interface and the
// tone, and tells the progress window what to show through its signals.
#include <QFile>
#include <QObject>
#include <QString>

class Clock;
class Dialogs;
class Link;
class MonitorModel;
class QWidget;
class Settings;
class Timer;
class Tone;

class DownloadEngine : public QObject {
    Q_OBJECT
public:
    enum class Kind { Flash, Sram };
    enum class Phase { Idle, AwaitingStart, Sending };
    // How a download ended, as the communication log's summary line names it.
    enum class Outcome {
        Completed,
        Failed,
        Aborted,
        AbortUnanswered,
        RetryLimit,
        Unrecognised,
        EofError,
        FormatError,
        ReadError,
        NoEndRecord,
        StartRefused,
        BadStartAnswer,
        ImageRefused,
    };

    static constexpr int defaultRetryLimit = 6;

    DownloadEngine(Link* link, MonitorModel* model, Clock* clock, Tone* tone, Dialogs* dialogs, Settings* settings,
                   QObject* parent = nullptr);
    ~DownloadEngine() override;

    // The parent of the message boxes and the file dialog.
    void setDialogParent(QWidget* parent) { m_dialogParent = parent; }
    // The title of the boxes that have no title of their own.
    void setApplicationTitle(const QString& title) { m_appTitle = title; }

    // "Load New Firmware": confirmation, image, checks off, erase, then the records.
    void startFlash();
    // "Load SRAM File": image, "bs", then the records.
    void startSram();
    // The progress window's Abort: the download stops at the next record answer, or when none comes within
    // the download keep-alive interval.
    void requestAbort();

    // Answers handed over by dispatch: the "bf3" answer, the "bs" answer (from its "S" on), and every record
    // answer, also a rejected one (ended by "!").
    void handleFlashEraseAnswer(const QString& body);
    void handleSramLoadAnswer(const QString& body);
    void handleRecordAnswer(const QString& body);
    // The link's hook for a text ended by "!": true when it was a record answer of a running download.
    bool takeRejection(const QString& text);

    Phase phase() const { return m_phase; }
    bool inProgress() const { return m_phase != Phase::Idle; }
    Kind kind() const { return m_kind; }

    QString codeInitDir;
    QString imageFileName;
    qint64 imageFileSize = 0;
    int charsSent = 0;
    int recordNumber = 0;
    int recordRetries = 0;
    // Every repetition of the download so far; what "Retries: " shows.
    int totalRetries = 0;
    int retryLimit = defaultRetryLimit;
    QString lastRecord;
    bool abortRequested = false;
    // The Software window's "Logging Enabled": the traffic of a long download stays in the log.
    bool bootLogging = false;

    // A running download past its first records leaves the received traffic out of the log unless logging is on.
    bool logQuiet() const { return inProgress() && recordNumber >= 5 && !bootLogging; }

signals:
    void progressShown();
    void progressHidden();
    void gaugeChanged(int percent);
    void retryTextChanged(const QString& text);
    // The flash download switched the monitor's checking off: the log window offers "Enable Checking".
    void checkingSwitchedOff();
    // The flash download switched auto-ping off: the log window offers "Enable AutoPing".
    void autoPingSwitchedOff();
    void finished(DownloadEngine::Outcome outcome);

private:
    bool chooseImage();
    bool imageAccepted(Kind kind);
    void begin(Kind kind);
    void sendFirstRecord();
    void nextRecord();
    void retry();
    // Reads the next line without its line ends; false when nothing could be read.
    bool readRecord(QString* line);
    void queueRecord(const QString& line);
    void restartKeepAlive();
    void showFormatError(const QString& line);
    void showReadError();
    void message(const QString& text, const QString& title);
    void tones(std::initializer_list<std::pair<int, int>> sequence);
    void end(Outcome outcome);
    void abortUnanswered();

    Link* m_link;
    MonitorModel* m_model;
    Clock* m_clock;
    Tone* m_tone;
    Dialogs* m_dialogs;
    Settings* m_settings;
    Timer* m_abortTimer;
    QWidget* m_dialogParent = nullptr;
    QString m_appTitle;
    QFile m_image;
    Phase m_phase = Phase::Idle;
    Kind m_kind = Kind::Flash;
    qint64 m_startedAt = 0;
};

QString outcomeText(DownloadEngine::Outcome outcome);
