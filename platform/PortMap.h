#pragma once
// Which device each "Com" number means: /dev/ttyS0-3 (COM1-4 on Windows) unless "ComNDevice" in "Configs"
// says otherwise; the command line's --port replaces the configured port's device for one run.
#include "platform/PortTrouble.h"

#include <QString>
#include <QStringList>
#include <functional>

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
    // Serial devices present on this machine, for the user to bind to a port number. Looking for them takes a
    // noticeable time: ask only when the list is to be shown.
    QStringList availableDevices() const { return SerialDevices::paths(labelledDevices()); }
    // The same with the maker and model of USB adapters, and their stable by-id names.
    QList<SerialDevice> labelledDevices() const;
    static QStringList systemDevices();
    // Replaces the search for devices (tests).
    void setDeviceLister(std::function<QStringList()> lister) { m_lister = std::move(lister); }

    // Why the device could not be opened, with the devices present when it is missing.
    QString explain(const QString& device, const OpenFailure& failure) const;
    PortTrouble& trouble() { return m_trouble; }

private:
    Settings* m_settings;
    std::function<QStringList()> m_lister;
    PortTrouble m_trouble;
    int m_overridePort = 0;
    QString m_overrideDevice;
};
