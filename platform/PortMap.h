#pragma once
// Which device each "Com" number means: /dev/ttyS0-3 (COM1-4 on Windows) unless "ComNDevice" in "Configs"
// says otherwise; the command line's --port replaces the configured port's device for one run.
#include <QString>
#include <QStringList>

class Settings;

class PortMap {
public:
    explicit PortMap(Settings* settings) : m_settings(settings) {}
    static QString defaultDevice(int portNumber);
    QString device(int portNumber) const;
    // Stored as "ComNDevice" (numbers 1-4 only).
    void setDevice(int portNumber, const QString& device);
    void setOverride(int portNumber, const QString& device);
    QString overrideDevice() const { return m_overrideDevice; }
    int overridePort() const { return m_overridePort; }
    // Serial devices present on this machine, for the user to bind to a port number.
    static QStringList availableDevices();

private:
    Settings* m_settings;
    int m_overridePort = 0;
    QString m_overrideDevice;
};
