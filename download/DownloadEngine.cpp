#include "download/DownloadEngine.h"

#include "download/ImageCheck.h"
#include "link/Link.h"
#include "link/LogSink.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
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

QString withoutLineEnds(QString line) {
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line;
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
    }
    return QString();
}

DownloadEngine::DownloadEngine(Link* link, MonitorModel* model, Clock* clock, Tone* tone, Dialogs* dialogs,
                               Settings* settings, QObject* parent)
    : QObject(parent), m_link(link), m_model(model), m_clock(clock), m_tone(tone), m_dialogs(dialogs),
      m_settings(settings), m_abortTimer(clock->createTimer(this)) {
    m_abortTimer->setSingleShot(true);
    connect(m_abortTimer, &Timer::timeout, this, &DownloadEngine::abortUnanswered);
}

DownloadEngine::~DownloadEngine() = default;

void DownloadEngine::message(const QString& text, const QString& title) {
    if (m_dialogs)
        m_dialogs->message(m_dialogParent, text, title.isEmpty() ? m_appTitle : title, Dialogs::Ok);
}

void DownloadEngine::tones(std::initializer_list<std::pair<int, int>> sequence) {
    if (!m_tone)
        return;
    for (const auto& [hz, ms] : sequence)
        m_tone->play(hz, ms);
}

// Starting.

void DownloadEngine::startFlash() {
    const QString confirm = QStringLiteral("Do you really want to replace the existing firmware?\n"
                                           "This action is unrecoverable.");
    if (m_dialogs && m_dialogs->message(m_dialogParent, confirm, QStringLiteral("Confirm Firmware Reprogram"),
                                        Dialogs::OkCancel) != Dialogs::AnswerOk)
        return;
    // The image is chosen and checked before the monitor is touched: the erase cannot be undone.
    if (!chooseImage() || !imageAccepted(Kind::Flash))
        return;
    TransmitQueue* queue = m_link->queue();
    const bool bootMode = m_model->bootMode;
    if (!bootMode)
        queue->queueCommand(Catalogue::setChecking(false));
    emit checkingSwitchedOff();
    if (m_link->autoPingEnabled) {
        m_link->autoPingEnabled = false;
        emit autoPingSwitchedOff();
    }
    if (!bootMode)
        queue->queueCommand(Catalogue::setAutoBoot(false));
    begin(Kind::Flash);
    queue->queueCommand(Catalogue::eraseFlash());
}

void DownloadEngine::startSram() {
    if (!chooseImage() || !imageAccepted(Kind::Sram))
        return;
    begin(Kind::Sram);
    m_link->queue()->queueCommand(Catalogue::startSramLoad());
}

bool DownloadEngine::chooseImage() {
    if (!m_dialogs)
        return false;
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Open");
    request.filter = QStringLiteral("Hex Files (*.hex);;Text Files (*.txt);;All Files (*)");
    request.startDir = codeInitDir;
    request.mustExist = true;
    const QString path = m_dialogs->openFile(m_dialogParent, request);
    if (path.isEmpty())
        return false;
    // A download still running gives way to the new one.
    m_abortTimer->stop();
    m_image.close();
    m_phase = Phase::Idle;

    imageFileName = path;
    const int cut = int(std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/'))));
    if (cut >= 0) {
        codeInitDir = path.left(cut);
        if (m_settings)
            m_settings->writeText(kConfigs, QStringLiteral("CodeInitDir"), codeInitDir);
    }
    m_image.setFileName(path);
    if (!m_image.open(QIODevice::ReadOnly | QIODevice::Text)) {
        showReadError();
        return false;
    }
    imageFileSize = m_image.size();
    charsSent = 0;
    return true;
}

bool DownloadEngine::imageAccepted(Kind kind) {
    const ImageCheck::Result check = ImageCheck::checkFile(imageFileName);
    if (check.ok)
        return true;
    m_image.close();
    QString where = check.lineNumber > 0 ? QStringLiteral("Line %1 ").arg(check.lineNumber) : QString();
    QString reason = check.reason;
    if (where.isEmpty() && !reason.isEmpty())
        reason[0] = reason.at(0).toUpper();
    tones({{250, 250}});
    message(QStringLiteral("Bad record format in '") + imageFileName + QStringLiteral("'\n") + where + reason +
                QStringLiteral(".\nNothing was sent to the monitor."),
            QStringLiteral("File Format Error"));
    m_kind = kind;
    m_startedAt = m_clock->nowMs();
    recordNumber = 0;
    totalRetries = 0;
    charsSent = 0;
    end(Outcome::ImageRefused);
    return false;
}

void DownloadEngine::begin(Kind kind) {
    m_kind = kind;
    m_phase = Phase::AwaitingStart;
    m_startedAt = m_clock->nowMs();
    recordNumber = 0;
    recordRetries = 0;
    totalRetries = 0;
    charsSent = 0;
    abortRequested = false;
}

// The monitor's answers.

bool DownloadEngine::takeRejection(const QString& text) {
    if (m_phase == Phase::Sending) {
        handleRecordAnswer(Text::trimLeading(text));
        return true;
    }
    if (m_phase != Phase::AwaitingStart)
        return false;
    // Only the refusal of the erase or load request itself: the checking and auto-boot requests before it
    // may be refused by a monitor that does not know them.
    const QString echo = Text::trimLeading(text);
    if (!echo.startsWith(QLatin1Char('b'), Qt::CaseInsensitive))
        return false;
    const QString body = Text::trimLeading(echo.mid(1));
    if (m_kind == Kind::Flash && body.startsWith(QLatin1String("f3"), Qt::CaseInsensitive))
        handleFlashEraseAnswer(body);
    else if (m_kind == Kind::Sram && body.startsWith(QLatin1Char('s'), Qt::CaseInsensitive))
        handleSramLoadAnswer(body);
    else
        return false;
    return true;
}

void DownloadEngine::handleFlashEraseAnswer(const QString& body) {
    if (m_phase != Phase::AwaitingStart || m_kind != Kind::Flash)
        return;
    if (body.contains(QLatin1Char('!'))) {
        end(Outcome::StartRefused);
        message(QStringLiteral("Message was '") + body + QLatin1Char('\''), QStringLiteral("Flash Block Erase Failed"));
    } else if (hasPrompt(body)) {
        sendFirstRecord();
    } else {
        end(Outcome::BadStartAnswer);
        tones({{250, 250}});
        message(QStringLiteral("Bad response to bf3 erase command"), QString());
    }
}

void DownloadEngine::handleSramLoadAnswer(const QString& body) {
    if (m_phase != Phase::AwaitingStart || m_kind != Kind::Sram)
        return;
    if (body.contains(QLatin1Char('!'))) {
        end(Outcome::StartRefused);
        message(QStringLiteral("Message was '") + body + QLatin1Char('\''), QString());
    } else if (!body.contains(QLatin1Char('#'))) {
        end(Outcome::BadStartAnswer);
        tones({{250, 250}});
        message(QStringLiteral("Bad response to bs command"), QString());
    } else {
        sendFirstRecord();
    }
}

void DownloadEngine::sendFirstRecord() {
    recordNumber = 1;
    charsSent = 0;
    abortRequested = false;
    recordRetries = 0;
    totalRetries = 0;
    QString line;
    if (!readRecord(&line)) {
        showReadError();
        end(Outcome::ReadError);
        return;
    }
    if (!line.startsWith(QLatin1Char(':'))) {
        end(Outcome::FormatError);
        showFormatError(line);
        return;
    }
    m_phase = Phase::Sending;
    emit retryTextChanged(QStringLiteral("Retries:"));
    emit gaugeChanged(0);
    emit progressShown();
    lastRecord = line;
    if (m_kind == Kind::Flash)
        restartKeepAlive();
    queueRecord(line);
}

void DownloadEngine::handleRecordAnswer(const QString& body) {
    if (m_phase != Phase::Sending)
        return;
    m_abortTimer->stop();
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
        end(Outcome::Completed);
        tones({{250, 250}, {500, 250}, {1000, 250}});
        emit progressHidden();
    } else if (eof && rejected) {
        end(aborted ? Outcome::Aborted : Outcome::Failed);
        abortRequested = false;
        tones({{250, 250}, {125, 250}, {125, 250}});
        if (!aborted)
            message(QStringLiteral("Failed checksum after booting flash.\nResult was '") + body +
                        QStringLiteral("'\nTry again or check Flash Chip, Pin 1 = +12V."),
                    QStringLiteral("Download Error"));
        emit progressHidden();
    } else if (eof) {
        end(Outcome::EofError);
        message(QStringLiteral("EOF error, result neither fish nor fowl.\nResult was '") + body +
                    QStringLiteral("'\nTry again, check connection & power."),
                QStringLiteral("Download Error"));
    } else if (prompt) {
        nextRecord();
    } else if (rejected) {
        retry();
    } else {
        end(Outcome::Unrecognised);
        emit progressHidden();
        tones({{250, 250}, {125, 250}, {250, 125}, {125, 250}});
        message(QStringLiteral("Record was unrecognized type, quitting.\nRecord = '") + body + QLatin1Char('\''),
                QStringLiteral("Download Error"));
    }
}

void DownloadEngine::nextRecord() {
    QString line;
    const bool read = readRecord(&line);
    recordRetries = 0;
    if (!read) {
        // An image without an end record: nothing more to send.
        end(Outcome::NoEndRecord);
        return;
    }
    if (!line.startsWith(QLatin1Char(':'))) {
        end(Outcome::FormatError);
        showFormatError(line);
        return;
    }
    lastRecord = line;
    restartKeepAlive();
    queueRecord(line);
    charsSent += int(line.size());
    emit gaugeChanged(imageFileSize > 0 ? int(100.0 * charsSent / double(imageFileSize)) : 0);
    ++recordNumber;
}

void DownloadEngine::retry() {
    tones({{250, 250}, {125, 250}});
    ++recordRetries;
    ++totalRetries;
    emit retryTextChanged(QStringLiteral("Retries: ") + QString::number(totalRetries));
    restartKeepAlive();
    if (recordRetries > retryLimit) {
        end(Outcome::RetryLimit);
        message(QStringLiteral("Retry Limit exceeded, quitting.\nRecord number was ") + QString::number(recordNumber),
                QStringLiteral("Download Error"));
        emit progressHidden();
        return;
    }
    queueRecord(lastRecord);
}

void DownloadEngine::requestAbort() {
    if (m_phase != Phase::Sending)
        return;
    abortRequested = true;
    // The monitor may have stopped answering: the abort must not wait for an answer that never comes.
    m_abortTimer->start(m_link->downloadKeepAliveInterval);
}

void DownloadEngine::abortUnanswered() {
    if (m_phase != Phase::Sending || !abortRequested)
        return;
    if (LogSink* log = m_link->log())
        log->logEvent(QStringLiteral("Download aborted: no answer from the monitor within %1 ms")
                          .arg(m_link->downloadKeepAliveInterval));
    end(Outcome::AbortUnanswered);
    abortRequested = false;
    m_link->queue()->clearQueue();
    tones({{250, 250}, {125, 250}, {125, 250}});
    emit progressHidden();
}

// Reading and sending.

bool DownloadEngine::readRecord(QString* line) {
    if (!m_image.isOpen() || m_image.atEnd())
        return false;
    const QByteArray raw = m_image.readLine();
    if (raw.isEmpty() && m_image.error() != QFileDevice::NoError)
        return false;
    *line = withoutLineEnds(QString::fromLatin1(raw));
    return true;
}

void DownloadEngine::queueRecord(const QString& line) {
    m_link->queue()->queueRequest(line + QStringLiteral("\r\n"));
}

void DownloadEngine::restartKeepAlive() {
    m_link->tmrKeepAlive()->start(m_link->downloadKeepAliveInterval);
}

void DownloadEngine::showFormatError(const QString& line) {
    message(QStringLiteral("Bad record format in '") + imageFileName + QStringLiteral("'\nFirst record start '") +
                line.left(8) + QStringLiteral("\nShould start with ':NNNNNNN'\nGiving up."),
            QStringLiteral("File Format Error"));
}

void DownloadEngine::showReadError() {
    tones({{250, 250}});
    message(QStringLiteral("Error Reading '") + imageFileName +
                QStringLiteral("'. \nPlease try a different file, or something."),
            QString());
}

void DownloadEngine::end(Outcome outcome) {
    m_abortTimer->stop();
    m_image.close();
    m_phase = Phase::Idle;
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
    emit finished(outcome);
}
