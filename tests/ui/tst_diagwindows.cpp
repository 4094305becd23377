// The diagnostics windows as a user meets them: opened from the Diagnostics menu, polling while they are the
// active window and never piling their reads up, filled by the answers, and sending what their buttons ask.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "diag/FrmI2cProbe.h"
#include "diag/FrmPeekPoke.h"
#include "diag/StatusWindows.h"
#include "diag/TestPointWindows.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "link/windows/FrmCommLog.h"
#include "model/MonitorModel.h"
#include "protocol/I2cDevices.h"
#include "support/ScriptedMonitor.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

const QHash<QString, QStringList> crtMonitor = {
    {"da", {"159,160,160,120", "Video_+80V 243", "Anode Voltage 182", "Anode Current 123", "-8V 125"}},
    {"dv", {"Vsync Frequency = 59.94", "Hsync Frequency = 30.73"}},
    {"dp", {"1 0 V/H sync fail", "Photocell Disabled"}},
    {"dh", {"HV Control Value = 182, 180", "Upper Limit = 230", "Lower Limit = 150", "Current Limit = 200"}},
};

struct Rig {
    ToolHarness h{ToolHarness::Port::Fake, factoryMode};
    std::unique_ptr<ScriptedMonitor> monitor;

    explicit Rig(const QString& version) {
        h.start();
        monitor = std::make_unique<ScriptedMonitor>(h);
        monitor->replies = crtMonitor;
        if (!monitor->goOnline(version))
            qFatal("the tool did not come online");
        // No keep-alive pings between the windows' own reads.
        h.ctx().link->setAutoPingEnabled(false);
    }
    // Chooses a menu item as the user does; it must be offered.
    void choose(const char* item) {
        QAction* a = h.app().mainWindow()->menus()->action(QLatin1String(item));
        QVERIFY2(a && a->isEnabled(), item);
        a->trigger();
    }
    template <class T> T* window() { return h.ctx().windows->existing<T>(); }
    QString sent() { return monitor->sent(); }
    void wait(int ms) {
        h.fakeClock.advance(ms);
        monitor->settle();
    }
    void click(QWidget* w, const char* button) {
        auto* b = w->findChild<QAbstractButton*>(QLatin1String(button));
        QVERIFY2(b, button);
        b->click();
    }
    void type(QWidget* w, const char* box, const QString& text) {
        auto* edit = w->findChild<QLineEdit*>(QLatin1String(box));
        QVERIFY2(edit, box);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

QString text(DiagnosticWindow* w, const char* control) {
    return w->controlText(QLatin1String(control));
}

} // namespace

class DiagnosticWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void operatingValuesPollWhileActive() {
        Rig rig("2.10");
        rig.choose("mnuDiagnosticsOperating");
        auto* w = rig.window<FrmMDITestPoints>();
        QVERIFY(w && w->isVisible());
        QCOMPARE(rig.sent(), "da|dv|dp|dh|");
        QCOMPARE(text(w, "VAnodeValue"), "16.45 kV");
        QCOMPARE(text(w, "lblVoltage(0)"), "-08.0V");
        QCOMPARE(text(w, "HFreqTextBox"), "31.47");
        QCOMPARE(text(w, "VFailValue"), "Not Operating");
        QCOMPARE(text(w, "HFailValue"), "Operating");
        QCOMPARE(text(w, "txtIAnodeLimit"), "200");
        QCOMPARE(text(w, "HVUpperLimitTextBox"), "230");

        // One round of reads per tick.
        for (int tick = 0; tick < 3; ++tick) {
            rig.wait(10000);
            QCOMPARE(rig.sent(), "da|dv|dp|dh|");
        }

        // Another window becomes active: this one stops; back in front, it reads at once and polls again.
        rig.choose("mnuDiagnosticsPeek");
        QVERIFY(!w->tmrTest()->isActive());
        QVERIFY(!w->findChild<QPushButton*>("ReadADCButton")->isEnabled());
        rig.wait(30000);
        QVERIFY(!rig.sent().contains("da"));
        rig.choose("mnuDiagnosticsOperating");
        QCOMPARE(rig.sent(), "da|dv|dp|dh|");
        rig.click(w, "ReadADCButton");
        QCOMPARE(rig.sent(), "da|dv|dp|dh|");

        // Closed, it polls no more.
        rig.click(w, "TPCloseButton");
        QVERIFY(!w->isVisible() && !w->tmrTest()->isActive());
        rig.wait(30000);
        QVERIFY(!rig.sent().contains("da"));
    }

    void pollsNeverPileUp() {
        Rig rig("2.10");
        rig.monitor->answering = false; // the monitor stops answering; the tool still believes in it
        rig.choose("mnuDiagnosticsOperating");
        TransmitQueue* q = rig.h.ctx().queue();
        for (int i = 0; i < 50; ++i)
            rig.h.fakeClock.advance(10000);
        QVERIFY(rig.h.ctx().model->monitorResponding);
        // "da" went out first and is still awaited; the other three wait once each.
        QCOMPARE(q->transmitQueue(), "dv\r\ndp\r\ndh\r\n");
    }

    void hoursOfPollingStayBounded() {
        Rig rig("2.10");
        rig.h.ctx().link->logToWindow = true;
        FrmCommLog* log = rig.window<FrmCommLog>();
        rig.choose("mnuDiagnosticsOperating");
        int longest = 0;
        for (int tick = 0; tick < 720; ++tick) { // two hours
            rig.wait(10000);
            log->flushPending();
            longest = std::max(longest, log->logLength());
        }
        QCOMPARE(rig.sent().count("da|"), 721);
        QVERIFY(rig.h.ctx().queue()->transmitQueue().isEmpty());
        QVERIFY(longest > 0 && longest <= FrmCommLog::maxLogLength + 200);
    }

    void voltagesTickOnlyOnAnEmptyQueue() {
        Rig rig("2.10");
        rig.choose("mnuDiagnosticsVoltages");
        auto* w = rig.window<FrmCRTVoltages>();
        QCOMPARE(rig.sent(), "da|");
        QCOMPARE(text(w, "lblCPUP5Value"), "4.99 V");
        QCOMPARE(text(w, "IAnodeValue"), "300 uA");

        rig.monitor->answering = false;
        rig.h.ctx().send("dw");
        rig.h.ctx().send("dx"); // waits behind the unanswered "dw"
        rig.h.fakeClock.advance(10000);
        QCOMPARE(rig.h.ctx().queue()->transmitQueue(), "dx\r\n");
    }

    void hvLimitsKeepTypingUntilSet() {
        Rig rig("2.20");
        rig.choose("mnuDiagnosticsHVLimits");
        auto* w = rig.window<FrmHVLimits>();
        QCOMPARE(rig.sent(), "dh|da|");
        QCOMPARE(text(w, "HVValTextBox"), "182");
        QCOMPARE(text(w, "txtIAnodeLimit"), "200");

        rig.type(w, "HVUpperLimitTextBox", "240");
        rig.wait(10000);
        QCOMPARE(rig.sent(), "dh|");
        QCOMPARE(text(w, "HVUpperLimitTextBox"), "240");
        rig.click(w, "HVUpperLimitSetButton");
        rig.type(w, "txtIAnodeLimit", " 190 ");
        rig.click(w, "btnIAnodeLimitSet");
        rig.type(w, "HVLowerLimitTextBox", "x1");
        rig.click(w, "HVLowerLimitSetButton");
        QCOMPARE(rig.sent(), "chu240|cha190|chlx1|");
        // Sent: the next answer shows the monitor's values again.
        rig.wait(10000);
        QCOMPARE(text(w, "HVUpperLimitTextBox"), "230");
    }

    void anodeLimitNeedsItsFirmware() {
        Rig rig("2.10");
        rig.choose("mnuDiagnosticsOperating");
        auto* w = rig.window<FrmMDITestPoints>();
        // A class that cannot set it shows the limit it reads, takes no typing and offers no "Set".
        auto* box = w->findChild<QLineEdit*>("txtIAnodeLimit");
        QVERIFY(box->isReadOnly() && !w->findChild<QPushButton*>("btnSetIAnodeLimit")->isEnabled());
        QCOMPARE(box->placeholderText(), QString("not on this monitor"));
    }

    void deflectionStatus() {
        Rig rig("2.10");
        rig.choose("frmDiagnosticsDeflectionStatus");
        auto* w = rig.window<FrmDeflectionStatus>();
        QCOMPARE(rig.sent(), "dv|dp|");
        QCOMPARE(text(w, "VertFreqBox"), "59.94");
        QCOMPARE(text(w, "VFailValue"), "Not Operating");
        rig.wait(10000);
        QCOMPARE(rig.sent(), "dv|dp|");

        // The monitor is lost: what it reported is not known of the next one, and the window says nothing of it.
        rig.monitor->answering = false;
        rig.h.ctx().link->setAutoPingEnabled(true);
        rig.h.fakeClock.advance(30000);
        QVERIFY(!rig.h.ctx().model->monitorResponding);
        QCOMPARE(text(w, "VertFreqBox"), QString());
        QCOMPARE(text(w, "VFailValue"), QString());
    }

    // Also when the window is opened again after its title bar's close.
    void ledPanelCaptions() {
        Rig rig("4.05");
        rig.choose("mnuDiagnosticsFPControls");
        rig.window<FrmFlatPanelTestPoints>()->parentWidget()->close();
        QTRY_VERIFY(!rig.window<FrmFlatPanelTestPoints>());
        rig.choose("mnuDiagnosticsFPControls");
        auto* w = rig.window<FrmFlatPanelTestPoints>();
        QVERIFY(w);
        QCOMPARE(text(w, "lblNominal(0)"), "LED+");
        QCOMPARE(text(w, "lblNominal(3)"), "+2.5V");
        QVERIFY(w->findChild<QLabel*>("lblInput(4)")->isVisibleTo(w));
        QVERIFY(!w->findChild<QLabel*>("lblInput(0)")->isVisibleTo(w));
        QVERIFY(!w->findChild<QLabel*>("lblContrastIn")->isVisibleTo(w));
    }

    void i2cProbe() {
        Rig rig("2.10");
        rig.monitor->replies.insert("pi0x49", {"Device 0x49 OK"});
        rig.monitor->replies.insert("pi0x5E", {"Device 0x5E NR"});
        rig.choose("mnuDiagnosticsI2c");
        auto* w = rig.window<FrmI2cProbe>();
        QVERIFY(w && w->isVisible());
        rig.click(w, "btnU513");
        QCOMPARE(rig.sent(), "pi0x49|");
        auto colour = [w](const char* button) {
            return w->findChild<QPushButton*>(QLatin1String(button))->palette().color(QPalette::Button);
        };
        QCOMPARE(colour("btnU513"), QColor(Qt::green));
        rig.type(w, "txtTest", "48");
        rig.click(w, "btnTest");
        rig.click(w, "BtnToggleLEDs");
        QCOMPARE(rig.sent(), "pi0x48|lt|");
        rig.click(w, "btnAll");
        // A monitor that reports no capability may carry any board: every device is offered and probed.
        const QString all = rig.sent();
        QCOMPARE(all.count('|'), I2cDevices::testAllRequests().size());
        QVERIFY(all.contains("pi0x31|") && w->findChild<QPushButton*>("btnU303")->isVisible());
        QCOMPARE(colour("btnU607"), QColor(Qt::red));
        rig.click(w, "btnSetAllGray");
        QCOMPARE(colour("btnU513"), QApplication::palette().color(QPalette::Button));
        QCOMPARE(colour("btnU607"), QApplication::palette().color(QPalette::Button));
    }

    void peekAndPoke() {
        Rig rig("2.10");
        rig.monitor->replies.insert("a0x1234", {"Addr = 0x1234"});
        rig.monitor->replies.insert("a+", {"Addr = 0x1235"});
        rig.monitor->replies.insert("rb", {"Byte 0x1235 := 0x7f"});
        rig.monitor->replies.insert("rw", {"Word 0x1235 := 0x7F00"});
        rig.monitor->replies.insert("rc", {"Char 0x1235 = 'A'"});
        rig.choose("mnuDiagnosticsPeek");
        auto* w = rig.window<FrmPeekPoke>();
        QCOMPARE(text(w, "AddressBox"), "0x");
        QCOMPARE(text(w, "DataByteBox"), "0xXX");
        rig.type(w, "AddressBox", "0x1234");
        rig.click(w, "brnWriteAddr");
        rig.click(w, "btnAddrUp");
        QCOMPARE(rig.sent(), "a0x1234|a+|");
        QCOMPARE(text(w, "AddressBox"), "0x1235");
        rig.type(w, "DataByteBox", "0x55");
        rig.click(w, "DataByteWriteButton");
        rig.type(w, "DataWordBox", "0x1");
        rig.click(w, "DataWordWriteButton");
        rig.click(w, "btnReadByte");
        rig.click(w, "btnReadWord");
        rig.click(w, "btnReadChar");
        rig.click(w, "btnAddrDown");
        QCOMPARE(rig.sent(), "wb0x55|ww0x1|rb|rw|rc|a-|");
        QCOMPARE(text(w, "DataByteBox"), "0x7F");
        QCOMPARE(text(w, "DataWordBox"), "0x7F00");
        QCOMPARE(text(w, "txtDataChar"), "A");
        rig.click(w, "btnOK");
        QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(DiagnosticWindowsTest)
#include "tst_diagwindows.moc"
