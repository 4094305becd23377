// orvexmon-cli: one job per run against one monitor, for the service bench and the production line. It links
// the widget-free core only (and the simulated monitor for --simulate).
#include "cli/CliOptions.h"
#include "cli/ExitStatus.h"
#include "cli/Session.h"
#include "cli/Verbs.h"

#include <QCoreApplication>
#include <cstdio>

#define ORVEXMON_STR2(x) #x
#define ORVEXMON_STR(x) ORVEXMON_STR2(x)

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // The same settings as the windowed tool: the port numbers' devices and the retry limit.
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrane"));
    QCoreApplication::setApplicationName(QStringLiteral("OrvexMon"));

    CliOptions options;
    QString error;
    if (!CliOptions::parse(QCoreApplication::arguments().mid(1), &options, &error)) {
        std::fprintf(stderr, "orvexmon-cli: %s\nTry orvexmon-cli --help.\n", qPrintable(error));
        return ExitStatus::Usage;
    }
    if (options.help) {
        std::fputs(qPrintable(CliOptions::helpText()), stdout);
        return ExitStatus::Done;
    }
    if (options.version) {
        std::printf("orvexmon-cli %s.%s.%s\n", ORVEXMON_STR(ORVEXMON_VERSION_MAJOR),
                    ORVEXMON_STR(ORVEXMON_VERSION_MINOR), ORVEXMON_STR(ORVEXMON_VERSION_PATCH));
        return ExitStatus::Done;
    }
    Session session(options);
    const Verb* verb = findVerb(options.verb);
    int status = verb->needsMonitor ? session.open() : int(ExitStatus::Done);
    if (status == ExitStatus::Done && verb->needsMonitor)
        status = session.find();
    if (status != ExitStatus::Done && verb->failed)
        verb->failed(session, options, status);
    if (status == ExitStatus::Done)
        status = verb->run(session, options);
    if (status == ExitStatus::Done && session.logFailed())
        status = ExitStatus::FileError;
    std::fflush(stdout);
    return status;
}
