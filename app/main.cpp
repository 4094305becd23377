#include "app/Application.h"
#include "app/FrmMain.h"

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
    parser.process(qapp);

    StartOptions options;
    options.portDevice = parser.value(portOption);

    Application app;
    app.start(options);
    const int rc = QApplication::exec();
    app.shutdown();
    return rc;
}
