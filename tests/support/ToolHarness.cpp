#include "support/ToolHarness.h"

#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "platform/PortMap.h"
#include "session/MonitorSession.h"
#include "sim/PtySimulator.h"

#include <QDateTime>
#include <QFile>

ToolHarness::ToolHarness(Port port, const QString& settingsText) : m_portKind(port) {
    if (!settingsText.isEmpty())
        writeSettings(settingsText);
}

ToolHarness::~ToolHarness() {
    if (m_app)
        shutdown();
    m_app.reset();
    simulator.reset();
}

void ToolHarness::writeSettings(const QString& iniText) {
    QFile f(settingsPath());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(iniText.toUtf8());
}

void ToolHarness::start(const StartOptions& options) {
    settings = std::make_unique<Settings>(settingsPath());
    Services s;
    s.settings = settings.get();
    s.dialogs = &dialogs;
    s.tone = &tone;
    s.launcher = &launcher;
    if (m_portKind == Port::Fake) {
        fakePort = new FakeSerialPort;
        s.port = fakePort;
        s.clock = &fakeClock;
    }
    m_app = std::make_unique<Application>(s);
    if (deviceLister)
        m_app->context().portMap->setDeviceLister(deviceLister);
    if (fakePort)
        fakePort->setParent(m_app.get());
    StartOptions start = options;
    // The history is the test's own, not the user's.
    if (start.database.isEmpty() &&
        settings->readText(QStringLiteral("History"), QStringLiteral("Database"), QString()).isEmpty())
        start.database = m_dir.filePath("history.sqlite");
    m_app->start(start);
    // A window test on the fake port looks at the requests of its window; the reads the history makes before
    // a connection's first change are the end-to-end tests' (against monitors that answer them).
    if (fakePort)
        ctx().session->setChangeGuard(nullptr);
}

sim::PtySimulator* ToolHarness::startWithSimulator(const sim::SimOptions& options) {
    simulator = std::make_unique<sim::PtySimulator>(options);
    QString error;
    if (!simulator->start(&error))
        qFatal("simulator: %s", qPrintable(error));
    StartOptions start;
    start.portDevice = options.linkPath.isEmpty() ? simulator->devicePath() : options.linkPath;
    this->start(start);
    return simulator.get();
}

void ToolHarness::shutdown() {
    if (!m_app || m_app->isShutDown())
        return;
    m_app->mainWindow()->close();
    m_app->shutdown();
    settings->sync();
}

bool ToolHarness::chooseMenu(const char* name) {
    QAction* a = app().mainWindow()->menus()->action(QLatin1String(name));
    if (!a || !a->isEnabled())
        return false;
    a->trigger();
    return true;
}

bool ToolHarness::linkIdle() {
    return ctx().session->linkIdle();
}
