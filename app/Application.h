#pragma once
// The tool's life cycle: start-up in its fixed order, and shut-down when the main window closes.
#include "ui/AppContext.h"

#include <QObject>
#include <memory>

class AppModes;
class FrmMain;
class MonitorModel;
class MonitorSession;
class LineKeepingLog;

struct StartOptions {
    // Replaces the configured port's device for this run (--port).
    QString portDevice;
    // The history's database for this run (--database): a SQLite file or a postgresql:// URL.
    QString database;
};

struct Services {
    // Not owned; each may be null and is then made here with its real implementation.
    Settings* settings = nullptr;
    Clock* clock = nullptr;
    Tone* tone = nullptr;
    Dialogs* dialogs = nullptr;
    ProgramLauncher* launcher = nullptr;
    SerialPort* port = nullptr;
};

class Application : public QObject {
    Q_OBJECT
public:
    explicit Application(const Services& services = Services(), QObject* parent = nullptr);
    ~Application() override;

    // Start-up steps 1 to 10.
    void start(const StartOptions& options = StartOptions());
    // Shut-down (also reached by closing the main window).
    void shutdown();

    AppContext& context() { return m_ctx; }
    FrmMain* mainWindow() const { return m_main.get(); }
    AppModes* modes() const { return m_modes; }
    MonitorModel* model() const { return m_ctx.model; }
    MonitorSession* session() const { return m_session; }
    bool isShutDown() const { return m_shutDown; }

private:
    void readSettings();

    AppContext m_ctx;
    std::unique_ptr<Settings> m_ownSettings;
    std::unique_ptr<Clock> m_ownClock;
    std::unique_ptr<Tone> m_ownTone;
    std::unique_ptr<Dialogs> m_ownDialogs;
    std::unique_ptr<ProgramLauncher> m_ownLauncher;
    MonitorSession* m_session;
    std::unique_ptr<WindowPlacement> m_placement;
    std::unique_ptr<LineKeepingLog> m_standInLog;
    AppModes* m_modes = nullptr;
    std::unique_ptr<FrmMain> m_main;
    bool m_shutDown = false;
};
