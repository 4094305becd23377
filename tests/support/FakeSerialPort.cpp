#include "support/FakeSerialPort.h"

bool FakeSerialPort::open(int portNumber, const QString& lineSettings) {
    close();
    lastPort = portNumber;
    lastSettings = lineSettings;
    ++openCount;
    m_failure = OpenFailure();
    if (failingPorts.contains(portNumber)) {
        m_failure = failure;
        return false;
    }
    m_open = true;
    return true;
}

QByteArray FakeSerialPort::readAll() {
    QByteArray out;
    out.swap(m_incoming);
    return out;
}

void FakeSerialPort::write(const QByteArray& data) { written << data; }

void FakeSerialPort::receive(const QByteArray& data) {
    QByteArray clean = data;
    clean.replace('\0', QByteArray());
    m_incoming += clean;
    emit portEvent(SerialEvent::Receive);
}

QString FakeSerialPort::writtenText() const {
    QString out;
    for (const QByteArray& chunk : written)
        out += QString::fromLatin1(chunk).replace(QStringLiteral("\r\n"), QStringLiteral("|"));
    return out;
}
