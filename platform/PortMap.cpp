#include "platform/PortMap.h"

#include "platform/Settings.h"

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
    return SerialDevices::paths(SerialDevices::present());
}

QList<SerialDevice> PortMap::labelledDevices() const {
    if (!m_lister)
        return SerialDevices::present();
    QList<SerialDevice> devices;
    for (const QString& path : m_lister())
        devices << SerialDevice{path, QString()};
    return devices;
}

QString PortMap::explain(const QString& device, const OpenFailure& failure) const {
    return m_trouble.explain(device, failure, [this] { return labelledDevices(); });
}
