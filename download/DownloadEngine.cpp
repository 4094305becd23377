#include "download/DownloadEngine.h"

#include "download/ImageCheck.h"
#include "link/Link.h"
#include "link/LogSink.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "platform/Settings.h"
#include "platform/Tone.h"
#include "protocol/Catalogue.h"
#include "protocol/TextHelpers.h"

#include <QFileInfo>

#include <algorithm>

namespace {
const QString kConfigs = QStringLiteral("Configs");

bool hasPrompt(const QString& body) {
    return body.contains(QLatin1Char('#')) || body.contains(QLatin1Char('$'));
}

const QString kAgain = QStringLiteral("The download can simply be started again.");

// What the monitor said in a start answer: the body without the rest of the echoed request ("f3" of "bf3", "s"
// of "bs") and the line ends around it.
QString monitorWords(const QString& body, const QString& echoRest) {
    QString words = body;
    if (words.startsWith(echoRest, Qt::CaseInsensitive))
        words = words.mid(echoRest.size());
    words = Text::trimLeading(words);
    while (!words.isEmpty() && (words.back() == QLatin1Char('\r') || words.back() == QLatin1Char('\n')))
        words.chop(1);
    return words;
}
} // namespace

QString outcomeText(DownloadEngine::Outcome outcome) {
    using O = DownloadEngine::Outcome;
    switch (outcome) {
    case O::Completed:
        return QStringLiteral("completed");
    case O::Failed:
        return QStringLiteral("failed");
    case O::Aborted:
        return QStringLiteral("aborted");
    case O::AbortUnanswered:
        return QStringLiteral("aborted, no answer");
    case O::RetryLimit:
        return QStringLiteral("retry limit exceeded");
    case O::Unrecognised:
        return QStringLiteral("unrecognised answer");
    case O::EofError:
        return QStringLiteral("EOF error");
    case O::FormatError:
        return QStringLiteral("bad record format");
    case O::ReadError:
        return QStringLiteral("read error");
    case O::NoEndRecord:
        return QStringLiteral("image ended without end record");
    case O::StartRefused:
        return QStringLiteral("refused by the monitor");
    case O::BadStartAnswer:
        return QStringLiteral("bad start answer");
    case O::ImageRefused:
        return QStringLiteral("image refused, nothing sent");
    case O::NoAnswer:
        return QStringLiteral("no answer from the monitor");
    case O::ConnectionLost:
        return QStringLiteral("connection lost");
    case O::PortLost:
        return QStringLiteral("port lost");
    case O::Abandoned:
        return QStringLiteral("abandoned for a new download");
    }
    return QString();
}

DownloadEngine::DownloadEngine(Link* link, MonitorModel* model, Clock* clock, Tone* tone, Settings* settings,
                               QObject* parent)
    : QObject(parent), m_link(link), m_model(model), m_clock(clock), m_tone(tone), m_settings(settings),
      m_silence(clock->createTimer(this)), m_startWait(clock->createTimer(this)) {
    m_silence->setSingleShot(true);
    connect(m_silence, &Timer::timeout, this, &DownloadEngine::silenceTimedOut);
    connect(m_startWait, &Timer::timeout, this, &DownloadEngine::startWaitTick);
    connect(m_link, &Link::connectionLost, this, &DownloadEngine::linkLost);
    connect(m_link, &Link::portLost, this, &DownloadEngine::portLost);
    connect(m_link->queue(), &TransmitQueue::requestWritten, this, &DownloadEngine::onRequestWritten);
    connect(m_link->queue(), &TransmitQueue::requestSettled, this, &DownloadEngine::onRequestSettled);
}

DownloadEngine::~DownloadEngine() = default;

void DownloadEngine::tones(std::initializer_list<std::pair<int, int>> sequence) {
    if (!m_tone)
        return;
    for (const auto& [hz, ms] : sequence)
        m_tone->play(hz, ms);
}

// Starting.

QString DownloadEngine::flashConfirmationTitle() {
    return QStringLiteral("Confirm Firmware Reprogram");
}

QString DownloadEngine::flashConfirmationText() {
    return QStringLiteral("Do you really want to replace the existing firmware?\nThis action is unrecoverable.");
}

bool DownloadEngine::start(Kind kind, const QString& path, const QString& source) {
    if (inProgress())
        return false;
    m_kind = kind;
    m_source = source;
    // The image is checked before the monitor is touched: the erase cannot be undone.
    if (!openImage(path) || !imageAccepted(kind))
        return false;
    m_autoPingToRestore = false;
    m_checkingOffRequest = 0;
    m_autoBootOffRequest = 0;
    if (!m_beforeStart) {
        sendStart();
        return true;
    }
    prepare();
    const int preparation = ++m_preparation;
    m_preparedLater = false;
    m_beforeStart([this, preparation] {
        if (m_phase != Phase::Preparing || preparation != m_preparation)
            return;
        // The reads ended because the monitor went away: nothing of the download was sent.
        if (m_preparedLater && !m_model->monitorResponding) {
            linkLost();
            return;
        }
        sendStart();
    });
    m_preparedLater = m_phase == Phase::Preparing && preparation == m_preparation;
    return true;
}

void DownloadEngine::prepare() {
    enter(Phase::Preparing);
    m_startWrittenAt = m_clock->nowMs();
    m_startWait->start(1000);
    startWaitTick();
}

void DownloadEngine::sendStart() {
    const Kind kind = m_kind;
    if (m_startWait->isActive()) {
        m_startWait->stop();
        emit startWaitChanged(QString(), 0);
    }
    // No keep-alive ping may come between the start request and its answer, which may take its time.
    m_autoPingToRestore = m_link->autoPingEnabled();
    m_link->setAutoPingEnabled(false);
    if (kind == Kind::Sram) {
        begin(kind);
        submitOwn(Catalogue::startSramLoad());
        return;
    }
    TransmitQueue* queue = m_link->queue();
    const bool bootMode = m_model->bootMode;
    if (!bootMode)
        m_checkingOffRequest = queue->submit({Request::Kind::Command, Catalogue::setChecking(false), {}, m_source});
    emit checkingSwitchedOff();
    if (!bootMode)
        m_autoBootOffRequest = queue->submit({Request::Kind::Command, Catalogue::setAutoBoot(false), {}, m_source});
    begin(kind);
    submitOwn(Catalogue::eraseFlash());
}

bool DownloadEngine::openImage(const QString& path) {
    imageFileName = path;
    m_startedAt = m_clock->nowMs();
    recordNumber = 0;
    totalRetries = 0;
    charsSent = 0;
    const int cut = int(std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/'))));
    if (cut >= 0) {
        codeInitDir = path.left(cut);
        if (m_settings)
            m_settings->writeText(kConfigs, QStringLiteral("CodeInitDir"), codeInitDir);
    }
    m_image.setFileName(path);
    if (!m_image.open(QIODevice::ReadOnly | QIODevice::Text)) {
        tones({{250, 250}});
        end(Outcome::ReadError, QString(), readErrorText());
        return false;
    }
    imageFileSize = m_image.size();
    return true;
}

bool DownloadEngine::imageAccepted(Kind kind) {
    const ImageCheck::Result check = ImageCheck::checkFile(imageFileName);
    m_recordCount = check.records;
    if (check.ok)
        return true;
    QString where = check.lineNumber > 0 ? QStringLiteral("Line %1 ").arg(check.lineNumber) : QString();
    QString reason = check.reason;
    if (where.isEmpty() && !reason.isEmpty())
        reason[0] = reason.at(0).toUpper();
    tones({{250, 250}});
    m_kind = kind;
    end(Outcome::ImageRefused, QStringLiteral("File Format Error"),
        QStringLiteral("Bad record format in '") + imageFileName + QStringLiteral("'\n") + where + reason +
            QStringLiteral(".\nNothing was sent to the monitor."));
    return false;
}

void DownloadEngine::begin(Kind kind) {
    m_kind = kind;
    enter(Phase::AwaitingStart);
    m_silence->start(m_link->downloadKeepAliveInterval);
}

void DownloadEngine::enter(Phase phase) {
    m_phase = phase;
    m_startedAt = m_clock->nowMs();
    recordNumber = 0;
    recordRetries = 0;
    totalRetries = 0;
    charsSent = 0;
    abortRequested = false;
    m_startWritten = false;
    m_ownRequest = 0;
    m_checkingOffWritten = false;
    m_autoBootOffWritten = false;
    // The window comes at once, so that Abort is at hand while the erase or load answer is awaited.
    if (!m_progressShown) {
        emit retryTextChanged(QStringLiteral("Retries:"));
        emit gaugeChanged(0);
        emit progressShown();
        m_progressShown = true;
    }
}

// The monitor's answers.

void DownloadEngine::onRequestWritten(RequestId id, const Request&) {
    // What is read before the download is not the download's.
    if (m_phase == Phase::Idle || m_phase == Phase::Preparing)
        return;
    if (m_phase == Phase::Sending) {
        // Each line written gives the monitor the download keep-alive interval to answer.
        m_silence->start(m_link->downloadKeepAliveInterval);
        return;
    }
    // Once the erase or load request is out, its own limit runs whatever else is written meanwhile.
    if (m_startWritten)
        return;
    m_checkingOffWritten = m_checkingOffWritten || (id != 0 && id == m_checkingOffRequest);
    m_autoBootOffWritten = m_autoBootOffWritten || (id != 0 && id == m_autoBootOffRequest);
    if (id != m_ownRequest) {
        m_silence->start(m_link->downloadKeepAliveInterval);
    } else {
        // The erase (or the loader's preparation) has a limit of its own, and the user sees the seconds pass.
        m_startWritten = true;
        m_startWrittenAt = m_clock->nowMs();
        m_silence->start(startAnswerLimitMs);
        m_startWait->start(1000);
        startWaitTick();
    }
}

void DownloadEngine::startWaitTick() {
    const int seconds = int((m_clock->nowMs() - m_startWrittenAt) / 1000);
    emit startWaitChanged(m_phase == Phase::Preparing ? QStringLiteral("Reading the monitor's values first\u2026")
                          : m_kind == Kind::Flash     ? QStringLiteral("Erasing\u2026")
                                                      : QStringLiteral("Preparing the SRAM load\u2026"),
                          seconds);
}

void DownloadEngine::noteAutoBoot(const QString& word) {
    // A read during a download sees what the download switched off, not what it must put back.
    if (inProgress())
        return;
    if (word.compare(QLatin1String("ON"), Qt::CaseInsensitive) == 0)
        m_autoBoot = AutoBoot::On;
    else if (word.compare(QLatin1String("OFF"), Qt::CaseInsensitive) == 0)
        m_autoBoot = AutoBoot::Off;
}

void DownloadEngine::onRequestSettled(const RequestOutcome& outcome) {
    // Only the answer to the download's own request: a refused poll or ping is none of its business.
    if (m_phase == Phase::Idle || outcome.id != m_ownRequest || outcome.ending != RequestOutcome::Ending::Refused)
        return;
    m_ownRequest = 0;
    const QString echo = Text::trimLeading(outcome.answer);
    if (m_phase == Phase::Sending) {
        handleRecordAnswer(echo);
        return;
    }
    const QString body = echo.startsWith(QLatin1Char('b'), Qt::CaseInsensitive) ? Text::trimLeading(echo.mid(1)) : echo;
    if (m_kind == Kind::Flash)
        handleFlashEraseAnswer(body);
    else
        handleSramLoadAnswer(body);
}

void DownloadEngine::submitOwn(const QString& text) {
    m_ownRequest = m_link->queue()->submit({Request::Kind::Record, text, {}, m_source});
}

void DownloadEngine::handleFlashEraseAnswer(const QString& body) {
    if (m_phase != Phase::AwaitingStart || m_kind != Kind::Flash)
        return;
    if (body.contains(QLatin1Char('!'))) {
        end(Outcome::StartRefused, QStringLiteral("Flash Block Erase Failed"),
            QStringLiteral("Message was '") + monitorWords(body, QStringLiteral("f3")) + QLatin1Char('\''));
    } else if (hasPrompt(body)) {
        sendFirstRecord();
    } else {
        tones({{250, 250}});
        end(Outcome::BadStartAnswer, QString(), QStringLiteral("Bad response to bf3 erase command"));
    }
}

void DownloadEngine::handleSramLoadAnswer(const QString& body) {
    if (m_phase != Phase::AwaitingStart || m_kind != Kind::Sram)
        return;
    if (body.contains(QLatin1Char('!'))) {
        end(Outcome::StartRefused, QString(),
            QStringLiteral("Message was '") + monitorWords(body, QStringLiteral("s")) + QLatin1Char('\''));
    } else if (!body.contains(QLatin1Char('#'))) {
        tones({{250, 250}});
        end(Outcome::BadStartAnswer, QString(), QStringLiteral("Bad response to bs command"));
    } else {
        sendFirstRecord();
    }
}

void DownloadEngine::sendFirstRecord() {
    recordNumber = 1;
    charsSent = 0;
    recordRetries = 0;
    totalRetries = 0;
    QString line;
    if (!readRecord(&line)) {
        tones({{250, 250}});
        end(Outcome::ReadError, QString(), readErrorText());
        return;
    }
    if (!line.startsWith(QLatin1Char(':'))) {
        end(Outcome::FormatError, QStringLiteral("File Format Error"), formatErrorText(line));
        return;
    }
    m_phase = Phase::Sending;
    m_startWait->stop();
    emit startWaitChanged(QString(), 0);
    if (m_kind == Kind::Sram)
        giveAutoPingBack();
    lastRecord = line;
    if (m_kind == Kind::Flash)
        restartKeepAlive();
    queueRecord(line);
    emit recordSent(recordNumber, m_recordCount);
}

void DownloadEngine::handleRecordAnswer(const QString& body) {
    if (m_phase != Phase::Sending)
        return;
    bool prompt = hasPrompt(body);
    bool rejected = body.contains(QLatin1Char('!'));
    bool eof = body.contains(QLatin1String("EOF"));
    const bool aborted = abortRequested;
    if (aborted) {
        prompt = false;
        rejected = true;
        eof = true;
    }

    if (eof && prompt) {
        tones({{250, 250}, {500, 250}, {1000, 250}});
        end(Outcome::Completed, QStringLiteral("Download Complete"),
            QStringLiteral("%1 download complete: %2 sent.")
                .arg(m_kind == Kind::Flash ? QStringLiteral("Flash") : QStringLiteral("SRAM"),
                     recordNumber == 1 ? QStringLiteral("1 record") : QStringLiteral("%1 records").arg(recordNumber)));
    } else if (eof && rejected) {
        tones({{250, 250}, {125, 250}, {125, 250}});
        if (aborted)
            end(Outcome::Aborted, QStringLiteral("Download Aborted"),
                QStringLiteral("The download was aborted at ") + whereItStopped() + QStringLiteral(".\n") +
                    whatItLeaves() + QLatin1Char('\n') + kAgain);
        else
            end(Outcome::Failed, QStringLiteral("Download Error"),
                QStringLiteral("Failed checksum after booting flash.\nResult was '") + body +
                    QStringLiteral("'\nTry again or check Flash Chip, Pin 1 = +12V."));
        abortRequested = false;
    } else if (eof) {
        end(Outcome::EofError, QStringLiteral("Download Error"),
            QStringLiteral("EOF error, result neither fish nor fowl.\nResult was '") + body +
                QStringLiteral("'\nTry again, check connection & power."));
    } else if (prompt) {
        nextRecord();
    } else if (rejected) {
        retry();
    } else {
        tones({{250, 250}, {125, 250}, {250, 125}, {125, 250}});
        end(Outcome::Unrecognised, QStringLiteral("Download Error"),
            QStringLiteral("Record was unrecognized type, quitting.\nRecord = '") + body + QLatin1Char('\''));
    }
}

void DownloadEngine::nextRecord() {
    QString line;
    const bool read = readRecord(&line);
    recordRetries = 0;
    if (!read) {
        end(Outcome::NoEndRecord, QStringLiteral("Download Error"),
            QStringLiteral("The image ended after record %1 without an end record.\n").arg(recordNumber) +
                whatItLeaves() + QLatin1Char('\n') + kAgain);
        return;
    }
    if (!line.startsWith(QLatin1Char(':'))) {
        end(Outcome::FormatError, QStringLiteral("File Format Error"), formatErrorText(line));
        return;
    }
    lastRecord = line;
    restartKeepAlive();
    queueRecord(line);
    charsSent += int(line.size());
    emit gaugeChanged(imageFileSize > 0 ? int(100.0 * charsSent / double(imageFileSize)) : 0);
    ++recordNumber;
    emit recordSent(recordNumber, m_recordCount);
}

void DownloadEngine::retry() {
    tones({{250, 250}, {125, 250}});
    ++recordRetries;
    ++totalRetries;
    emit retryTextChanged(QStringLiteral("Retries: ") + QString::number(totalRetries));
    restartKeepAlive();
    if (recordRetries > retryLimit) {
        end(Outcome::RetryLimit, QStringLiteral("Download Error"),
            QStringLiteral("Retry Limit exceeded, quitting.\nRecord number was ") + QString::number(recordNumber));
        return;
    }
    queueRecord(lastRecord);
}

void DownloadEngine::requestAbort() {
    if (m_phase == Phase::Preparing) {
        // Only reads went out; they end on their own.
        tones({{250, 250}, {125, 250}, {125, 250}});
        end(Outcome::Aborted, QStringLiteral("Download Aborted"),
            QStringLiteral("The download was aborted before its first record.\n") + whatItLeaves());
        return;
    }
    if (m_phase == Phase::AwaitingStart) {
        // Nothing was sent yet that an answer could end: stop now, and take back the erase or load request if it
        // still waits in the queue.
        freeLink();
        const QString putBack = m_startWritten ? QString() : putBackBeforeErase();
        const QString text =
            QStringLiteral("The download was aborted before its first record.\n") + whatItLeaves() + putBack;
        tones({{250, 250}, {125, 250}, {125, 250}});
        end(Outcome::Aborted, QStringLiteral("Download Aborted"), text);
        return;
    }
    if (m_phase != Phase::Sending)
        return;
    abortRequested = true;
}

void DownloadEngine::abandon() {
    if (inProgress())
        end(Outcome::Abandoned);
}

void DownloadEngine::silenceTimedOut() {
    if (m_phase == Phase::Idle)
        return;
    const int limit =
        m_phase == Phase::AwaitingStart && m_startWritten ? startAnswerLimitMs : m_link->downloadKeepAliveInterval;
    const QString seconds = QString::number(limit / 1000.0);
    freeLink();
    tones({{250, 250}, {125, 250}, {125, 250}});
    if (abortRequested) {
        if (LogSink* log = m_link->log())
            log->logEvent(QStringLiteral("Download aborted: no answer from the monitor within %1 ms").arg(limit));
        abortRequested = false;
        end(Outcome::AbortUnanswered, QStringLiteral("Download Aborted"),
            QStringLiteral("The download was aborted at %1; the monitor did not answer within %2 s.\n")
                    .arg(whereItStopped())
                    .arg(seconds) +
                whatItLeaves() + QLatin1Char('\n') + kAgain);
        return;
    }
    end(Outcome::NoAnswer, QStringLiteral("Download Stopped"),
        QStringLiteral("The monitor did not answer %1 within %2 s.\n").arg(whereItStopped()).arg(seconds) +
            whatItLeaves() + QLatin1Char('\n') + kAgain);
}

void DownloadEngine::linkLost() {
    if (m_phase == Phase::Idle)
        return;
    freeLink();
    tones({{250, 250}, {125, 250}, {125, 250}});
    end(Outcome::ConnectionLost, QStringLiteral("Download Stopped"),
        QStringLiteral("The connection to the monitor was lost at ") + whereItStopped() + QStringLiteral(".\n") +
            whatItLeaves() + QLatin1Char('\n') + kAgain);
}

void DownloadEngine::portLost(const QString& why) {
    if (m_phase == Phase::Idle)
        return;
    freeLink();
    tones({{250, 250}, {125, 250}, {125, 250}});
    end(Outcome::PortLost, QStringLiteral("Download Stopped"),
        QStringLiteral("The port %1 was lost at %2 (%3).\n").arg(m_link->port()->deviceName(), whereItStopped(), why) +
            whatItLeaves() + QLatin1Char('\n') + kAgain);
}

QString DownloadEngine::putBackBeforeErase() {
    QStringList back;
    if (m_checkingOffWritten) {
        m_link->queue()->queueCommand(Catalogue::setChecking(true));
        m_checkingOffWritten = false;
        emit checkingSwitchedBackOn();
        back << QStringLiteral("Flash checking");
    }
    // Only what the download changed is changed back: auto boot that was off before is as it was.
    if (m_autoBootOffWritten && m_autoBoot != AutoBoot::Unknown) {
        m_autoBootOffWritten = false;
        if (m_autoBoot == AutoBoot::On) {
            m_link->queue()->queueCommand(Catalogue::setAutoBoot(true));
            back << QStringLiteral("auto boot");
        }
    }
    if (back.isEmpty())
        return QString();
    QString text = back.join(QStringLiteral(" and "));
    text[0] = text.at(0).toUpper();
    return QLatin1Char('\n') + text +
           (back.size() > 1 ? QStringLiteral(" were switched back on.") : QStringLiteral(" was switched back on."));
}

QString DownloadEngine::stillOff() const {
    QString text;
    if (m_checkingOffWritten)
        text += QStringLiteral("\nFlash checking stays switched off: \"Enable Checking\" in the communication log "
                               "switches it on.");
    if (m_autoBootOffWritten)
        text += QStringLiteral("\nAuto boot stays switched off, as it is not known whether it was on: \"Enable "
                               "AutoBoot\" in the Software window switches it on.");
    return text;
}

void DownloadEngine::freeLink() {
    m_link->queue()->clearQueuedText();
    m_link->queue()->clearQueue();
}

QString DownloadEngine::whereItStopped() const {
    if (m_phase == Phase::Sending)
        return QStringLiteral("record %1 of %2").arg(recordNumber).arg(m_recordCount);
    if (m_phase == Phase::Preparing)
        return QStringLiteral("the reads before the download");
    return m_kind == Kind::Flash ? QStringLiteral("the erase request (\"bf3\")")
                                 : QStringLiteral("the load request (\"bs\")");
}

QString DownloadEngine::whatItLeaves() const {
    if (m_kind == Kind::Sram)
        return m_startWritten ? QStringLiteral("The program in the monitor's SRAM is incomplete.")
                              : QStringLiteral("Nothing was loaded into the monitor's SRAM.");
    if (!m_startWritten)
        return QStringLiteral("The erase was not sent: the monitor's firmware is as it was.") + stillOff();
    return QStringLiteral("The monitor's flash may now be erased, and the monitor stays in its boot block.");
}

// Reading and sending.

bool DownloadEngine::readRecord(QString* line) {
    if (!m_image.isOpen() || m_image.atEnd())
        return false;
    const QByteArray raw = m_image.readLine();
    if (raw.isEmpty() && m_image.error() != QFileDevice::NoError)
        return false;
    *line = QString::fromLatin1(ImageCheck::recordText(raw));
    return true;
}

void DownloadEngine::queueRecord(const QString& line) {
    submitOwn(line);
}

void DownloadEngine::restartKeepAlive() {
    m_link->restartDownloadKeepAlive();
}

QString DownloadEngine::formatErrorText(const QString& line) const {
    return QStringLiteral("Bad record format in '") + imageFileName + QStringLiteral("'\nFirst record start '") +
           line.left(8) + QStringLiteral("\nShould start with ':NNNNNNN'\nGiving up.");
}

QString DownloadEngine::readErrorText() const {
    return QStringLiteral("Error Reading '") + imageFileName +
           QStringLiteral("'. \nPlease try a different file, or something.");
}

void DownloadEngine::giveAutoPingBack() {
    if (m_autoPingToRestore) {
        m_autoPingToRestore = false;
        m_link->setAutoPingEnabled(true);
    }
}

void DownloadEngine::end(Outcome outcome, const QString& title, const QString& text) {
    m_silence->stop();
    if (m_startWait->isActive()) {
        m_startWait->stop();
        emit startWaitChanged(QString(), 0);
    }
    m_image.close();
    m_phase = Phase::Idle;
    m_ownRequest = 0;
    giveAutoPingBack();
    if (m_progressShown) {
        m_progressShown = false;
        emit progressHidden();
    }
    if (LogSink* log = m_link->log()) {
        const double seconds = double(m_clock->nowMs() - m_startedAt) / 1000.0;
        log->logEvent(QStringLiteral("Download %1 '%2': %3 records, %4 retries, %5 characters, %6 s, %7")
                          .arg(m_kind == Kind::Flash ? QStringLiteral("flash") : QStringLiteral("SRAM"),
                               QFileInfo(imageFileName).fileName())
                          .arg(recordNumber)
                          .arg(totalRetries)
                          .arg(charsSent)
                          .arg(seconds, 0, 'f', 1)
                          .arg(outcomeText(outcome)));
    }
    m_verdict = Verdict{outcome, title.isEmpty() && !text.isEmpty() ? m_appTitle : title, text};
    emit finished(outcome);
}
