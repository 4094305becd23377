#include "platform/PortMap.h"

#include "platform/Settings.h"

#include <QSerialPortInfo>

namespace {
QString key(int portNumber) { return QStringLiteral("Com%1Device").arg(portNumber); }
} // namespace

QString PortMap::defaultDevice(int portNumber) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString PortMap::device(int portNumber) const {
    if (m_overridePort == portNumber && !m_overrideDevice.isEmpty())
        return m_overrideDevice;
    const QString fallback = defaultDevice(portNumber);
    if (!m_settings || portNumber < 1 || portNumber > 4)
        return fallback;
    const QString stored = m_settings->readText(QStringLiteral("Configs"), key(portNumber), QString()).trimmed();
    return stored.isEmpty() ? fallback : stored;
}

void PortMap::setDevice(int portNumber, const QString& device) {
    if (m_overridePort == portNumber)
        m_overrideDevice.clear();
    if (m_settings && portNumber >= 1 && portNumber <= 4)
        m_settings->writeText(QStringLiteral("Configs"), key(portNumber), device.trimmed());
}

void PortMap::setOverride(int portNumber, const QString& device) {
    m_overridePort = portNumber;
    m_overrideDevice = device;
}

QStringList PortMap::systemDevices() {
    QStringList devices;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports)
        devices << info.systemLocation();
    devices.sort();
    return devices;
}
