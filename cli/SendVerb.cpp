// send: each text as one request through the transmit queue, as typed into the log window, with the monitor's
// whole answer (its echo, reply lines and prompt) printed as it came. A text that changes the monitor is
// recorded in its history, after the values it replaces were read and snapshotted.
#include "cli/ExitStatus.h"
#include "cli/Session.h"
#include "cli/Verbs.h"

#include <cstdio>

int runSend(Session& session, const CliOptions& options) {
    session.recordChanges(QStringLiteral("orvexmon-cli send"));
    int status = ExitStatus::Done;
    for (const QString& text : options.arguments) {
        QString answer;
        const int s = session.request(text, &answer);
        if (s == ExitStatus::Interrupted)
            return s;
        answer.remove(QLatin1Char('\r'));
        std::printf("%s\n", qPrintable(answer));
        std::fflush(stdout);
        if (s != ExitStatus::Done)
            status = s;
    }
    return status;
}
