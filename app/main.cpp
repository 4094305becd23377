#include "app/Application.h"
#include "app/FrmMain.h"
#include "sim/SimulatorProcess.h"

#include <QAction>

#include <QApplication>
#include <QCommandLineParser>

#include <cstring>

namespace {
struct Options {
    QCommandLineOption port{QStringLiteral("port"),
                            QStringLiteral("Serial device of the configured port for this run."),
                            QStringLiteral("DEVICE")};
    QCommandLineOption database{QStringLiteral("database"),
                                QStringLiteral("The history's database for this run: a SQLite file or "
                                               "postgresql://USER@HOST/DATABASE (default: the settings' [History] "
                                               "Database, else history.sqlite in the user's data folder)."),
                                QStringLiteral("URL")};
    QCommandLineOption simulate{QStringLiteral("simulate"),
                                QStringLiteral("Start the simulated monitor and connect to it (profile 1.38, "
                                               "2.10, 3.15 or 4.05; add :boot to start in its boot block)."),
                                QStringLiteral("PROFILE")};
};

void setUpApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrane"));
    QCoreApplication::setApplicationName(QStringLiteral("OrvexMon"));
    QCoreApplication::setApplicationVersion(FrmMain::versionText());
}

// Parses the command line of the running application; help and version print their text and end the process.
void parse(QCommandLineParser& parser, const Options& options) {
    parser.setApplicationDescription(FrmMain::applicationTitle());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(options.port);
    parser.addOption(options.database);
    parser.addOption(options.simulate);
    // "--simulate" alone takes the default profile.
    QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i)
        if (arguments[i] == QLatin1String("--simulate") &&
            (i + 1 == arguments.size() || arguments[i + 1].startsWith(QLatin1Char('-'))))
            arguments.insert(i + 1, QStringLiteral("2.10"));
    parser.process(arguments);
}

// Help and version are text only: they need no display.
bool asksForText(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}
} // namespace

int main(int argc, char* argv[]) {
    const Options options;
    if (asksForText(argc, argv)) {
        QCoreApplication core(argc, argv);
        setUpApplication();
        QCommandLineParser parser;
        parse(parser, options);
        return 0;
    }
    QApplication qapp(argc, argv);
    setUpApplication();
    QCommandLineParser parser;
    parse(parser, options);

    StartOptions start;
    start.portDevice = parser.value(options.port);
    start.database = parser.value(options.database);

    sim::SimulatorProcess simulator;
    if (parser.isSet(options.simulate) && start.portDevice.isEmpty()) {
        sim::SimOptions simOptions;
        QString profile = parser.value(options.simulate);
        if (profile.endsWith(QLatin1String(":boot"))) {
            simOptions.bootMode = true;
            profile.chop(5);
        }
        simOptions.profile = profile;
        if (!simulator.start(simOptions) || !simulator.waitForReady(10000)) {
            qCritical("The simulated monitor could not be started: %s", qPrintable(simulator.errorString()));
            return 1;
        }
        start.portDevice = simulator.devicePath();
    }

    Application app;
    app.start(start);
    const int rc = QApplication::exec();
    app.shutdown();
    return rc;
}
