#pragma once
// The application mode: 0 user (Installation), 1 service (Maintenance), 2 factory. Each mode enables a fixed
// set of main-menu items and of controls of other windows; both sets are tables of the least mode that
// enables each item, applied to the menus at once and to a child window whenever it exists (when it is
// created later, the registry's windowCreated applies them then).
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class ChildWindow;
class Dialogs;
class MainMenus;
class QWidget;
class WindowRegistry;

class AppModes : public QObject {
    Q_OBJECT
public:
    enum Mode { User = 0, Service = 1, Factory = 2 };

    // A main-menu item, on from minMode upwards.
    struct MenuRule {
        QString item;
        int minMode;
    };
    // A control (by object name; element i of a control array is "Name(i)") of a window, on from minMode up.
    struct ControlRule {
        QString window;
        QString control;
        int minMode;
    };
    static const QList<MenuRule>& menuRules();
    static const QList<ControlRule>& controlRules();

    enum class PasswordResult { Accepted, NotExpected, Wrong };
    // SHA-256 of the text; the passwords are kept only this way.
    static QByteArray passwordHash(const QString& text);
    static const QByteArray& servicePasswordHash();
    static const QByteArray& factoryPasswordHash();

    using QObject::QObject;

    // The menus and windows the modes act on, and where "Setting Appmode with bad value" is shown.
    void attach(MainMenus* menus, WindowRegistry* windows, Dialogs* dialogs, QWidget* messageParent);

    int appMode() const { return m_appMode; }
    void setUserMode() { setMode(User); }
    void setServiceMode() { setMode(Service); }
    void setFactoryMode() { setMode(Factory); }
    // Applies the column of the current mode; an invalid value is reported and changes nothing.
    void applyAppMode();
    // The "InitialMode" setting: the exact texts "UserMode", "ServiceMode", "FactoryMode"; anything else is user.
    void setFromSetting(const QString& text);
    // Stores a value without applying it; applyAppMode then reports an invalid one.
    void setAppModeValue(int value) { m_appMode = value; }

    // Menu items the connected monitor's family switched off (a flat panel's "Defl & HV Enable"): no mode
    // offers them again until another family is set up or the monitor is gone.
    void setFamilyOff(const QStringList& items) { m_familyOff = items; }

    // The controls of one window for the current mode (nothing for an invalid mode).
    void applyToWindow(ChildWindow* window) const;

    // The password the password window checks against (as its hash), set by the mode window.
    void setExpectedPassword(const QByteArray& hash) { m_expectedPassword = hash; }
    const QByteArray& expectedPassword() const { return m_expectedPassword; }
    // The password window's "OK" with its text: leading and trailing spaces removed, compared exactly;
    // the matching mode is set when accepted.
    PasswordResult enterPassword(const QString& typed);

signals:
    void appModeChanged(int mode);

private:
    void setMode(int mode);

    int m_appMode = User;
    QByteArray m_expectedPassword;
    QStringList m_familyOff;
    MainMenus* m_menus = nullptr;
    QPointer<WindowRegistry> m_windows;
    Dialogs* m_dialogs = nullptr;
    QPointer<QWidget> m_messageParent;
};
