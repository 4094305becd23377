#pragma once
// An in-memory serial port: records what is written, and lets a test deliver received characters and events.
#include "platform/SerialPort.h"

#include <QByteArrayList>

class FakeSerialPort : public SerialPort {
    Q_OBJECT
public:
    using SerialPort::SerialPort;
    bool open(int portNumber, const QString& lineSettings) override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    int bytesWaiting() const override { return int(m_incoming.size()); }
    QByteArray readAll() override;
    void write(const QByteArray& data) override;
    void setSendThreshold(int threshold) override { sendThreshold = threshold; }
    QString deviceName() const override { return device.isEmpty() ? QStringLiteral("fake%1").arg(lastPort) : device; }
    QString lastError() const override { return error; }
    OpenFailure openFailure() const override { return m_failure; }

    // Characters arrive: they wait in the port and a receive event is raised.
    void receive(const QByteArray& data);
    // Every written chunk, in order.
    QByteArrayList written;
    // Written lines joined, CR LF shown as "|" for compact assertions.
    QString writtenText() const;
    int lastPort = 0;
    QString lastSettings;
    int openCount = 0;
    int sendThreshold = 1;
    // Ports that refuse to open, and why.
    QList<int> failingPorts;
    OpenFailure failure;
    // The device the port stands for (default "fakeN").
    QString device;
    // The port's words for its last failure.
    QString error;

private:
    bool m_open = false;
    OpenFailure m_failure;
    QByteArray m_incoming;
};
