#pragma once
// The whole tool in-process for window and end-to-end tests: a temporary settings file, scripted dialogs,
// a recording tone and launcher, and either a fake port with a fake clock (window tests) or the real serial
// port and clock against a simulated monitor on a pseudo-terminal (end-to-end tests).
#include "app/Application.h"
#include "platform/ProgramLauncher.h"
#include "platform/Settings.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingTone.h"
#include "support/ScriptedDialogs.h"

#include <QTest>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace sim {
class PtySimulator;
struct SimOptions;
} // namespace sim

class RecordingLauncher : public ProgramLauncher {
public:
    bool startProgram(const QString& program, const QStringList& arguments) override {
        started << (QStringList{program} + arguments);
        return startResult;
    }
    bool openDocument(const QString& path) override {
        opened << path;
        return openResult;
    }
    QString findProgram(const QString& name) override { return installed.contains(name) ? "/usr/bin/" + name : QString(); }
    QList<QStringList> started;
    QStringList opened;
    QStringList installed;
    bool startResult = true;
    bool openResult = false;
};

class ToolHarness {
public:
    enum class Port { Fake, Real };
    // settingsText: the INI file's contents before start (empty: a first run).
    explicit ToolHarness(Port port = Port::Fake, const QString& settingsText = QString());
    ~ToolHarness();

    // Writes the settings file (before start()).
    void writeSettings(const QString& iniText);
    void start(const StartOptions& options = StartOptions());
    // Starts a simulated monitor on a pseudo-terminal and the tool connected to it (Port::Real).
    sim::PtySimulator* startWithSimulator(const sim::SimOptions& options);
    // Closes the main window (shut-down) and reopens the settings to read what was written.
    void shutdown();

    QString settingsPath() const { return m_dir.filePath("OrvexMon.conf"); }
    std::unique_ptr<Settings> readBackSettings() const { return std::make_unique<Settings>(settingsPath()); }

    Application& app() { return *m_app; }
    AppContext& ctx() { return m_app->context(); }

    // Waits with the event loop running until pred holds or ms pass (real port and clock only).
    template <class Pred> bool waitFor(Pred pred, int ms) { return QTest::qWaitFor(pred, ms); }
    // Chooses a main-window menu item as the user does; false when it is missing or disabled.
    bool chooseMenu(const char* name);
    // Nothing queued, nothing waiting out its pause, no answer awaited.
    bool linkIdle();

    QTemporaryDir m_dir;
    std::unique_ptr<Settings> settings;
    FakeClock fakeClock;
    FakeSerialPort* fakePort = nullptr;
    ScriptedDialogs dialogs;
    RecordingTone tone;
    RecordingLauncher launcher;
    // Stands in for the machine's serial devices when set before start().
    std::function<QStringList()> deviceLister;
    std::unique_ptr<sim::PtySimulator> simulator;

private:
    Port m_portKind;
    std::unique_ptr<Application> m_app;
};
