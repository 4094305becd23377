#include "app/Application.h"

#include "app/AnswerRoutes.h"
#include "app/AppModes.h"
#include "app/FrmMain.h"
#include "app/HistoryHookUp.h"
#include "app/MainMenus.h"
#include "app/MainStatusBar.h"
#include "download/DownloadEngine.h"
#include "link/ConnectionSearch.h"
#include "link/Link.h"
#include "link/LogSink.h"
#include "link/windows/FrmCommLog.h"
#include "link/windows/FrmConnect.h"
#include "model/MonitorModel.h"
#include "model/ReadingRecorder.h"
#include "model/windows/DataFileCommands.h"
#include "model/windows/WriteBackCommand.h"
#include "platform/Clock.h"
#include "platform/PortMap.h"
#include "platform/Settings.h"
#include "platform/Tone.h"
#include "platform/gui/DesktopLauncher.h"
#include "platform/gui/QtDialogs.h"
#include "session/MonitorSession.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QApplication>

namespace {
const QString kStartUp = QStringLiteral("StartUp");
const QString kConfigs = QStringLiteral("Configs");
const QString kDefaultDir = QStringLiteral("C:\\Program Files\\OrvexMon3");

// The port number and the retry limit are 16-bit values: a stored number beyond that range does not convert.
int readShort(const Settings* settings, const QString& key, int defaultValue) {
    const int value = settings->readInt(kConfigs, key, defaultValue);
    return value < -32768 || value > 32767 ? defaultValue : value;
}
} // namespace

Application::Application(const Services& s, QObject* parent) : QObject(parent) {
    if (!s.settings)
        m_ownSettings = std::make_unique<Settings>();
    if (!s.clock)
        m_ownClock = std::make_unique<QtClock>();
    if (!s.tone)
        m_ownTone = std::make_unique<AudioTone>([] { QApplication::beep(); });
    if (!s.dialogs)
        m_ownDialogs = std::make_unique<QtDialogs>();
    if (!s.launcher)
        m_ownLauncher = std::make_unique<DesktopLauncher>();
    m_ctx.settings = s.settings ? s.settings : m_ownSettings.get();
    m_ctx.clock = s.clock ? s.clock : m_ownClock.get();
    m_ctx.tone = s.tone ? s.tone : m_ownTone.get();
    m_ctx.dialogs = s.dialogs ? s.dialogs : m_ownDialogs.get();
    m_ctx.launcher = s.launcher ? s.launcher : m_ownLauncher.get();
    m_session = new MonitorSession({m_ctx.settings, m_ctx.clock, m_ctx.tone, s.port}, this);
    m_ctx.attachSession(m_session);
    m_standInLog = std::make_unique<LineKeepingLog>();
    m_ctx.link->setLog(m_standInLog.get());
    m_ctx.readings = new ReadingRecorder(ReadingRecorder::defaultCapacity, this);
    m_modes = new AppModes(this);
    m_ctx.modes = m_modes;
}

Application::~Application() {
    shutdown();
}

void Application::readSettings() {
    Settings* st = m_ctx.settings;
    m_ctx.commPort = readShort(st, QStringLiteral("CommPort"), 1);
    if (m_ctx.commPort < 1)
        m_ctx.commPort = 1;
    m_ctx.search->connectRetryLimit = readShort(st, QStringLiteral("ConnectRetryLimit"), 5);
    m_ctx.link->logToWindow = st->readBool(kConfigs, QStringLiteral("CommLogEnabled"), false);
    m_ctx.fileSaveInitDir = st->readText(kConfigs, QStringLiteral("FileSaveInitDir"), kDefaultDir);
    m_ctx.codeInitDir = st->readText(kConfigs, QStringLiteral("CodeInitDir"), kDefaultDir);
    m_ctx.download->codeInitDir = m_ctx.codeInitDir;
}

void Application::start(const StartOptions& options) {
    // 1. The main window and its placement.
    m_placement = std::make_unique<WindowPlacement>(m_ctx.settings);
    m_ctx.placement = m_placement.get();
    m_main = std::make_unique<FrmMain>(m_ctx, m_modes);
    connectAnswerRoutes(m_ctx, m_main.get());
    m_placement->restore(m_main.get(), nullptr);
    connect(m_main.get(), &FrmMain::closing, this, &Application::shutdown);
    // The data-file commands and Update All Data belong to the main window.
    auto* dataFiles = new DataFileCommands(m_ctx, m_main.get());
    m_ctx.dataFile = dataFiles->dataFile();
    m_ctx.updateAll = dataFiles->updateAll();
    connectDataFileRoutes(m_ctx, m_main.get());
    // Writing a file to the monitor changes adjustments that Installation mode keeps locked and saves them as
    // the monitor's initial settings: offered online from Maintenance up (and, like everything, in Demo).
    auto* writeBack = new WriteBackCommand(m_ctx, m_main.get());
    new MainStatusBar(m_ctx, m_main.get(), writeBack->sequencer());
    connectHistory(m_ctx, m_main.get(), writeBack, options.database, this);
    auto offerWriteBack = [this] {
        const ConnectionState state = m_main->connectionState();
        const bool on = state == ConnectionState::Demo ||
                        (state == ConnectionState::Online && m_modes->appMode() >= AppModes::Service);
        m_main->menus()->setEnabled({"mnuFileWriteToMonitor"}, on);
    };
    connect(m_main.get(), &FrmMain::connectionStateChanged, this, offerWriteBack);
    connect(m_modes, &AppModes::appModeChanged, this, offerWriteBack);
    connect(m_session, &MonitorSession::connectionLost, m_main.get(), [this] {
        FrmConnect* connectWindow = m_ctx.windows->show<FrmConnect>();
        connectWindow->tryAgain();
    });
    // The firmware runs: there is no boot block left to run from.
    connect(m_session, &MonitorSession::firmwareStarted, m_main.get(),
            [this] { m_main->menus()->setEnabled({"mnuMonitorRun"}, false); });

    // 2. The application mode, without a password.
    m_modes->setFromSetting(
        m_ctx.settings->readText(kStartUp, QStringLiteral("InitialMode"), QStringLiteral("UserMode")));

    // 3. Port, retry limit, window logging, start directories.
    readSettings();
    if (!options.portDevice.isEmpty())
        m_ctx.portMap->setOverride(m_ctx.commPort, options.portDevice);

    // 4. First run on this account.
    if (m_ctx.settings->readInt(kStartUp, QStringLiteral("RunType"), 0) != 1) {
        m_ctx.link->logToWindow = true;
        m_ctx.settings->writeText(kStartUp, QStringLiteral("RunType"), QStringLiteral("1"));
    }

    // 5. The monitor data model and the run-time values.
    m_ctx.model->initialise();
    m_ctx.link->downloadKeepAliveInterval = Link::downloadKeepAliveMs;
    m_ctx.download->retryLimit = DownloadEngine::defaultRetryLimit;
    m_ctx.download->setApplicationTitle(FrmMain::applicationTitle());

    // 6. No monitor yet.
    m_main->setNoMonitor();
    m_main->disableAtStartUp();
    if (QAction* offline = m_main->menus()->action(QStringLiteral("mnuMonitorOffline")))
        offline->setEnabled(false);

    // 7. The communication log (loaded, not shown) restores its own settings and takes the link's log.
    FrmCommLog* log = m_ctx.windows->window<FrmCommLog>();
    m_ctx.link->setLog(log);
    DownloadEngine* download = m_ctx.download;
    log->setDownloadQuiet([download] { return download->logQuiet(); });
    connect(download, &DownloadEngine::checkingSwitchedOff, log, [log] { log->showCheckingButtons(false); });
    connect(download, &DownloadEngine::checkingSwitchedBackOn, log, [log] { log->showCheckingButtons(true); });
    connect(log, &FrmCommLog::reConnectRequested, m_main.get(), [this] {
        m_main->setNoMonitor();
        FrmConnect* connectWindow = m_ctx.windows->window<FrmConnect>();
        connectWindow->hideConnectionWindows();
        connectWindow->showInFront();
        connectWindow->tryAgain();
    });

    // 8. The connection window opens the port and starts the search.
    FrmConnect* connectWindow = m_ctx.windows->window<FrmConnect>();
    connectWindow->showInFront();
    connectWindow->load();

    // 9. The log window when it was open last time.
    if (m_ctx.settings->readText(kConfigs, QStringLiteral("CommLogOpen"), QStringLiteral("0")) == QLatin1String("1"))
        log->showInFront();

    // 10. The main window; then why the port could not be opened, over it.
    m_ctx.windows->showMainWindowQuietly();
    connectWindow->explainStartTrouble();
}

void Application::shutdown() {
    if (m_shutDown || !m_main)
        return;
    m_shutDown = true;
    // A download still running gives the user's auto-ping setting back before the settings are written.
    m_ctx.download->abandon();
    m_placement->save(m_main.get());
    Settings* st = m_ctx.settings;
    st->writeInt(kConfigs, QStringLiteral("CommPort"), m_ctx.commPort);
    st->writeBool(kConfigs, QStringLiteral("CommLogEnabled"), m_ctx.link->logToWindow);
    st->writeInt(kConfigs, QStringLiteral("ConnectRetryLimit"), m_ctx.search->connectRetryLimit);
    if (m_ctx.port->isOpen())
        m_ctx.port->close();
    m_ctx.link->stopKeepAlive();
    if (FrmCommLog* log = m_ctx.windows->existing<FrmCommLog>()) {
        log->unload();
        m_ctx.link->setLog(m_standInLog.get());
    }
    m_ctx.windows->unloadAll();
    st->sync();
}
