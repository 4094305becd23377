// flash and sram: the boot-mode download engine with the image named on the command line, its progress on
// standard error and its verdict as the last line. Ctrl-C ends it as the progress window's Abort does. The
// download and its verdict are recorded in the monitor's history, after a snapshot taken before the erase.
#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "cli/ProgressBar.h"
#include "cli/Session.h"
#include "cli/Verbs.h"
#include "download/DownloadEngine.h"

#include <QFileInfo>
#include <cstdio>

namespace {

int statusOf(DownloadEngine::Outcome outcome) {
    using O = DownloadEngine::Outcome;
    switch (outcome) {
    case O::Completed:
        return ExitStatus::Done;
    case O::Aborted:
    case O::AbortUnanswered:
    case O::NoAnswer:
    case O::ConnectionLost:
    case O::PortLost:
    case O::Abandoned:
        return ExitStatus::Interrupted;
    case O::FormatError:
    case O::ReadError:
    case O::NoEndRecord:
    case O::ImageRefused:
        return ExitStatus::FileError;
    default:
        return ExitStatus::Refused;
    }
}

// The engine's own account of an end, as its message box would show it.
void tellVerdict(const DownloadEngine::Verdict& verdict) {
    if (verdict.text.isEmpty())
        return;
    QString text = verdict.text;
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::fprintf(stderr, "%s: %s\n", qPrintable(verdict.title), qPrintable(text));
}

int download(Session& session, const CliOptions& options, DownloadEngine::Kind kind) {
    const QString image = options.arguments.value(0);
    const bool flash = kind == DownloadEngine::Kind::Flash;
    const QString what = flash ? QStringLiteral("Flash download") : QStringLiteral("SRAM download");
    if (!QFileInfo(image).isReadable()) {
        std::fprintf(stderr, "The image %s cannot be read.\n", qPrintable(image));
        return ExitStatus::FileError;
    }
    if (flash && !session.questions().confirm(DownloadEngine::flashConfirmationText(),
                                              DownloadEngine::flashConfirmationTitle())) {
        std::printf("%s not started.\n", qPrintable(what));
        return ExitStatus::IdentityRefused;
    }
    session.recordChanges(flash ? QStringLiteral("orvexmon-cli flash") : QStringLiteral("orvexmon-cli sram"));
    DownloadEngine* engine = session.download();
    ProgressBar bar(stderr);
    bool ended = false;
    DownloadEngine::Outcome outcome = DownloadEngine::Outcome::Completed;
    QObject::connect(engine, &DownloadEngine::gaugeChanged, &session, [&bar](int percent) { bar.show(percent); });
    // An erase takes seconds: a line when it starts and every ten seconds, so that a script's log shows why.
    QObject::connect(engine, &DownloadEngine::startWaitChanged, &session, [](const QString& what, int seconds) {
        if (!what.isEmpty() && seconds % 10 == 0)
            std::fprintf(stderr, "%s %d s\n", qPrintable(what), seconds);
    });
    QObject::connect(engine, &DownloadEngine::finished, &session, [&](DownloadEngine::Outcome o) {
        outcome = o;
        ended = true;
    });
    bool aborting = false;
    QObject::connect(session.interruptNotifier(), &InterruptNotifier::interruptedNow, engine, [&] {
        if (aborting || !engine->inProgress())
            return;
        aborting = true;
        bar.finish();
        std::fprintf(stderr, "Ctrl-C: the download stops at the next record answer, as Abort stops it.\n");
        engine->requestAbort();
    });

    if (!engine->start(kind, image)) {
        tellVerdict(engine->verdict());
        std::printf("%s not started: %s\n", qPrintable(what), qPrintable(outcomeText(engine->verdict().outcome)));
        return statusOf(engine->verdict().outcome);
    }
    // The engine notices silence and a lost link itself and ends with its verdict.
    session.waitFor([&ended] { return ended; }, -1, false, false);
    // The gauge counts record characters against the file's size, line ends included, so it stops short of
    // 100 %; a completed download has sent everything.
    if (outcome == DownloadEngine::Outcome::Completed)
        bar.show(100);
    bar.finish();
    tellVerdict(engine->verdict());
    if (outcome == DownloadEngine::Outcome::Completed)
        std::printf("%s completed: %s\n", qPrintable(what), qPrintable(QFileInfo(image).fileName()));
    else if (aborting)
        std::printf("%s aborted (Ctrl-C): %s\n", qPrintable(what), qPrintable(outcomeText(outcome)));
    else
        std::printf("%s failed: %s\n", qPrintable(what), qPrintable(outcomeText(outcome)));
    return statusOf(outcome);
}

} // namespace

int runFlash(Session& session, const CliOptions& options) {
    return download(session, options, DownloadEngine::Kind::Flash);
}

int runSram(Session& session, const CliOptions& options) {
    return download(session, options, DownloadEngine::Kind::Sram);
}
