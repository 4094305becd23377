#pragma once
// The main window: a container of child windows with the menu bar, the title and the connection state.
#include "session/ConnectionState.h"
#include "ui/MainWindowHost.h"

#include <QMainWindow>
#include <memory>

class AppModes;
class MainMenus;
class QMdiArea;
class QTimer;
class WindowRegistry;
struct AppContext;

class FrmMain : public QMainWindow, public MainWindowHost {
    Q_OBJECT
public:
    FrmMain(AppContext& ctx, AppModes* modes, QWidget* parent = nullptr);
    ~FrmMain() override;

    static QString applicationTitle();
    static QString versionText();
    // The caption: the title, " -- " and the text, or the title and " -- (No File)" for an empty text.
    void setTitle(const QString& text) override;
    QWidget* hostWidget() override { return this; }
    QAction* menuAction(const QString& name) const override;

    QMdiArea* mdiArea() const { return m_area; }
    WindowRegistry* windows() const { return m_windows; }
    MainMenus* menus() const { return m_menus.get(); }
    AppModes* modes() const { return m_modes; }

    // The session's state; the setters ask the session, and the menus, caption and mode follow its signal.
    ConnectionState connectionState() const;
    void setOnline();
    void setBootMode();
    void setNoMonitor();
    void setDemo();
    void enableGoOffline();
    // The extra items disabled once at start-up, after the first setNoMonitor.
    void disableAtStartUp();

signals:
    // The main window is closing: the application saves and unloads (shut-down order).
    void closing();
    void connectionStateChanged(ConnectionState state);
    // The monitor's firmware and boot-ROM version texts were cleared (no monitor).
    void versionTextsCleared();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void connectMenus();
    void showConnectionState(ConnectionState state);
    void showOnline();
    void showBootMode();
    void showNoMonitor();
    void enable(const QString& name, bool on);
    // "Monitor on Com" and the port number.
    QString portText() const;
    void clearVersionTexts();
    void applyAppMode();
    void showHelp();
    void showAbout();

    AppContext& m_ctx;
    AppModes* m_modes;
    QMdiArea* m_area;
    std::unique_ptr<MainMenus> m_menus; // not a QObject: the window owns it
    WindowRegistry* m_windows;
    bool m_closed = false;
};
