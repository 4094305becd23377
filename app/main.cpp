#include "app/Application.h"
#include "app/FrmMain.h"
#include "sim/SimulatorProcess.h"

#include <QAction>

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrane"));
    QApplication::setApplicationName(QStringLiteral("OrvexMon"));
    QApplication::setApplicationVersion(FrmMain::versionText());

    QCommandLineParser parser;
    parser.setApplicationDescription(FrmMain::applicationTitle());
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption portOption(QStringLiteral("port"),
                                  QStringLiteral("Serial device of the configured port for this run."),
                                  QStringLiteral("DEVICE"));
    parser.addOption(portOption);
    QCommandLineOption simulateOption(QStringLiteral("simulate"),
                                      QStringLiteral("Start the simulated monitor and connect to it (profile 1.38, "
                                                     "2.10, 3.15 or 4.05; add :boot to start in its boot block)."),
                                      QStringLiteral("PROFILE"));
    parser.addOption(simulateOption);
    // "--simulate" alone takes the default profile.
    QStringList arguments = QApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i)
        if (arguments[i] == QLatin1String("--simulate") &&
            (i + 1 == arguments.size() || arguments[i + 1].startsWith(QLatin1Char('-'))))
            arguments.insert(i + 1, QStringLiteral("2.10"));
    parser.process(arguments);

    StartOptions options;
    options.portDevice = parser.value(portOption);

    sim::SimulatorProcess simulator;
    if (parser.isSet(simulateOption) && options.portDevice.isEmpty()) {
        sim::SimOptions simOptions;
        QString profile = parser.value(simulateOption);
        if (profile.endsWith(QLatin1String(":boot"))) {
            simOptions.bootMode = true;
            profile.chop(5);
        }
        simOptions.profile = profile;
        if (!simulator.start(simOptions) || !simulator.waitForReady(10000)) {
            qCritical("The simulated monitor could not be started: %s", qPrintable(simulator.errorString()));
            return 1;
        }
        options.portDevice = simulator.devicePath();
    }

    Application app;
    app.start(options);
    const int rc = QApplication::exec();
    app.shutdown();
    return rc;
}
