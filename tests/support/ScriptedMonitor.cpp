#include "support/ScriptedMonitor.h"

#include "app/FrmMain.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"

ScriptedMonitor::ScriptedMonitor(ToolHarness& harness) : m_h(harness) {
    connect(m_h.ctx().queue(), &TransmitQueue::lineWritten, this, &ScriptedMonitor::lineWritten);
}

void ScriptedMonitor::lineWritten(const QByteArray& line) {
    if (!answering)
        return;
    const QString request = QString::fromLatin1(line).trimmed();
    answered << request;
    QString answer = request + QStringLiteral("\r\n");
    for (const QString& reply : replies.value(request))
        answer += reply + QStringLiteral("\r\n");
    // The monitor ends its answer with the prompt and a line end; the tool drops that line end.
    answer += QStringLiteral("#\r\n");
    m_h.fakePort->receive(answer.toLatin1());
}

bool ScriptedMonitor::goOnline(const QString& version) {
    replies.insert(QStringLiteral("df"), {QStringLiteral("V ") + version});
    for (int ms = 0; ms < 10000 && m_h.app().mainWindow()->connectionState() != ConnectionState::Online; ms += 100)
        m_h.fakeClock.advance(100);
    settle();
    takeWritten();
    return m_h.app().mainWindow()->connectionState() == ConnectionState::Online && m_h.ctx().model->monitorResponding;
}

void ScriptedMonitor::settle(int maxMs) {
    TransmitQueue* q = m_h.ctx().queue();
    for (int ms = 0; ms < maxMs; ms += TransmitQueue::writePauseMs) {
        if (q->isIdle())
            return;
        m_h.fakeClock.advance(TransmitQueue::writePauseMs);
    }
}

QString ScriptedMonitor::takeWritten() {
    const QString all = m_h.fakePort->writtenText();
    const QString out = all.mid(m_mark);
    m_mark = all.size();
    return out;
}

bool ScriptedMonitor::nothingQueued() {
    const TransmitQueue* q = m_h.ctx().queue();
    return q->awaitingAnswer() && takeWritten().isEmpty() && q->transmitQueue().isEmpty();
}
