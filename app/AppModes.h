#pragma once
// The application mode: 0 user (Installation), 1 service (Maintenance), 2 factory.
#include <QObject>

class AppModes : public QObject {
    Q_OBJECT
public:
    enum Mode { User = 0, Service = 1, Factory = 2 };
    using QObject::QObject;

    int appMode() const { return m_appMode; }
    void setUserMode() { setMode(User); }
    void setServiceMode() { setMode(Service); }
    void setFactoryMode() { setMode(Factory); }
    // The "InitialMode" setting: the exact texts "UserMode", "ServiceMode", "FactoryMode"; anything else is user.
    void setFromSetting(const QString& text);

signals:
    void appModeChanged(int mode);

private:
    void setMode(int mode);
    int m_appMode = User;
};
