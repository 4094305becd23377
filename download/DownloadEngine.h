#pragma once
// The boot-mode download: an Intel-HEX image sent record by record to the monitor's flash or SRAM, one record
// in flight, each sent when the monitor has acknowledged the one before. Widget-free: it is driven by the
// answers that dispatch hands it and by the clock, sounds the tones, and reports through its signals; every end
// leaves a verdict (its outcome and the words for the user) that the windows show and a command line prints.
//
// Only the answers to its own requests count: the record in flight, "bf3" or "bs". A download that hears
// nothing within the download keep-alive interval (within the start answer limit for the erase or load
// request, which may take many seconds), or whose port or connection is lost, ends and says so.
#include "link/Request.h"
#include <QFile>
#include <QObject>
#include <QString>
#include <functional>

class Clock;
class Link;
class MonitorModel;
class Settings;
class Timer;
class Tone;

class DownloadEngine : public QObject {
    Q_OBJECT
public:
    enum class Kind { Flash, Sram };
    // Preparing: the image is accepted and what must be read before the monitor changes is being read.
    enum class Phase { Idle, Preparing, AwaitingStart, Sending };
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
        NoAnswer,
        ConnectionLost,
        PortLost,
        Abandoned,
    };
    // What the user is told at the end; an empty text tells nothing (an end the user asked for).
    struct Verdict {
        Outcome outcome = Outcome::Completed;
        QString title;
        QString text;
    };

    static constexpr int defaultRetryLimit = 6;
    // A flash erase takes seconds, longer on some monitors than the 7 s a record may take.
    static constexpr int defaultStartAnswerLimitMs = 60000;
    DownloadEngine(Link* link, MonitorModel* model, Clock* clock, Tone* tone, Settings* settings,
                   QObject* parent = nullptr);
    ~DownloadEngine() override;

    // The title of the boxes that have no title of their own.
    void setApplicationTitle(const QString& title) { m_appTitle = title; }

    // The question to ask before a flash download, whatever asks it.
    static QString flashConfirmationTitle();
    static QString flashConfirmationText();

    // Starts a download of the image at path: the image is checked whole first. A flash download then switches
    // the monitor's checking and auto boot off (outside its boot block) and auto-ping off, and asks for the
    // erase; an SRAM download asks for the load. False when it did not start (the verdict says why). A running
    // download must have ended first (see abandon). source: the window or command that starts it, which its
    // requests name.
    bool start(Kind kind, const QString& path, const QString& source = QString());
    // Called by start once the image is accepted, before anything is sent: whoever must read the monitor before
    // it changes (its history) reads, then calls proceed, and only then do the download's own requests go out.
    // Meanwhile the progress window is up with Abort at hand. An empty hook starts at once.
    using BeforeStart = std::function<void(std::function<void()> proceed)>;
    void setBeforeStart(BeforeStart hook) { m_beforeStart = std::move(hook); }
    // The progress window's Abort: the download stops at the next record answer, or when none comes within
    // the download keep-alive interval; while the erase or load answer is awaited it stops at once, and before
    // the erase request went out it puts back the checking and auto boot that the start switched off.
    void requestAbort();
    // The auto-boot word of the last boot-block read ("ON", "OFF"): what an abort before the erase puts back.
    void noteAutoBoot(const QString& word);
    // Ends a running download at once, without a word: a new one replaces it, or the tool closes.
    void abandon();

    // Answers handed over by dispatch: the "bf3" answer, the "bs" answer (from its "S" on), and every record
    // answer, also a rejected one (ended by "!").
    void handleFlashEraseAnswer(const QString& body);
    void handleSramLoadAnswer(const QString& body);
    void handleRecordAnswer(const QString& body);

    Phase phase() const { return m_phase; }
    bool inProgress() const { return m_phase != Phase::Idle; }
    Kind kind() const { return m_kind; }
    // The records of the image being sent (known from the check before the start).
    int recordCount() const { return m_recordCount; }
    const Verdict& verdict() const { return m_verdict; }

    QString codeInitDir;
    QString imageFileName;
    qint64 imageFileSize = 0;
    int charsSent = 0;
    int recordNumber = 0;
    int recordRetries = 0;
    // Every repetition of the download so far; what "Retries: " shows.
    int totalRetries = 0;
    int retryLimit = defaultRetryLimit;
    int startAnswerLimitMs = defaultStartAnswerLimitMs;
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
    // A new record went to the queue: its number, of the image's recordCount.
    void recordSent(int recordNumber, int recordCount);
    // The flash download switched the monitor's checking off: the log window offers "Enable Checking".
    void checkingSwitchedOff();
    // An abort before the erase switched it on again.
    void checkingSwitchedBackOn();
    // While the erase or load answer is awaited, from the request's write and then once a second: what the
    // monitor is doing ("Erasing…") and the seconds waited; an empty text when the wait is over.
    void startWaitChanged(const QString& what, int seconds);
    // Every end, after the progress window was hidden and the summary line written; verdict() tells the rest.
    void finished(DownloadEngine::Outcome outcome);

private:
    bool openImage(const QString& path);
    bool imageAccepted(Kind kind);
    void prepare();
    void sendStart();
    void begin(Kind kind);
    // Counters from zero and the progress window up.
    void enter(Phase phase);
    void sendFirstRecord();
    void nextRecord();
    void retry();
    // Reads the next line as the record it sends; false when nothing could be read.
    bool readRecord(QString* line);
    void queueRecord(const QString& line);
    void restartKeepAlive();
    QString formatErrorText(const QString& line) const;
    QString readErrorText() const;
    void tones(std::initializer_list<std::pair<int, int>> sequence);
    // Every end goes through here: timers, the image, auto-ping back, the progress window, the summary line.
    void end(Outcome outcome, const QString& title = QString(), const QString& text = QString());
    void silenceTimedOut();
    void giveAutoPingBack();
    void startWaitTick();
    // Before the erase went out: queues "cz1" and "cb1" for what the start switched off; the words for the box.
    QString putBackBeforeErase();
    // What the start switched off and nothing put back, in words for a box.
    QString stillOff() const;
    // What the download queued, or has in flight, will not be answered: the link is freed for what comes next.
    void freeLink();
    void linkLost();
    void portLost(const QString& why);
    void onRequestWritten(RequestId id, const Request& request);
    // The monitor refused the download's own request (a rejected record, a refused erase or load).
    void onRequestSettled(const RequestOutcome& outcome);
    void submitOwn(const QString& text);
    // Where the download stands, and what that leaves in the monitor, for the boxes of an end the monitor did
    // not decide.
    QString whereItStopped() const;
    QString whatItLeaves() const;

    Link* m_link;
    MonitorModel* m_model;
    Clock* m_clock;
    Tone* m_tone;
    Settings* m_settings;
    // No answer within the download keep-alive interval of the last line written (the start answer limit for
    // the erase or load request).
    Timer* m_silence;
    // Counts the seconds of the wait for the erase or load answer.
    Timer* m_startWait;
    qint64 m_startWrittenAt = 0;
    QString m_appTitle;
    QFile m_image;
    Phase m_phase = Phase::Idle;
    Kind m_kind = Kind::Flash;
    QString m_source;
    qint64 m_startedAt = 0;
    int m_recordCount = 0;
    bool m_progressShown = false;
    // The download's own request (the erase or load request, or the record) last queued.
    RequestId m_ownRequest = 0;
    // The erase or load request went out: the monitor may have changed.
    bool m_startWritten = false;
    // "cz0" and "cb0" went out before the erase: the monitor's checking and auto boot are off.
    RequestId m_checkingOffRequest = 0;
    RequestId m_autoBootOffRequest = 0;
    bool m_checkingOffWritten = false;
    bool m_autoBootOffWritten = false;
    enum class AutoBoot { Unknown, On, Off };
    AutoBoot m_autoBoot = AutoBoot::Unknown;
    // The download switched auto-ping off and owes the user its setting back.
    bool m_autoPingToRestore = false;
    Verdict m_verdict;
    BeforeStart m_beforeStart;
    // Counts the starts, so that a late proceed of an ended download starts nothing.
    int m_preparation = 0;
    // The hook returned before it called proceed: the reads took their time, and the monitor may be gone.
    bool m_preparedLater = false;
};

QString outcomeText(DownloadEngine::Outcome outcome);
