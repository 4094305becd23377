// The communication log window in the whole tool with a fake port: its settings and check boxes, the log
// text and its length rule, typing in queue and bypass mode, the request line and its history, the views of
// the traffic, its buttons, the resizing rules and the log file.
#include "app/AppModes.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/ConnectionSearch.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "link/windows/FrmCommLog.h"
#include "link/windows/FrmConnect.h"
#include "link/windows/FrmTrying.h"
#include "model/MonitorModel.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "support/ToolHarness.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {
const QString kNotFirstRun = QStringLiteral("[StartUp]\nRunType=1\n");

FrmCommLog* logOf(ToolHarness& h) {
    return h.ctx().windows->existing<FrmCommLog>();
}

template <class T = QWidget> T* control(ToolHarness& h, const char* name) {
    T* w = logOf(h)->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// Stops the start-up search and frees the queue, so that only what the test sends reaches the port.
void quietLink(ToolHarness& h) {
    h.ctx().search->cancel();
    h.fakeClock.advance(TransmitQueue::writePauseMs);
    h.ctx().queue()->clearQueue();
    h.fakePort->written.clear();
}

void receive(ToolHarness& h, const QByteArray& text) {
    h.fakePort->receive(text);
}

// Sends a request from the request line as the user does: types it and presses Enter or "Send".
void sendFromRequestLine(ToolHarness& h, const QString& request, bool withEnter = true) {
    auto* line = control<QLineEdit>(h, "txtRequest");
    line->clear();
    QTest::keyClicks(line, request);
    if (withEnter)
        QTest::keyClick(line, Qt::Key_Return);
    else
        QTest::mouseClick(control(h, "btnSend"), Qt::LeftButton);
}

// Walks the history with one arrow key; what the request line shows after each press.
QStringList walk(ToolHarness& h, Qt::Key key, int presses) {
    auto* line = control<QLineEdit>(h, "txtRequest");
    QStringList shown;
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(line, key);
        shown << line->text();
    }
    return shown;
}

QString fileText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("<unreadable>");
    return QString::fromLatin1(f.readAll());
}
} // namespace

class CommLogTest : public QObject {
    Q_OBJECT
private slots:
    void createdHiddenAtStartUpWithTheFlagsOnItsControls_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("logToWindow");
        QTest::addColumn<bool>("bypass");
        QTest::addColumn<bool>("autoPing");
        QTest::newRow("first run") << QString() << true << true << true;
        QTest::newRow("all off") << kNotFirstRun + "[Configs]\nCommLogEnabled=False\nBypassTransmitQueue=0\n"
                                                   "AutoPingEnabled=0\n"
                                 << false << false << false;
        QTest::newRow("only 1 counts") << kNotFirstRun + "[Configs]\nCommLogEnabled=True\nBypassTransmitQueue=yes\n"
                                                         "AutoPingEnabled=1\n"
                                       << true << false << true;
        QTest::newRow("first run overrides the setting")
            << "[Configs]\nCommLogEnabled=False\nBypassTransmitQueue=1\nAutoPingEnabled=true\n"
            << true << true << false;
    }
    void createdHiddenAtStartUpWithTheFlagsOnItsControls() {
        QFETCH(QString, settings);
        QFETCH(bool, logToWindow);
        QFETCH(bool, bypass);
        QFETCH(bool, autoPing);
        ToolHarness h(ToolHarness::Port::Fake, settings);
        h.start();
        FrmCommLog* log = logOf(h);
        QVERIFY(log);
        QVERIFY(!log->logWindowOpen());
        QCOMPARE(h.ctx().link->log(), static_cast<LogSink*>(log));
        QCOMPARE(h.ctx().link->logToWindow, logToWindow);
        QCOMPARE(h.ctx().link->bypassQueue, bypass);
        QCOMPARE(h.ctx().link->autoPingEnabled(), autoPing);
        QCOMPARE(control<QCheckBox>(h, "ckWindowEnabled")->isChecked(), logToWindow);
        QCOMPARE(control<QCheckBox>(h, "ckXmitQueueOverride")->isChecked(), bypass);
        QCOMPARE(control<QPushButton>(h, "btnDisableAutoping")->text(),
                 autoPing ? QString("Disable AutoPing") : QString("Enable AutoPing"));
        QVERIFY(!control<QCheckBox>(h, "ckFileEnabled")->isChecked());
        QVERIFY(!log->fileLogEnabled());
        QVERIFY(!control(h, "btnCheckOff")->isHidden());
        QVERIFY(control(h, "btnCheckOn")->isHidden());
        QVERIFY(!control(h, "btnCheckOn")->isEnabled());
    }

    void captionsAndTips() {
        ToolHarness h;
        h.start();
        QCOMPARE(logOf(h)->windowTitle(), QString("Monitor Communication Log"));
        const QList<QPair<const char*, QString>> captions = {
            {"btnVerbose", "Verbose"},
            {"btnTerse", "Terse"},
            {"btnCheckOff", "Disable Checking"},
            {"btnCheckOn", "Enable Checking"},
            {"btnReConnect", "ReConnect"},
            {"btnClrXQ", "Clear Xmit Queue"},
            {"btnClearCommLogWindow", "Clear Log Window"},
            {"BtnLogFile", "Log to File ..."},
            {"btnEndFileLog", "Close Log File"},
            {"btnDone", "Done"},
        };
        for (const auto& c : captions)
            QCOMPARE(control<QPushButton>(h, c.first)->text(), c.second);
        QCOMPARE(control<QLabel>(h, "lblXmitQueueOverride")->text(), QString("Xmit Q Bypass"));
        QCOMPARE(control<QLabel>(h, "lblWindowLogEnabled")->text(), QString("Window Log Enable"));
        QCOMPARE(control<QLabel>(h, "lblFilLogEnabled")->text(), QString("File Log Enabled"));
        QCOMPARE(control(h, "ckFileEnabled")->toolTip(), QString("Enable/Disable Logging to the Log File"));
        QCOMPARE(control(h, "BtnLogFile")->toolTip(), QString("Open a Log File"));
        QCOMPARE(control(h, "btnEndFileLog")->toolTip(), QString("Stop File Log, Close Log File"));
        QVERIFY(!control(h, "btnEndFileLog")->isEnabled());
    }

    void shownAtStartUpWhenItWasOpenAndSettingsWrittenAtExit_data() {
        QTest::addColumn<QString>("commLogOpen");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("minimise");
        QTest::newRow("open") << "1" << true << false;
        QTest::newRow("open, minimised at exit") << "1" << true << true;
        QTest::newRow("closed") << "0" << false << false;
        QTest::newRow("garbage") << "yes" << false << false;
    }
    void shownAtStartUpWhenItWasOpenAndSettingsWrittenAtExit() {
        QFETCH(QString, commLogOpen);
        QFETCH(bool, shown);
        QFETCH(bool, minimise);
        ToolHarness h(ToolHarness::Port::Fake, kNotFirstRun + "[Configs]\nCommLogOpen=" + commLogOpen + "\n");
        h.start();
        QCOMPARE(logOf(h)->logWindowOpen(), shown);
        if (minimise) {
            logOf(h)->parentWidget()->showMinimized();
            QVERIFY(logOf(h)->logWindowOpen());
        }
        // The user switches both flags through the window before leaving.
        control<QCheckBox>(h, "ckXmitQueueOverride")->setChecked(false);
        control<QPushButton>(h, "btnDisableAutoping")->click();
        h.shutdown();
        auto s = h.readBackSettings();
        QCOMPARE(s->readText("Configs", "CommLogOpen", ""), shown ? QString("1") : QString("0"));
        QCOMPARE(s->readText("Configs", "AutoPingEnabled", ""), QString("0"));
        QCOMPARE(s->readText("Configs", "BypassTransmitQueue", ""), QString("0"));
        QCOMPARE(s->readText("Configs", "CommLogWidth", "").isEmpty(), false);
    }

    void doneAndTheMenuItemOpenAndHide() {
        ToolHarness h;
        h.start();
        FrmCommLog* log = logOf(h);
        QAction* item = h.app().mainWindow()->menus()->action("mnuDiagnosticsCommLogging");
        QVERIFY(item);
        QCOMPARE(item->text(), QString("&Communication Log"));
        item->trigger();
        QVERIFY(log->logWindowOpen());
        QCOMPARE(static_cast<QWidget*>(h.ctx().windows->area()->activeSubWindow()), log->parentWidget());
        control<QPushButton>(h, "btnDone")->click();
        QVERIFY(!log->logWindowOpen());
        // Closing the frame hides it too; the window lives on.
        log->showInFront();
        log->parentWidget()->close();
        QVERIFY(!log->logWindowOpen());
        QCOMPARE(logOf(h), log);
        h.shutdown();
        QCOMPARE(h.readBackSettings()->readText("Configs", "CommLogOpen", ""), QString("0"));
    }

    void receivedTextAndEvents() {
        ToolHarness h;
        h.start();
        quietLink(h);
        FrmCommLog* log = logOf(h);
        log->clearLog();
        receive(h, "dm\r\nX\r\n");
        QCOMPARE(log->logText(), QString("dm\r\nX\r\n"));
        emit h.fakePort->portEvent(SerialEvent::Frame);
        QCOMPARE(log->logText(), QString("dm\r\nX\r\nReceived comFrame\r\n"));
        // Window logging off: received characters are left out, port events are still shown.
        control<QCheckBox>(h, "ckWindowEnabled")->setChecked(false);
        QVERIFY(!h.ctx().link->logToWindow);
        receive(h, "abc\r\n");
        emit h.fakePort->portEvent(SerialEvent::RxParity);
        QCOMPARE(log->logText(), QString("dm\r\nX\r\nReceived comFrame\r\n RxParityErr \r\n"));
        control<QCheckBox>(h, "ckWindowEnabled")->setChecked(true);
        QVERIFY(h.ctx().link->logToWindow);
    }

    void additionsGoToTheEndWhereverTheCaretIs() {
        ToolHarness h;
        h.start();
        FrmCommLog* log = logOf(h);
        log->clearLog();
        log->logReceivedChar(QLatin1Char('a'));
        log->logReceivedChar(QLatin1Char('b'));
        log->flushPending();
        auto* text = control<QPlainTextEdit>(h, "txtCommLog");
        QTextCursor cursor = text->textCursor();
        cursor.movePosition(QTextCursor::Start);
        text->setTextCursor(cursor);
        log->logReceivedChar(QLatin1Char('c'));
        log->logEvent(QStringLiteral("Received comEvCTS"));
        log->flushPending();
        QCOMPARE(log->logText(), QString("abcReceived comEvCTS\r\n"));
        QCOMPARE(text->textCursor().position(), text->document()->characterCount() - 1);
    }

    void theLengthRule_data() {
        QTest::addColumn<int>("filled");
        QTest::addColumn<bool>("lineEnd");
        QTest::addColumn<int>("lengthAfter");
        // Filled to a length, then one more received character (or line end) is added.
        QTest::newRow("15000 is still extended") << 15000 << false << 15001;
        QTest::newRow("15001 is emptied first") << 15001 << false << 1;
        QTest::newRow("a line end after 15001") << 15001 << true << 2;
        QTest::newRow("a line end at 14999") << 14999 << true << 15001;
    }
    void theLengthRule() {
        QFETCH(int, filled);
        QFETCH(bool, lineEnd);
        QFETCH(int, lengthAfter);
        ToolHarness h;
        h.start();
        FrmCommLog* log = logOf(h);
        log->clearLog();
        for (int i = 0; i < filled; ++i)
            log->logReceivedChar(QLatin1Char('x'));
        QCOMPARE(log->logLength(), filled);
        if (lineEnd)
            log->logReceivedLineEnd();
        else
            log->logReceivedChar(QLatin1Char('y'));
        QCOMPARE(log->logLength(), lengthAfter);
        QCOMPARE(log->logText().size(), lengthAfter);
    }

    void eventsHaveNoLengthRuleAndABusyLineStaysBounded() {
        ToolHarness h;
        h.start();
        quietLink(h);
        FrmCommLog* log = logOf(h);
        log->clearLog();
        // Line ends count as CR LF: 7500 lines of "x" reach 22500.
        QByteArray burst;
        for (int i = 0; i < 7500; ++i)
            burst += "x\r";
        receive(h, burst);
        QVERIFY(log->logLength() <= FrmCommLog::maxLogLength + 2);
        QCOMPARE(log->logText().size(), log->logLength());
        while (log->logLength() <= FrmCommLog::maxLogLength)
            log->logEvent(QStringLiteral("Received comEvDSR"));
        const int before = log->logLength();
        log->logEvent(QStringLiteral("Received comEvDSR"));
        QCOMPARE(log->logLength(), before + 19);
    }

    void clearLogWindowStartsAFreshText() {
        ToolHarness h;
        h.start();
        quietLink(h);
        FrmCommLog* log = logOf(h);
        receive(h, "abc");
        control<QPushButton>(h, "btnClearCommLogWindow")->click();
        QCOMPARE(log->logText(), QString());
        QCOMPARE(log->logLength(), 0);
        receive(h, "de\r");
        QCOMPARE(log->logText(), QString("de\r\n"));
    }

    void aQuietDownloadLeavesReceivedTrafficOut() {
        ToolHarness h;
        h.start();
        quietLink(h);
        FrmCommLog* log = logOf(h);
        log->clearLog();
        bool quiet = true;
        log->setDownloadQuiet([&quiet] { return quiet; });
        receive(h, ":10000000\r");
        emit h.fakePort->portEvent(SerialEvent::Break);
        QCOMPARE(log->logText(), QString("Received comBreak\r\n"));
        quiet = false;
        receive(h, "ok\r");
        QCOMPARE(log->logText(), QString("Received comBreak\r\nok\r\n"));
    }

    void typingInQueueModeSendsTheTypedLineAtEnter() {
        ToolHarness h;
        h.start();
        quietLink(h);
        control<QCheckBox>(h, "ckXmitQueueOverride")->setChecked(false);
        QVERIFY(!h.ctx().link->bypassQueue);
        FrmCommLog* log = logOf(h);
        log->clearLog();
        auto* text = control<QPlainTextEdit>(h, "txtCommLog");
        QTest::keyClicks(text, "dm");
        QTest::keyClick(text, Qt::Key_Backspace);
        QTest::keyClick(text, Qt::Key_Left); // no text: nothing typed
        QCOMPARE(log->typedLine(), QString("dm\b"));
        h.fakeClock.advance(1000);
        QVERIFY(h.fakePort->written.isEmpty());
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(log->typedLine(), QString());
        h.fakeClock.advance(TransmitQueue::writePauseMs);
        QCOMPARE(h.fakePort->written, QByteArrayList{QByteArray("dm\b\r\n")});
        // The keys never entered the text.
        QCOMPARE(log->logText(), QString());
        // A second line waits for the answer to the first.
        QTest::keyClicks(text, "p\r");
        h.fakeClock.advance(TransmitQueue::writePauseMs);
        QCOMPARE(h.fakePort->written.size(), 1);
        QCOMPARE(h.ctx().queue()->transmitQueue(), QString("p\r\n"));
    }

    void typingInBypassModeWritesEachKeyAtOnce() {
        ToolHarness h;
        h.start();
        quietLink(h);
        QVERIFY(h.ctx().link->bypassQueue);
        FrmCommLog* log = logOf(h);
        log->clearLog();
        auto* text = control<QPlainTextEdit>(h, "txtCommLog");
        QTest::keyClicks(text, "ab");
        QCOMPARE(h.fakePort->written, (QByteArrayList{"a", "b"}));
        QTest::keyClick(text, Qt::Key_Backspace);
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClick(text, Qt::Key_Escape); // the window's key, not the monitor's
        QCOMPARE(h.fakePort->written.join(), QByteArray("ab\b\r\n"));
        QCOMPARE(log->typedLine(), QString());
        QCOMPARE(h.ctx().queue()->transmitQueue(), QString());
        QCOMPARE(log->logText(), QString());
    }

    void requestLineSendsAndWalksItsHistory_data() {
        QTest::addColumn<bool>("bypass");
        QTest::newRow("through the queue") << false;
        QTest::newRow("straight to the port") << true;
    }
    void requestLineSendsAndWalksItsHistory() {
        QFETCH(bool, bypass);
        ToolHarness h;
        h.start();
        quietLink(h);
        QVERIFY(h.chooseMenu("mnuDiagnosticsCommLogging"));
        control<QCheckBox>(h, "ckXmitQueueOverride")->setChecked(bypass);
        auto* line = control<QLineEdit>(h, "txtRequest");
        QVERIFY(line->isVisible());
        // An empty line sends nothing.
        QTest::keyClick(line, Qt::Key_Return);
        h.fakeClock.advance(1000);
        QVERIFY(h.fakePort->written.isEmpty());

        sendFromRequestLine(h, "dm");
        QCOMPARE(line->text(), QString());
        // Bypass writes at once; the queue after its pause.
        QCOMPARE(h.fakePort->written.size(), bypass ? 1 : 0);
        h.fakeClock.advance(TransmitQueue::writePauseMs);
        QCOMPARE(h.fakePort->written, QByteArrayList{"dm\r\n"});
        QCOMPARE(h.ctx().queue()->awaitingAnswer(), !bypass);
        receive(h, "dm\r\n#");
        for (int i = 0; i < 2; ++i) {
            sendFromRequestLine(h, "df", false);
            h.fakeClock.advance(TransmitQueue::writePauseMs);
            receive(h, "df\r\n#");
        }
        QCOMPARE(h.fakePort->written, (QByteArrayList{"dm\r\n", "df\r\n", "df\r\n"}));
        // The repeated request is kept once; the walk starts from what is being typed and comes back to it.
        QCOMPARE(logOf(h)->requestHistory().entries(), (QStringList{"df", "dm"}));
        QTest::keyClicks(line, "dx");
        QCOMPARE(walk(h, Qt::Key_Up, 3), (QStringList{"df", "dm", "dm"}));
        QCOMPARE(walk(h, Qt::Key_Down, 3), (QStringList{"df", "dx", "dx"}));
        // A pasted text of several lines goes as one request per line.
        line->setText("da\r\n\ndb\n");
        QTest::keyClick(line, Qt::Key_Return);
        h.fakeClock.advance(TransmitQueue::writePauseMs);
        receive(h, "da\r\n#");
        h.fakeClock.advance(TransmitQueue::writePauseMs);
        QCOMPARE(h.fakePort->written.mid(3), (QByteArrayList{"da\r\n", "db\r\n"}));
        QCOMPARE(logOf(h)->requestHistory().entries(), (QStringList{"db", "da", "df", "dm"}));
        // Typing into the log text is untouched by the request line.
        QCOMPARE(logOf(h)->typedLine(), QString());
    }

    void historyKeepsTheLast50RequestsAcrossRuns() {
        // Characters that a settings file treats specially must come back as they were typed.
        const QString awkward = QStringLiteral(" a,b;c=\"d\"\\[e]@f#%g\b ");
        QString settingsText;
        {
            ToolHarness h(ToolHarness::Port::Fake, kNotFirstRun);
            h.start();
            quietLink(h);
            QVERIFY(h.chooseMenu("mnuDiagnosticsCommLogging"));
            for (int i = 0; i < 55; ++i)
                sendFromRequestLine(h, QStringLiteral("r%1").arg(i), i % 2);
            // Pasted rather than typed: a typed backspace would edit the line.
            control<QLineEdit>(h, "txtRequest")->setText(awkward);
            QTest::keyClick(control(h, "txtRequest"), Qt::Key_Return);
            QCOMPARE(logOf(h)->requestHistory().entries().size(), RequestHistory::maxEntries);
            // On the disk before shut-down: a tool that stops unexpectedly keeps the history.
            QCOMPARE(h.readBackSettings()->readText("RequestHistory", "Request1", ""), awkward);
            h.shutdown();
            QFile file(h.settingsPath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            settingsText = QString::fromUtf8(file.readAll());
        }
        ToolHarness h(ToolHarness::Port::Fake, settingsText);
        h.start();
        QVERIFY(h.chooseMenu("mnuDiagnosticsCommLogging"));
        QStringList expected{awkward};
        for (int i = 54; expected.size() < RequestHistory::maxEntries; --i)
            expected << QStringLiteral("r%1").arg(i);
        expected << QStringLiteral("r6"); // the oldest stays shown at the end of the walk
        QCOMPARE(walk(h, Qt::Key_Up, RequestHistory::maxEntries + 1), expected);
    }

    void unusableHistoryValuesAreLeftOutAndNotWrittenBack() {
        ToolHarness h(ToolHarness::Port::Fake, kNotFirstRun + "[RequestHistory]\nRequest1=ok\nRequest2=\nRequest3=" +
                                                   QString(2000, 'x') + "\nRequest5=p\nRequest51=beyond\n");
        h.start();
        QCOMPARE(logOf(h)->requestHistory().entries(), (QStringList{"ok", "p"}));
        h.shutdown();
        auto s = h.readBackSettings();
        const QStringList written = {
            s->readText("RequestHistory", "Request1", "?"), s->readText("RequestHistory", "Request2", "?"),
            s->readText("RequestHistory", "Request3", "?"), s->readText("RequestHistory", "Request4", "?"),
            s->readText("RequestHistory", "Request5", "?")};
        QCOMPARE(written, (QStringList{"ok", "p", "", "?", ""}));
    }

    void viewsShowEveryByteAndAreKept_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<bool>("timestamps");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("plain") << 0 << false << QStringList{"dm", "#"};
        QTest::newRow("plain with timestamps") << 0 << true << QStringList{"dm", "#"};
        QTest::newRow("control chars") << 1 << false
                                       << QStringList{"Sent dm<CR><LF>", "dm<CR><LF>", "#<CR><LF>", "<1B>?"};
        QTest::newRow("hex with timestamps")
            << 2 << true << QStringList{"Sent 64 6D 0D 0A", "64 6D 0D 0A", "23 0D 0A", "1B 3F "};
    }
    void viewsShowEveryByteAndAreKept() {
        QFETCH(int, view);
        QFETCH(bool, timestamps);
        QFETCH(QStringList, lines);
        QString settingsText;
        {
            ToolHarness h;
            h.start();
            quietLink(h);
            QVERIFY(h.chooseMenu("mnuDiagnosticsCommLogging"));
            auto* views = control<QComboBox>(h, "cboLogView");
            QCOMPARE(views->currentIndex(), 0);
            views->setCurrentIndex(view);
            if (timestamps)
                QTest::mouseClick(control(h, "ckTimestamps"), Qt::LeftButton);
            FrmCommLog* log = logOf(h);
            log->clearLog();
            sendFromRequestLine(h, "dm");
            receive(h, "dm\r\n#\r\n\x1b?");
            QStringList shown = log->logText().split("\r\n");
            const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "));
            for (QString& line : shown) {
                QCOMPARE(line.contains(stamp), timestamps);
                line.remove(stamp);
            }
            if (view == 0)
                QCOMPARE(shown, lines << "\x1b?");
            else
                QCOMPARE(shown, lines);
            h.shutdown();
            QFile file(h.settingsPath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            settingsText = QString::fromUtf8(file.readAll());
        }
        ToolHarness h(ToolHarness::Port::Fake, settingsText);
        h.start();
        QCOMPARE(control<QComboBox>(h, "cboLogView")->currentIndex(), view);
        QCOMPARE(control<QCheckBox>(h, "ckTimestamps")->isChecked(), timestamps);
        QCOMPARE(logOf(h)->view().bytes(), LogView::Bytes(view));
        QCOMPARE(logOf(h)->view().timestamps(), timestamps);
    }

    void requestButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("sent");
        QTest::newRow("Verbose") << "btnVerbose"
                                 << "CV|";
        QTest::newRow("Terse") << "btnTerse"
                               << "CU|";
        QTest::newRow("Disable Checking") << "btnCheckOff"
                                          << "cz0|";
    }
    void requestButtons() {
        QFETCH(QString, button);
        QFETCH(QString, sent);
        ToolHarness h;
        h.start();
        quietLink(h);
        logOf(h)->findChild<QPushButton*>(button)->click();
        h.fakeClock.advance(TransmitQueue::writePauseMs);
        QCOMPARE(h.fakePort->writtenText(), sent);
    }

    void checkingButtonsTakeTurns() {
        ToolHarness h;
        h.start();
        quietLink(h);
        auto* off = control<QPushButton>(h, "btnCheckOff");
        auto* on = control<QPushButton>(h, "btnCheckOn");
        QCOMPARE(off->geometry(), on->geometry());
        off->click();
        QVERIFY(off->isHidden());
        QVERIFY(!off->isEnabled());
        QVERIFY(!on->isHidden());
        QVERIFY(on->isEnabled());
        h.fakeClock.advance(TransmitQueue::writePauseMs);
        receive(h, "cz0\r\n#");
        on->click();
        QVERIFY(on->isHidden());
        QVERIFY(!on->isEnabled());
        QVERIFY(!off->isHidden());
        QVERIFY(off->isEnabled());
        h.fakeClock.advance(TransmitQueue::writePauseMs);
        QCOMPARE(h.fakePort->writtenText(), QString("cz0|cz1|"));
    }

    // A written line keeps its answer awaited; a line still in its 100 ms pause is dropped and never written.
    void clearXmitQueueKeepsTheAwaitedAnswer_data() {
        QTest::addColumn<int>("clickAtMs");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("awaiting");
        QTest::newRow("first line written") << TransmitQueue::writePauseMs << "da|" << true;
        QTest::newRow("first line in its pause") << TransmitQueue::writePauseMs / 2 << "" << false;
    }
    void clearXmitQueueKeepsTheAwaitedAnswer() {
        QFETCH(int, clickAtMs);
        QFETCH(QString, written);
        QFETCH(bool, awaiting);
        ToolHarness h;
        h.start();
        quietLink(h);
        h.ctx().send("da");
        h.ctx().send("db");
        h.ctx().send("dc");
        h.fakeClock.advance(clickAtMs);
        QVERIFY(h.ctx().queue()->awaitingAnswer());
        QCOMPARE(h.ctx().queue()->transmitQueue(), QString("db\r\ndc\r\n"));
        control<QPushButton>(h, "btnClrXQ")->click();
        QCOMPARE(h.ctx().queue()->transmitQueue(), QString());
        QCOMPARE(h.ctx().queue()->awaitingAnswer(), awaiting);
        h.fakeClock.advance(3000);
        QCOMPARE(h.fakePort->writtenText(), written);
    }

    void autoPingButtonToggles() {
        ToolHarness h;
        h.start();
        quietLink(h);
        Link* link = h.ctx().link;
        auto* button = control<QPushButton>(h, "btnDisableAutoping");
        link->stopKeepAlive();
        button->click();
        QVERIFY(!link->autoPingEnabled());
        QCOMPARE(button->text(), QString("Enable AutoPing"));
        QVERIFY(!link->tmrKeepAlive()->isActive());
        button->click();
        QVERIFY(link->autoPingEnabled());
        QCOMPARE(button->text(), QString("Disable AutoPing"));
        QVERIFY(link->tmrKeepAlive()->isActive());
        QCOMPARE(link->tmrKeepAlive()->interval(), 2000);
    }

    void reConnectRestartsTheSearch() {
        ToolHarness h;
        h.start();
        h.fakeClock.advance(TransmitQueue::writePauseMs);
        receive(h, "p\r\n#");
        h.fakeClock.advance(2000);
        FrmMain* main = h.app().mainWindow();
        QCOMPARE(main->connectionState(), ConnectionState::Online);
        auto* indicator = control<QPushButton>(h, "btnInd");
        QVERIFY(indicator->property("indicatorGreen").toBool());
        FrmConnect* connectWindow = h.ctx().windows->existing<FrmConnect>();
        connectWindow->hideConnectionWindows();
        QVERIFY(!h.ctx().search->isSearching());
        control<QPushButton>(h, "btnReConnect")->click();
        QCOMPARE(main->connectionState(), ConnectionState::NoMonitor);
        QVERIFY(!indicator->property("indicatorGreen").toBool());
        QVERIFY(!connectWindow->parentWidget()->isHidden());
        QVERIFY(!h.ctx().windows->existing<FrmTrying>()->parentWidget()->isHidden());
        QVERIFY(h.ctx().search->isSearching());
    }

    void resizingRules_data() {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<bool>("heightApplies");
        QTest::newRow("larger") << QSize(9000, 8010) << true;
        QTest::newRow("smaller") << QSize(5010, 6000) << true;
        // Not higher than 2940: the text and the bottom row keep their height and place.
        QTest::newRow("too low") << QSize(7005, 2505) << false;
    }
    void resizingRules() {
        QFETCH(QSize, frame);
        QFETCH(bool, heightApplies);
        ToolHarness h;
        h.start();
        FrmCommLog* log = logOf(h);
        // An area with room for every size tried.
        h.app().mainWindow()->resize(1600, 1200);
        log->showInFront();
        QWidget* sub = log->parentWidget();
        sub->resize(log->layoutPixels(6345), log->layoutPixels(7105));
        const int designHeight = log->layoutTwips(sub->height());
        sub->resize(log->layoutPixels(frame.width()), log->layoutPixels(frame.height()));
        const int width = log->layoutTwips(sub->width());
        const int height = heightApplies ? log->layoutTwips(sub->height()) : designHeight;
        QVERIFY(width > 1800);
        auto* text = control(h, "txtCommLog");
        auto* done = control(h, "btnDone");
        QCOMPARE(text->width(), log->layoutPixels(width - 645));
        QCOMPARE(text->height(), log->layoutPixels(height - 2940));
        QCOMPARE(done->x(), log->layoutPixels(width - 1800));
        QCOMPARE(done->y(), log->layoutPixels(height - 975));
        QCOMPARE(control(h, "btnReConnect")->y(), log->layoutPixels(height - 975));
        QCOMPARE(control(h, "btnInd")->y(), log->layoutPixels(height - 915));
        // The request line moves with the bottom row and fills it up to "Send" in front of "Done".
        auto* request = control(h, "txtRequest");
        auto* send = control(h, "btnSend");
        QCOMPARE(request->y(), log->layoutPixels(height - 975));
        QCOMPARE(send->y(), request->y());
        QVERIFY(request->x() > control(h, "btnReConnect")->geometry().right());
        QVERIFY(request->geometry().right() < send->x());
        QVERIFY(send->geometry().right() < done->x());
        QVERIFY(done->x() - request->geometry().right() < log->layoutPixels(1000));
        // Nothing overlaps the text.
        for (const char* name : {"btnVerbose", "btnCheckOff", "ckXmitQueueOverride", "btnClearCommLogWindow",
                                 "ckTimestamps", "cboLogView"})
            QVERIFY2(control(h, name)->y() > text->geometry().bottom(), name);
        // Minimised, nothing moves.
        const QRect before = text->geometry();
        sub->showMinimized();
        QCOMPARE(text->geometry(), before);
    }

    void logFileReceivesTimestampedLines() {
        ToolHarness h;
        h.start();
        quietLink(h);
        QTemporaryDir dir;
        const QString path = dir.filePath("monitor.mcl");
        h.ctx().model->serialNumber = QStringLiteral(" SN 42/7 ");
        h.dialogs.files.enqueue(path);
        FrmCommLog* log = logOf(h);
        control<QPushButton>(h, "BtnLogFile")->click();
        QCOMPARE(h.dialogs.fileRequests.size(), 1);
        const Dialogs::FileRequest request = h.dialogs.fileRequests.first();
        QCOMPARE(request.proposedName, QString("SN 42_7.mcl"));
        QCOMPARE(request.filter, QString("Monitor Comm Log Files(*.mcl);;Text Files(*.txt);;All files(*.*)"));
        QVERIFY(request.overwritePrompt);
        QVERIFY(!request.mustExist);
        QVERIFY(log->fileLogOpen());
        QVERIFY(log->fileLogEnabled());
        QVERIFY(control<QCheckBox>(h, "ckFileEnabled")->isChecked());
        QVERIFY(control(h, "btnEndFileLog")->isEnabled());

        receive(h, "p\r\n#\r\n");
        emit h.fakePort->portEvent(SerialEvent::Overrun);
        // Each finished line is on the disk while the file is still open.
        const QString written = fileText(path);
        const QRegularExpression stamped(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} (.*)$"));
        QStringList contents;
        for (const QString& line : written.split('\n', Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch m = stamped.match(line);
            QVERIFY2(m.hasMatch(), qPrintable(line));
            contents << m.captured(1);
        }
        QCOMPARE(contents, (QStringList{"p", "#", "Received comOverrun"}));
        QVERIFY(written.endsWith('\n'));

        // File logging switched off by its box: nothing more is written.
        QTest::mouseClick(control(h, "ckFileEnabled"), Qt::LeftButton);
        QVERIFY(!log->fileLogEnabled());
        receive(h, "quiet\r");
        QCOMPARE(fileText(path), written);
        QTest::mouseClick(control(h, "ckFileEnabled"), Qt::LeftButton);
        QVERIFY(log->fileLogEnabled());
        receive(h, "on\r");
        QVERIFY(fileText(path).endsWith(" on\n"));

        control<QPushButton>(h, "btnEndFileLog")->click();
        QVERIFY(!log->fileLogOpen());
        QVERIFY(!log->fileLogEnabled());
        QVERIFY(!control<QCheckBox>(h, "ckFileEnabled")->isChecked());
        QVERIFY(!control(h, "ckFileEnabled")->isEnabled());
        QVERIFY(!control(h, "lblFilLogEnabled")->isEnabled());
        QVERIFY(!control(h, "btnEndFileLog")->isEnabled());
        QVERIFY(h.dialogs.messages.isEmpty());
    }

    void logToFileWhileOpenClosesIt() {
        ToolHarness h;
        h.start();
        QTemporaryDir dir;
        h.dialogs.files.enqueue(dir.filePath("a.mcl"));
        FrmCommLog* log = logOf(h);
        auto* button = control<QPushButton>(h, "BtnLogFile");
        button->click();
        QVERIFY(log->fileLogOpen());
        button->click();
        QVERIFY(!log->fileLogOpen());
        QCOMPARE(h.dialogs.fileRequests.size(), 1);
        QVERIFY(!control(h, "ckFileEnabled")->isEnabled());
    }

    void cancelledOrUnopenableFile_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("cancelled") << true;
        QTest::newRow("unopenable") << false;
    }
    void cancelledOrUnopenableFile() {
        QFETCH(bool, cancel);
        ToolHarness h;
        h.start();
        QTemporaryDir dir;
        const QString path = dir.filePath("missing/folder/x.mcl");
        if (!cancel)
            h.dialogs.files.enqueue(path);
        FrmCommLog* log = logOf(h);
        control<QPushButton>(h, "BtnLogFile")->click();
        QVERIFY(!log->fileLogOpen());
        QVERIFY(!log->fileLogEnabled());
        QVERIFY(!control<QCheckBox>(h, "ckFileEnabled")->isChecked());
        QVERIFY(!control(h, "btnEndFileLog")->isEnabled());
        if (cancel) {
            QVERIFY(h.dialogs.messages.isEmpty());
        } else {
            QCOMPARE(h.dialogs.messages.size(), 1);
            QVERIFY2(h.dialogs.messages.first().text.startsWith("Unable to open the log file "),
                     qPrintable(h.dialogs.messages.first().text));
            QVERIFY(h.dialogs.messages.first().text.contains("x.mcl"));
        }
        // Without an open file the box cannot switch file logging on.
        QTest::mouseClick(control(h, "ckFileEnabled"), Qt::LeftButton);
        QVERIFY(!log->fileLogEnabled());
        QVERIFY(!control<QCheckBox>(h, "ckFileEnabled")->isChecked());
    }

    void aFileThatFailsToWriteIsClosedWithAMessage() {
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("needs a device that refuses every write");
        ToolHarness h;
        h.start();
        quietLink(h);
        h.dialogs.files.enqueue(QStringLiteral("/dev/full"));
        FrmCommLog* log = logOf(h);
        control<QPushButton>(h, "BtnLogFile")->click();
        QVERIFY(log->fileLogOpen());
        receive(h, "abc\rdef\r");
        QVERIFY(!log->fileLogOpen());
        QVERIFY(!log->fileLogEnabled());
        QCoreApplication::processEvents(); // the box comes once the received traffic has been handled
        QCOMPARE(h.dialogs.messages.size(), 1);
        QVERIFY(h.dialogs.messages.first().text.startsWith("Unable to write to the log file "));
        // The window log goes on.
        QVERIFY(log->logText().endsWith("abc\r\ndef\r\n"));
    }
};

QTEST_MAIN(CommLogTest)
#include "tst_commlog.moc"
