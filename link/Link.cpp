#include "link/Link.h"

#include "link/LogSink.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "protocol/Catalogue.h"

#include <QHash>

namespace {
QString eventText(int kind) {
    static const QHash<int, QString> texts = {
        {SerialEvent::Cts, QStringLiteral("Received comEvCTS")},
        {SerialEvent::Dsr, QStringLiteral("Received comEvDSR")},
        {SerialEvent::Cd, QStringLiteral("Received comEvCD")},
        {SerialEvent::Ring, QStringLiteral("Received comEvRing")},
        {SerialEvent::Break, QStringLiteral("Received comBreak")},
        {SerialEvent::CtsTimeout, QStringLiteral("Received comCTSTO")},
        {SerialEvent::DsrTimeout, QStringLiteral("Received comDSRTO")},
        {SerialEvent::Frame, QStringLiteral("Received comFrame")},
        {SerialEvent::Overrun, QStringLiteral("Received comOverrun")},
        {SerialEvent::CdTimeout, QStringLiteral("Received comCDTO")},
        {SerialEvent::RxOver, QStringLiteral("Received comRxOver")},
        {SerialEvent::RxParity, QStringLiteral(" RxParityErr ")},
        {SerialEvent::TxFull, QStringLiteral("Received comTxFull")},
    };
    return texts.value(kind);
}
} // namespace

Link::Link(SerialPort* port, Clock* clock, Tone* tone, MonitorModel* model, QObject* parent)
    : QObject(parent), m_port(port), m_model(model), m_queue(new TransmitQueue(port, clock, tone, this)),
      m_tmrConnect(clock->createTimer(this)), m_tmrKeepAlive(clock->createTimer(this)) {
    connect(m_port, &SerialPort::portEvent, this, &Link::handlePortEvent);
    connect(m_tmrKeepAlive, &Timer::timeout, this, &Link::keepAliveTick);
    connect(m_tmrConnect, &Timer::timeout, this, &Link::answerTimeoutTick);
}

bool Link::openPort(int portNumber, const QString& lineSettings) {
    if (m_port->isOpen())
        m_port->close();
    m_model->monitorResponding = false;
    if (!m_port->open(portNumber, lineSettings))
        return false;
    if (m_port->bytesWaiting() > 0)
        m_port->readAll();
    return true;
}

void Link::setIndicatorGreen(bool green) {
    m_indicatorGreen = green;
    emit indicatorChanged(green);
}

void Link::startKeepAlive(int intervalMs) { m_tmrKeepAlive->start(intervalMs); }

void Link::stopKeepAlive() {
    m_tmrKeepAlive->stop();
    m_tmrConnect->stop();
}

void Link::writeDirect(const QByteArray& data) { m_port->write(data); }

void Link::logEvent(const QString& text) {
    if (m_log)
        m_log->logEvent(text);
}

void Link::handlePortEvent(int kind) {
    if (kind == SerialEvent::Receive) {
        processReceived(QString::fromLatin1(m_port->readAll()));
    } else if (kind == SerialEvent::Send) {
        m_port->setSendThreshold(0);
        logEvent(QStringLiteral("Received comEvSend"));
    } else {
        const QString text = eventText(kind);
        if (!text.isEmpty())
            logEvent(text);
    }
}

void Link::processReceived(const QString& text) {
    m_receivedLater += text;
    if (m_receiving)
        return;
    m_receiving = true;
    while (!m_receivedLater.isEmpty()) {
        QString chunk;
        chunk.swap(m_receivedLater);
        processChunk(chunk);
    }
    m_receiving = false;
}

void Link::processChunk(const QString& text) {
    for (const QChar c : text) {
        if (c == QLatin1Char('\r')) {
            if (m_lastPrompt != Prompt::None)
                m_lastPrompt = Prompt::None;
            else
                m_receiveBuffer += QStringLiteral("\r\n");
            if (logToWindow && m_log)
                m_log->logReceivedLineEnd();
            continue;
        }
        if (c == QLatin1Char('\n'))
            continue;
        if (logToWindow && m_log)
            m_log->logReceivedChar(c);
        m_receiveBuffer += c;
        if (c == QLatin1Char('#') || c == QLatin1Char('$')) {
            m_tmrConnect->stop();
            if (m_model->monitorResponding)
                m_tmrKeepAlive->start(keepAliveIdleMs);
            m_lastPrompt = Prompt::Answer;
            QString answer;
            answer.swap(m_receiveBuffer);
            if (m_dispatch)
                m_dispatch(answer);
            m_queue->answerDispatched();
        } else if (c == QLatin1Char('!')) {
            m_tmrConnect->stop();
            if (m_model->monitorResponding)
                m_tmrKeepAlive->start(keepAliveErrorMs);
            m_lastPrompt = Prompt::Exclamation;
            QString rejected;
            rejected.swap(m_receiveBuffer);
            if (m_rejectionHandler && m_rejectionHandler(rejected))
                m_queue->answerDispatched();
            else
                m_queue->exclamationReceived();
        }
    }
}

void Link::keepAliveTick() {
    if (m_model->monitorResponding && autoPingEnabled) {
        m_queue->queueCommand(Catalogue::ping());
        m_tmrConnect->start(answerTimeoutMs);
    } else {
        m_tmrConnect->stop();
    }
}

void Link::answerTimeoutTick() {
    const bool wasResponding = m_model->monitorResponding;
    m_tmrConnect->stop();
    m_tmrKeepAlive->stop();
    if (wasResponding)
        emit connectionLost();
}
