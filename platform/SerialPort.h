#pragma once
// The monitor's serial line. Events carry the kind codes the receive handler acts on.
#include <QByteArray>
#include <QObject>
#include <QString>

namespace SerialEvent {
enum Kind : int {
    Send = 1,
    Receive = 2,
    Cts = 3,
    Dsr = 4,
    Cd = 5,
    Ring = 6,
    Break = 1001,
    CtsTimeout = 1002,
    DsrTimeout = 1003,
    Frame = 1004,
    Overrun = 1006,
    CdTimeout = 1007,
    RxOver = 1008,
    RxParity = 1009,
    TxFull = 1010,
    // Failures of an open port, with the port's own description in lastError().
    ReadError = 2001,
    WriteError = 2002,
    // The device went away (an unplugged adapter, a vanished terminal); the port is closed.
    DeviceLost = 2003,
    OtherError = 2004,
};
}

// Why an open failed: the kinds a technician can act on, and the system's own words.
struct OpenFailure {
    enum Kind { None, NoAccess, InUse, Missing, Other };
    Kind kind = None;
    QString systemText;
};

class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Port number 1-4 (any number is accepted; the device comes from the port map) and a line settings
    // text such as "9600,N,8,1" or "19200,O,8,2". Closes first when open. Returns false when not opened.
    virtual bool open(int portNumber, const QString& lineSettings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual int bytesWaiting() const = 0;
    // Every waiting character, NULs already discarded.
    virtual QByteArray readAll() = 0;
    virtual void write(const QByteArray& data) = 0;
    virtual void setSendThreshold(int threshold) = 0;
    // The device behind the open port (or the last one tried), for messages and the connection window.
    virtual QString deviceName() const = 0;
    virtual QString lastError() const = 0;
    // Why the last open() failed; kind None after one that succeeded.
    virtual OpenFailure openFailure() const { return {OpenFailure::Other, lastError()}; }
signals:
    // kind is a SerialEvent::Kind; Receive means characters are waiting.
    void portEvent(int kind);
};

struct LineSettings {
    int baud = 9600;
    char parity = 'N'; // N, O, E, M, S
    int dataBits = 8;
    int stopBits = 1;
    bool valid = false;
    static LineSettings parse(const QString& text);
};
