#include "platform/QtSerialPort.h"

#include "platform/PortMap.h"
#include "platform/PortTrouble.h"

#include <QFileInfo>
#include <QSerialPort>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

LineSettings LineSettings::parse(const QString& text) {
    LineSettings s;
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return s;
    bool okBaud = false, okData = false, okStop = false;
    s.baud = parts[0].trimmed().toInt(&okBaud);
    const QString parity = parts[1].trimmed().toUpper();
    s.parity = parity.size() == 1 ? parity[0].toLatin1() : '?';
    s.dataBits = parts[2].trimmed().toInt(&okData);
    s.stopBits = parts[3].trimmed().toInt(&okStop);
    s.valid = okBaud && okData && okStop && s.baud > 0 && QByteArray("NOEMS").contains(s.parity) &&
              s.dataBits >= 5 && s.dataBits <= 8 && (s.stopBits == 1 || s.stopBits == 2);
    return s;
}

QtSerialPort::QtSerialPort(const PortMap* map, QObject* parent)
    : SerialPort(parent), m_map(map), m_port(new QSerialPort(this)) {
    connect(m_port, &QSerialPort::readyRead, this, [this] {
        fillBuffer();
        if (!m_pending.isEmpty())
            emit portEvent(SerialEvent::Receive);
    });
    connect(m_port, &QSerialPort::bytesWritten, this, [this](qint64) {
        if (m_sendThreshold > 0)
            emit portEvent(SerialEvent::Send);
    });
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) { onError(int(e)); });
}

QtSerialPort::~QtSerialPort() { close(); }

bool QtSerialPort::failOpen(OpenFailure::Kind kind, const QString& text) {
    m_opening = false;
    m_error = text;
    m_failure = OpenFailure{kind, text};
    return false;
}

bool QtSerialPort::open(int portNumber, const QString& lineSettings) {
    close();
    m_device = m_map ? m_map->device(portNumber) : PortMap::defaultDevice(portNumber);
    const LineSettings s = LineSettings::parse(lineSettings);
    if (!s.valid)
        return failOpen(OpenFailure::Other, QStringLiteral("Invalid line settings \"%1\"").arg(lineSettings));
    m_port->setPortName(m_device);
    QSerialPort::Parity parity = QSerialPort::NoParity;
    switch (s.parity) {
    case 'O': parity = QSerialPort::OddParity; break;
    case 'E': parity = QSerialPort::EvenParity; break;
    case 'M': parity = QSerialPort::MarkParity; break;
    case 'S': parity = QSerialPort::SpaceParity; break;
    default: break;
    }
    m_opening = true;
    const bool opened = m_port->open(QIODevice::ReadWrite);
    if (!opened) {
        // The port says "permission" both for a device the account may not use and for one another program
        // holds; the device itself tells which.
        OpenFailure::Kind kind = OpenFailure::Other;
        if (m_port->error() == QSerialPort::DeviceNotFoundError || !QFileInfo::exists(m_device))
            kind = OpenFailure::Missing;
        else if (m_port->error() == QSerialPort::PermissionError)
            kind = PortTrouble::accessDenied(m_device) ? OpenFailure::NoAccess : OpenFailure::InUse;
        return failOpen(kind, m_port->errorString());
    }
    const bool lineOk = m_port->setBaudRate(s.baud) && m_port->setParity(parity) &&
                        m_port->setDataBits(QSerialPort::DataBits(s.dataBits)) &&
                        m_port->setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
                        m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!lineOk) {
        const QString text = m_port->errorString();
        m_port->close();
        return failOpen(OpenFailure::Other, text);
    }
    // A pseudo-terminal has no modem lines: failing to drop DTR/RTS there is not an open failure.
    m_port->setDataTerminalReady(false);
    m_port->setRequestToSend(false);
    m_port->clearError();
    m_opening = false;
    m_pending.clear();
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    m_error.clear();
    m_failure = OpenFailure();
    return true;
}

void QtSerialPort::close() {
    m_vanishing = false;
    if (m_port->isOpen())
        m_port->close();
    m_pending.clear();
}

bool QtSerialPort::isOpen() const { return m_port->isOpen(); }

void QtSerialPort::fillBuffer() {
    QByteArray data = m_port->readAll();
    data.replace('\0', QByteArray());
    m_pending += data;
}

int QtSerialPort::bytesWaiting() const { return int(m_pending.size() + m_port->bytesAvailable()); }

QByteArray QtSerialPort::readAll() {
    fillBuffer();
    QByteArray out;
    out.swap(m_pending);
    return out;
}

void QtSerialPort::write(const QByteArray& data) {
    if (m_port->isOpen())
        m_port->write(data);
}

void QtSerialPort::setSendThreshold(int threshold) { m_sendThreshold = threshold; }

QString QtSerialPort::vanishedText() const {
#ifdef Q_OS_UNIX
    // A line that hung up (an adapter pulled, before or after its node goes; a pseudo-terminal whose other side
    // closed) reads as the end of the data for ever.
    pollfd line{int(m_port->handle()), POLLIN, 0};
    if (::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)))
        return QStringLiteral("the line hung up");
#endif
    if (!QFileInfo::exists(m_device))
        return QStringLiteral("the device is gone");
    return QString();
}

void QtSerialPort::onError(int error) {
    // Failures while opening are the open's result; only an open port's trouble is an event.
    if (!m_port->isOpen() || m_opening || m_vanishing)
        return;
    const auto e = QSerialPort::SerialPortError(error);
    if (e == QSerialPort::NoError)
        return;
    // A vanished device shows as a resource error, or as a read that finds the end of the line (with whatever
    // system text was left over, such as "File exists"), or as a failed write: the device decides, not the code.
    const QString vanished = vanishedText();
    m_error = vanished.isEmpty() ? m_port->errorString() : vanished;
    m_port->clearError();
    if (vanished.isEmpty() && e != QSerialPort::ResourceError) {
        emit portEvent(e == QSerialPort::ReadError    ? SerialEvent::ReadError
                       : e == QSerialPort::WriteError ? SerialEvent::WriteError
                                                      : SerialEvent::OtherError);
        return;
    }
    // Closed once the port's own notification has returned; until then its further complaints are this one.
    m_vanishing = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_vanishing)
                return; // closed (or opened again) on purpose meanwhile
            close();
            emit portEvent(SerialEvent::DeviceLost);
        },
        Qt::QueuedConnection);
}
