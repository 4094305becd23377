#pragma once
#include "platform/SerialPort.h"

class PortMap;
class QSerialPort;

// QSerialPort with the fixed options: DTR and RTS off, no handshaking, NULs discarded, a receive event
// whenever characters arrive (the handler reads the whole buffer).
class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(const PortMap* map, QObject* parent = nullptr);
    ~QtSerialPort() override;
    bool open(int portNumber, const QString& lineSettings) override;
    void close() override;
    bool isOpen() const override;
    int bytesWaiting() const override;
    QByteArray readAll() override;
    void write(const QByteArray& data) override;
    void setSendThreshold(int threshold) override;
    QString deviceName() const override { return m_device; }
    QString lastError() const override { return m_error; }
    OpenFailure openFailure() const override { return m_failure; }

private:
    void onError(int error);
    // Why the open device can no longer be used (gone, hung up); empty while it is still there.
    QString vanishedText() const;
    void fillBuffer();
    bool failOpen(OpenFailure::Kind kind, const QString& text);

    const PortMap* m_map;
    QSerialPort* m_port;
    QString m_device;
    QString m_error;
    OpenFailure m_failure;
    QByteArray m_pending;
    int m_sendThreshold = 0;
    bool m_opening = false;
    bool m_vanishing = false;
};
