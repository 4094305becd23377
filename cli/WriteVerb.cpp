// write: Write File to Monitor from the command line, with the write-back sequencer's identity checks; the
// question the window would ask is agreed only with --yes. Ctrl-C cancels as the progress window's Cancel does.
// The write is recorded in the monitor's history, after a snapshot of the scan sets it writes (read first where
// the run does not hold them, by the same reads the windows make).
#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "cli/ProgressBar.h"
#include "cli/Session.h"
#include "cli/Verbs.h"
#include "history/ChangeRecorder.h"
#include "model/FileWriteBack.h"
#include "platform/Clock.h"
#include "session/MonitorSession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

int statusOf(const WriteBackSummary& summary, const FileWriteBack::IdentityCheck& check, Session& session) {
    if (summary.declined)
        return check.refused() || session.questions().refused() ? ExitStatus::IdentityRefused : ExitStatus::FileError;
    if (!summary.stoppedBecause.isEmpty())
        return ExitStatus::Interrupted;
    return session.refusals() > 0 ? ExitStatus::Refused : ExitStatus::Done;
}

} // namespace

int writeBack(Session& session, const CliOptions& options, const WriteBackFile& file, const QString& source) {
    if (session.model().bootMode) {
        std::fprintf(stderr, "The monitor is in its boot block: it takes no values.\n");
        return ExitStatus::Refused;
    }
    FileWriteBack::LinkAccess link;
    link.send = [&session](const QString& request) { session.session()->send(request); };
    link.idle = [&session] { return session.linkIdle(); };
    FileWriteBack writeBack(session.model(), session.clock(), link);
    writeBack.setConfirm([&session](const QString& question) {
        return session.questions().confirm(question, QStringLiteral("Write File to Monitor"));
    });
    // Once agreed, the values the write replaces are read where not held and snapshotted first.
    ChangeRecorder& recorder = session.recordChanges(source);
    recorder.watchWriteBack(writeBack, [source] { return source; });
    ProgressBar bar(stderr);
    QObject::connect(&writeBack, &FileWriteBack::progress, &session,
                     [&bar](int done, int total) { bar.show(total > 0 ? 100 * done / total : 100); });
    bool finished = false;
    WriteBackSummary summary;
    QObject::connect(&writeBack, &FileWriteBack::finished, &session, [&](const WriteBackSummary& s) {
        summary = s;
        finished = true;
    });
    QObject::connect(session.interruptNotifier(), &InterruptNotifier::interruptedNow, &writeBack,
                     &FileWriteBack::cancel);
    writeBack.start(file);
    session.waitFor([&finished] { return finished; }, -1, false);
    bar.finish();
    if (!finished)
        return session.interruption(QStringLiteral("the write"));
    const FileWriteBack::IdentityCheck check = FileWriteBack::checkIdentity(file, session.model());
    if (summary.declined && !summary.stoppedBecause.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(summary.stoppedBecause));
    if (!summary.declined) {
        if (options.json)
            std::printf("%s\n",
                        QJsonDocument(QJsonObject{{"summary", summary.text()},
                                                  {"valuesWritten", summary.valuesWritten},
                                                  {"valuesSkipped", summary.valuesSkipped},
                                                  {"stoppedBecause", summary.stoppedBecause},
                                                  {"snapshots", QJsonArray::fromStringList(recorder.snapshotIds())}})
                            .toJson(QJsonDocument::Compact)
                            .constData());
        else
            std::printf("%s\n", qPrintable(summary.text()));
    }
    if (session.interrupted())
        return ExitStatus::Interrupted;
    return statusOf(summary, check, session);
}

int runWrite(Session& session, const CliOptions& options) {
    const QString path = options.arguments.value(0);
    WriteBackFile file;
    const DataFileResult read = WriteBackFile::read(path, &file);
    if (!read.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(QString(read.message).replace(QLatin1Char('\r'), QLatin1Char('\n'))));
        return ExitStatus::FileError;
    }
    return writeBack(session, options, file, QStringLiteral("orvexmon-cli write"));
}
