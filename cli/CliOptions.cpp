#include "cli/CliOptions.h"

#include "cli/ExitStatus.h"
#include "cli/Verbs.h"
#include "sim/SimProfile.h"

#include <QCommandLineParser>

namespace {

const QStringList lineChoices = {QStringLiteral("9600,N,8,1"), QStringLiteral("19200,O,8,2")};

// Checks the verb's arguments and the options that belong to one verb only.
bool checkVerb(CliOptions* o, QString* error) {
    const Verb* verb = findVerb(o->verb);
    if (!verb) {
        *error =
            o->verb.isEmpty() ? QStringLiteral("no verb given") : QStringLiteral("unknown verb \"%1\"").arg(o->verb);
        return false;
    }
    const int n = int(o->arguments.size());
    if (n < verb->minArguments || (verb->maxArguments >= 0 && n > verb->maxArguments)) {
        *error = QStringLiteral("usage: orvexmon-cli [options] %1").arg(QLatin1String(verb->synopsis));
        return false;
    }
    const bool reading = o->verb == QLatin1String("read");
    if (reading && o->output.isEmpty()) {
        *error = QStringLiteral("read needs -o FILE.mdv");
        return false;
    }
    if (!reading && (!o->output.isEmpty() || o->scanSet || o->allScanSets)) {
        *error = QStringLiteral("-o and --scan-set belong to read");
        return false;
    }
    if ((o->watchSeconds || !o->csvFile.isEmpty()) && o->verb != QLatin1String("testpoints")) {
        *error = QStringLiteral("--watch and --csv belong to testpoints");
        return false;
    }
    static const QStringList jsonVerbs = {QStringLiteral("identify"), QStringLiteral("testpoints"),
                                          QStringLiteral("history"), QStringLiteral("diff"), QStringLiteral("restore")};
    if (o->json && !jsonVerbs.contains(o->verb)) {
        *error = QStringLiteral("--json belongs to %1").arg(jsonVerbs.join(QStringLiteral(", ")));
        return false;
    }
    // A request is one line the monitor echoes: an empty one gets no answer, and a line end inside one would
    // send two requests where the queue waits for one answer.
    if (o->verb == QLatin1String("send"))
        for (const QString& text : o->arguments)
            if (text.trimmed().isEmpty() || text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))) {
                *error = QStringLiteral("send takes each request as one non-empty line");
                return false;
            }
    return true;
}

bool takeScanSet(const QString& text, CliOptions* o, QString* error) {
    if (text == QLatin1String("all")) {
        o->allScanSets = true;
        return true;
    }
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > 6) {
        *error = QStringLiteral("--scan-set takes a number from 1 to 6 or \"all\"");
        return false;
    }
    o->scanSet = n;
    return true;
}

} // namespace

bool CliOptions::parse(const QStringList& arguments, CliOptions* o, QString* error) {
    QStringList args = QStringList{QStringLiteral("orvexmon-cli")} + arguments;
    // "--simulate" alone takes the default profile, as the windowed tool's option does.
    for (int i = 1; i < args.size(); ++i)
        if (args[i] == QLatin1String("--simulate") &&
            (i + 1 == args.size() || args[i + 1].startsWith(QLatin1Char('-')) || findVerb(args[i + 1])))
            args.insert(i + 1, QStringLiteral("2.10"));

    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("DEVICE"));
    const QCommandLineOption com(QStringLiteral("com"), QString(), QStringLiteral("N"));
    const QCommandLineOption simulate(QStringLiteral("simulate"), QString(), QStringLiteral("PROFILE"));
    const QCommandLineOption line(QStringLiteral("line"), QString(), QStringLiteral("SETTINGS"));
    const QCommandLineOption log(QStringLiteral("log"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption yes(QStringLiteral("yes"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption database(QStringLiteral("database"), QString(), QStringLiteral("URL"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("FILE"));
    const QCommandLineOption scanSet(QStringLiteral("scan-set"), QString(), QStringLiteral("N"));
    const QCommandLineOption watch(QStringLiteral("watch"), QString(), QStringLiteral("SECONDS"));
    const QCommandLineOption csv(QStringLiteral("csv"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    p.addOptions({port, com, simulate, line, log, yes, json, database, output, scanSet, watch, csv, help, version});
    if (!p.parse(args)) {
        *error = p.errorText();
        return false;
    }
    o->help = p.isSet(help);
    o->version = p.isSet(version);
    if (o->help || o->version)
        return true;

    const int choices = int(p.isSet(port)) + int(p.isSet(com)) + int(p.isSet(simulate));
    if (choices > 1) {
        *error = QStringLiteral("choose one of --port, --com and --simulate");
        return false;
    }
    o->device = p.value(port);
    if (p.isSet(port) && o->device.trimmed().isEmpty()) {
        // Not the settings' port: a script whose device variable came out empty must not talk to another monitor.
        *error = QStringLiteral("--port needs a device");
        return false;
    }
    if (p.isSet(com)) {
        bool ok = false;
        o->comNumber = p.value(com).toInt(&ok);
        if (!ok || o->comNumber < 1 || o->comNumber > 4) {
            *error = QStringLiteral("--com takes a port number from 1 to 4");
            return false;
        }
    }
    if (p.isSet(simulate)) {
        o->simulate = p.value(simulate);
        if (o->simulate.endsWith(QLatin1String(":boot"))) {
            o->simulateBoot = true;
            o->simulate.chop(5);
        }
        if (!sim::SimProfile::isKnown(o->simulate)) {
            *error = QStringLiteral("--simulate takes one of the profiles %1").arg(sim::SimProfile::names().join(", "));
            return false;
        }
    }
    if (p.isSet(line)) {
        o->lineSettings = p.value(line).toUpper();
        if (!lineChoices.contains(o->lineSettings)) {
            *error = QStringLiteral("--line takes %1").arg(lineChoices.join(QStringLiteral(" or ")));
            return false;
        }
    }
    o->logFile = p.value(log);
    o->yes = p.isSet(yes);
    o->json = p.isSet(json);
    o->database = p.value(database);
    o->output = p.value(output);
    if (p.isSet(scanSet) && !takeScanSet(p.value(scanSet), o, error))
        return false;
    if (p.isSet(watch)) {
        bool ok = false;
        o->watchSeconds = p.value(watch).toInt(&ok);
        if (!ok || o->watchSeconds < 1) {
            *error = QStringLiteral("--watch takes a number of seconds");
            return false;
        }
    }
    o->csvFile = p.value(csv);
    QStringList positional = p.positionalArguments();
    o->verb = positional.isEmpty() ? QString() : positional.takeFirst();
    o->arguments = positional;
    return checkVerb(o, error);
}

QString CliOptions::helpText() {
    QString t;
    t += QStringLiteral("Usage: orvexmon-cli [port] [options] VERB [ARGUMENTS]\n\n"
                        "Finds the monitor on the port (a ping every 2 s until it answers or the retry limit of the\n"
                        "settings runs out), does one job and exits with a status.\n\nVerbs:\n");
    for (const Verb& v : verbs())
        t += QStringLiteral("  %1\n      %2\n").arg(QLatin1String(v.synopsis), QLatin1String(v.summary));
    t += QStringLiteral(
        "\nPort (one of them; without one, the port number stored in the settings):\n"
        "  --port DEVICE         a serial device, e.g. /dev/ttyUSB0 or a /dev/serial/by-id name\n"
        "  --com N               port number 1 to 4 as the settings map it (Com1Device ... Com4Device)\n"
        "  --simulate PROFILE    start the simulated monitor (1.38, 2.10, 3.15 or 4.05; add :boot for its\n"
        "                        boot block) and talk to it\n"
        "\nOptions:\n"
        "  --line SETTINGS       9600,N,8,1 (default) or 19200,O,8,2\n"
        "  --log FILE            write the traffic and the port events to FILE, as the log window's file log,\n"
        "                        and the link's events (search, pings, time-outs, connection or port lost)\n"
        "  --yes                 agree to the questions the windows would ask (write, flash, restore)\n"
        "  --database URL        the history's database: a SQLite file or postgresql://USER@HOST/DATABASE\n"
        "                        (default: the settings' [History] Database, else history.sqlite in the\n"
        "                        user's data folder)\n"
        "  -h, --help            this text\n"
        "  --version             the tool's version\n"
        "\nExit status:\n");
    for (const ExitStatus::Entry& e : ExitStatus::table())
        t += QStringLiteral("  %1  %2\n").arg(int(e.code)).arg(QLatin1String(e.meaning));
    return t;
}
