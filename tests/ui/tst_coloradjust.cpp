// The colour-balance window as a user meets it: opened from the Adjustment menu, filled by the monitor's
// answers, adjusted with its sliders and buttons, and used without a monitor.
#include "adjust/FrmVideoAdj.h"
#include "app/AppModes.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/TransmitQueue.h"
#include "link/windows/FrmConnect.h"
#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "support/ScriptedMonitor.h"
#include "support/ToolHarness.h"
#include "ui/AppContext.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace {

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

// What a monitor of firmware class 2.50 holds for the window's reads.
const QHash<QString, QStringList> monitorValues = {
    {"ddl", {"200,128,180,0,184,128,130,126"}},
    {"ddpl", {"201,129,181,177,185,129,131,127"}},
    {"ddfl", {"200,128,180,176,184,128,130,126"}},
    {"ddb", {"150,100"}},
    {"ddpb", {"151,99"}},
    {"ddfb", {"150,100"}},
    {"dfd", {"Low brightness offsets, present", "-3,2,0,5,-1,4"}},
    {"dfp", {"Low brightness offsets, initial", "-3,2,1,5,-1,4"}},
    {"dff", {"Low brightness offsets, factory", "0,0,0,0,0,0"}},
};

const QString allReads = "ddl|ddb|ddpl|ddfl|ddpb|ddfb|dfd|dfp|dff|";

struct Rig {
    ToolHarness h{ToolHarness::Port::Fake, factoryMode};
    std::unique_ptr<ScriptedMonitor> monitor;

    explicit Rig(const QString& onlineVersion = QString()) {
        h.start();
        monitor = std::make_unique<ScriptedMonitor>(h);
        if (onlineVersion.isEmpty())
            monitor->answering = false; // no monitor: the search's pings stay unanswered
        else if (!monitor->goOnline(onlineVersion))
            qFatal("the tool did not come online");
    }
    MonitorModel& model() { return *h.ctx().model; }
    FrmVideoAdj* window() { return h.ctx().windows->window<FrmVideoAdj>(); }
    QAction* item(const char* name) { return h.app().mainWindow()->menus()->action(QLatin1String(name)); }
    // Whether the monitor's family offers colour balance ("&Adjustment" and its item both enabled).
    bool offered() { return item("mnuAdjust")->isEnabled() && item("mnuAdjustVideo")->isEnabled(); }
    // Opens the window as the user does: from the menu when the monitor's family offers it, otherwise in
    // demonstration mode (which leaves the monitor).
    FrmVideoAdj* open() {
        if (!offered())
            item("mnuMonitorDemo")->trigger();
        item("mnuAdjustVideo")->trigger();
        return window();
    }
    template <class T> T* get(const QString& name) {
        T* c = window()->findChild<T*>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    QScrollBar* slider(const QString& name) { return get<QScrollBar>(name); }
    QString text(const QString& name) { return get<QLineEdit>(name)->text(); }
    QStringList texts(const QString& array, int from, int to) {
        QStringList out;
        for (int i = from; i <= to; ++i)
            out << text(QString("%1(%2)").arg(array).arg(i));
        return out;
    }
    QList<int> positions(const QString& array, int from, int to) {
        QList<int> out;
        for (int i = from; i <= to; ++i)
            out << slider(QString("%1(%2)").arg(array).arg(i))->value();
        return out;
    }
    QString sent() { return monitor->sent(); }
    bool nothingQueued() { return monitor->nothingQueued(); }
    int pixels(int twips) { return window()->layoutPixels(twips); }
    // Top of a control, or of the gate that holds it.
    int topOf(const QString& name) {
        QWidget* c = get<QWidget>(name);
        return (c->parentWidget() == window() ? c : c->parentWidget())->y();
    }
};

} // namespace

class ColourAdjustTest : public QObject {
    Q_OBJECT
private slots:
    void theMenuItemOpensTheWindowAndItReadsTheMonitor() {
        Rig r("2.50");
        r.monitor->replies = monitorValues;
        QAction* item = r.h.app().mainWindow()->menus()->action("mnuAdjustVideo");
        QVERIFY(item);
        QCOMPARE(item->text(), QString("Colo&r Balance"));
        QVERIFY(r.offered());
        item->trigger();
        FrmVideoAdj* w = r.window();
        QVERIFY(w->parentWidget()->isVisible());
        QCOMPARE(w->objectName(), QString("frmVideoAdj"));
        QCOMPARE(w->windowTitle(), QString("Color Balance"));
        QCOMPARE(static_cast<QWidget*>(r.h.ctx().windows->area()->activeSubWindow()), w->parentWidget());
        // The reads only: a value an answer shows is never sent back.
        QCOMPARE(r.sent(), allReads);
        QCOMPARE(r.positions("HScroll1", 2, 7), (QList<int>{180, 0, 184, 128, 130, 126}));
        QCOMPARE(r.texts("Text1", 2, 7), (QStringList{"180", "0", "184", "128", "130", "126"}));
        QCOMPARE(r.texts("Text2", 2, 7), (QStringList{"180", "176", "184", "128", "130", "126"}));
        QCOMPARE(r.texts("Text3", 2, 7), (QStringList{"181", "177", "185", "129", "131", "127"}));
        QCOMPARE(r.positions("HScroll2", 0, 1), (QList<int>{150, 100}));
        QCOMPARE(r.texts("BText1", 0, 1), (QStringList{"150", "100"}));
        QCOMPARE(r.texts("BText2", 0, 1), (QStringList{"150", "100"}));
        QCOMPARE(r.texts("BText3", 0, 1), (QStringList{"151", "99"}));
        QCOMPARE(r.positions("HScroll3", 0, 5), (QList<int>{125, 130, 128, 133, 127, 132}));
        QCOMPARE(r.texts("Text6", 0, 5), (QStringList{"-3", "2", "0", "5", "-1", "4"}));
        QCOMPARE(r.texts("Text4", 0, 5), (QStringList{"-3", "2", "1", "5", "-1", "4"}));
        QCOMPARE(r.texts("Text5", 0, 5), (QStringList{"0", "0", "0", "0", "0", "0"}));
        QCOMPARE(r.model().videoGroup.value[2][0], qint16(180));
        QCOMPARE(r.model().lowBrightnessGroup.value[0][0], qint16(125));

        // Activated again: the same answers move nothing, so only the reads go out.
        r.h.ctx().windows->show<FrmConnect>();
        r.sent();
        r.open();
        QCOMPARE(r.sent(), allReads);
    }

    void activationByFirmwareClass_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("reads"); // empty: not offered by the family, opened in demonstration mode
        QTest::addColumn<bool>("offsetRows");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("settingsTop");
        QTest::addColumn<int>("cancelTop");
        QTest::addColumn<int>("okTop");
        const QString videoAndBias = "ddl|ddb|ddpl|ddfl|ddpb|ddfb|";
        // Rows a monitor type hides take their room with them: the bias level row (390 twips) on the CRTs of class
        // 2, both bias rows on the flat panels of class 3.
        QTest::newRow("1.38") << "1.38" << videoAndBias << false << 5030 << 3960 << 3900 << 4320;
        QTest::newRow("2.15") << "2.15" << videoAndBias << false << 4640 << 3570 << 3510 << 3930;
        QTest::newRow("2.16: rows shown, not read") << "2.16" << videoAndBias << true << 6960 << 5790 << 5730 << 6150;
        QTest::newRow("2.17") << "2.17" << allReads << true << 6960 << 5790 << 5730 << 6150;
        QTest::newRow("2.99: no set-up, not offered") << "2.99" << QString() << false << 5030 << 3960 << 3900 << 4320;
        QTest::newRow("3.00") << "3.00" << QString() << false << 4250 << 3180 << 3120 << 3540;
        QTest::newRow("3.15") << "3.15" << videoAndBias << false << 4250 << 3180 << 3120 << 3540;
        QTest::newRow("4.05") << "4.05" << QString() << false << 5030 << 3960 << 3900 << 4320;
    }
    void activationByFirmwareClass() {
        QFETCH(QString, version);
        QFETCH(QString, reads);
        QFETCH(bool, offsetRows);
        QFETCH(int, height);
        QFETCH(int, settingsTop);
        QFETCH(int, cancelTop);
        QFETCH(int, okTop);
        Rig r(version);
        // An area with room for the designed height.
        r.h.app().mainWindow()->resize(1600, 1200);
        QCOMPARE(r.offered(), !reads.isEmpty());
        FrmVideoAdj* w = r.open();
        QCOMPARE(r.sent(), reads);
        QCOMPARE(w->offsetRowsShown(), offsetRows);
        for (const QString name : {"HScroll3(0)", "Label7(5)", "Text6(2)", "Text5(3)", "Text4(5)"})
            QCOMPARE(r.get<QWidget>(name)->isVisibleTo(w), offsetRows);
        QVERIFY(w->parentWidget()->height() >= r.pixels(height));
        // Every button shows whole inside the window.
        QVERIFY(r.get<QWidget>("VideoOKButton")->geometry().bottom() < w->height());
        for (const QString name : {"VideoRestoreFactoryDefaultsButton", "VideoRestoreInitialSettingsButton",
                                   "VideoSetInitialSettingsButton"})
            QCOMPARE(r.topOf(name), r.pixels(settingsTop));
        QCOMPARE(r.topOf("VideoCancelButton"), r.pixels(cancelTop));
        QCOMPARE(r.topOf("VideoOKButton"), r.pixels(okTop));
        // The rows shown end before the buttons, and no empty band is left under OK.
        for (QScrollBar* slider : w->findChildren<QScrollBar*>())
            if (slider->isVisibleTo(w))
                QVERIFY2(r.topOf(slider->objectName()) + r.pixels(285) <= r.pixels(cancelTop),
                         qPrintable(slider->objectName()));
        QVERIFY(w->height() - r.get<QWidget>("VideoOKButton")->geometry().bottom() < r.pixels(2 * 390));
    }

    void userMovesRedGain() {
        Rig r("2.50");
        r.monitor->replies = monitorValues;
        r.open();
        r.sent();
        r.model().dataChanged = false;
        QScrollBar* redGain = r.slider("HScroll1(2)");
        QTest::keyClick(redGain, Qt::Key_Right);
        QCOMPARE(r.sent(), QString("cdl2181|"));
        QCOMPARE(r.text("Text1(2)"), QString("181"));
        QCOMPARE(r.model().videoGroup.value[2][0], qint16(181));
        QVERIFY(r.model().dataChanged);
        r.slider("HScroll2(0)")->setValue(77); // as a drag released at 77
        QCOMPARE(r.sent(), QString("cdb077|"));
        QCOMPARE(r.model().biasGroup.value[0][0], qint16(77));
    }

    // Left held down on Red Gain for 60 key repeats, 30 ms apart, then Page Up held for 4: each new value takes
    // the place of the one still waiting, so at most one value of the DAC ever waits, they go out falling, and
    // the last reaches the monitor with the next write.
    void holdingAnArrowKeyLeavesOneWaitingValue() {
        Rig r("2.50");
        r.monitor->replies = monitorValues;
        r.open();
        r.sent();
        TransmitQueue* q = r.h.ctx().queue();
        const QString key = Catalogue::dacKey('l', 2);
        QScrollBar* redGain = r.slider("HScroll1(2)");
        QCOMPARE(redGain->value(), 180);
        auto hold = [&](Qt::Key k, int repeats) {
            for (int i = 0; i < repeats; ++i) {
                QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, QString(), i > 0);
                QApplication::sendEvent(redGain, &press);
                QVERIFY(q->waitingSettings(key) <= 1);
                QVERIFY(q->transmitQueue().count(key) <= 1);
                r.h.fakeClock.advance(30);
            }
            QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
            QApplication::sendEvent(redGain, &release);
        };
        hold(Qt::Key_Left, 60);
        hold(Qt::Key_PageUp, 4);
        QCOMPARE(redGain->value(), 180 - 60 - 4 * 16);
        // The last value is on the wire one write pause after the last change.
        r.h.fakeClock.advance(TransmitQueue::writePauseMs);
        QVERIFY(r.h.linkIdle());
        const QStringList lines = r.monitor->takeWritten().split('|', Qt::SkipEmptyParts);
        QCOMPARE(lines.last(), QString("cdl256"));
        // About one value per write pause instead of one per key repeat.
        QVERIFY2(lines.size() <= 64 * 30 / TransmitQueue::writePauseMs + 3, qPrintable(lines.join(' ')));
        int previous = 180;
        for (const QString& line : lines) {
            QVERIFY2(line.startsWith(key), qPrintable(line));
            const int value = line.mid(key.size()).toInt();
            QVERIFY(value < previous);
            previous = value;
        }
        QCOMPARE(r.model().videoGroup.value[2][0], qint16(56));
    }

    void offsetSliderSendsItsPositionAndShowsTheOffset_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("request");
        QTest::newRow("100") << 100 << "-28"
                             << "cf1100|";
        QTest::newRow("bottom") << 0 << "-128"
                                << "cf10|";
        QTest::newRow("top") << 255 << "127"
                             << "cf1255|";
    }
    void offsetSliderSendsItsPositionAndShowsTheOffset() {
        QFETCH(int, position);
        QFETCH(QString, shown);
        QFETCH(QString, request);
        Rig r("2.50");
        r.monitor->replies = monitorValues;
        r.open();
        r.slider("HScroll3(1)")->setValue(50);
        r.sent();
        r.slider("HScroll3(1)")->setValue(position);
        QCOMPARE(r.text("Text6(1)"), shown);
        QCOMPARE(r.sent(), request);
        QCOMPARE(r.model().lowBrightnessGroup.value[1][0], qint16(position));
    }

    void saveInitialSettings_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("requests");
        QTest::newRow("2.16") << "2.16"
                              << "cdlp|cdbp|";
        QTest::newRow("2.50") << "2.50"
                              << "cdlp|cdbp|cfp|";
        QTest::newRow("3.15") << "3.15"
                              << "cdlp|cdbp|";
    }
    void saveInitialSettings() {
        QFETCH(QString, version);
        QFETCH(QString, requests);
        Rig r(version);
        r.monitor->replies = monitorValues; // a row copies only a value it shows of the monitor
        r.open();
        r.sent();
        r.monitor->replies.clear();
        r.slider("HScroll1(4)")->setValue(90);
        r.slider("HScroll2(1)")->setValue(91);
        r.slider("HScroll3(5)")->setValue(100);
        r.sent();
        r.get<QPushButton>("VideoSetInitialSettingsButton")->click();
        QCOMPARE(r.sent(), requests);
        QCOMPARE(r.text("Text3(4)"), QString("90"));
        QCOMPARE(r.text("BText3(1)"), QString("91"));
        QCOMPARE(r.model().videoGroup.initialValue[4][0], qint16(90));
        QCOMPARE(r.model().biasGroup.initialValue[1][0], qint16(91));
        // The offsets only where the family reads them: a row that shows no monitor value copies nothing.
        if (requests.contains("cfp")) {
            QCOMPARE(r.text("Text4(5)"), QString("-28"));
            QCOMPARE(r.model().lowBrightnessGroup.initialValue[5][0], qint16(-28));
        }
    }

    void factoryAndInitialButtons() {
        Rig r("2.50");
        r.monitor->replies = monitorValues;
        r.open();
        r.sent();
        r.get<QPushButton>("VideoRestoreFactoryDefaultsButton")->click();
        // Only what differs moves and is sent; the offsets go to the factory offsets (0), position 128.
        QCOMPARE(r.sent(), QString("cdl3176|cf0128|cf1128|cf3128|cf4128|cf5128|"));
        QCOMPARE(r.texts("Text6", 0, 5), (QStringList{"0", "0", "0", "0", "0", "0"}));
        r.get<QPushButton>("VideoRestoreInitialSettingsButton")->click();
        // "Bias Level", which this family hides, stays where it is.
        QCOMPARE(r.sent(), QString("cdl2181|cdl3177|cdl4185|cdl5129|cdl6131|cdl7127|cdb0151|"
                                   "cf0125|cf1130|cf2129|cf3133|cf4127|cf5132|"));
        QCOMPARE(r.slider("HScroll2(1)")->value(), 100);
        QCOMPARE(r.texts("Text1", 2, 7), (QStringList{"181", "177", "185", "129", "131", "127"}));
        QCOMPARE(r.texts("Text6", 0, 5), (QStringList{"-3", "2", "1", "5", "-1", "4"}));
    }

    void okAcceptsAndCancelReturns() {
        Rig r("2.50");
        r.monitor->replies = monitorValues;
        FrmVideoAdj* w = r.open();
        r.sent();
        QTest::keyClick(r.slider("HScroll1(2)"), Qt::Key_Right);
        r.slider("HScroll3(0)")->setValue(140);
        r.sent();
        r.get<QPushButton>("VideoOKButton")->click();
        QVERIFY(!w->parentWidget()->isVisible());
        QCOMPARE(r.model().videoGroup.committedValue[2][0], qint16(181));
        QCOMPARE(r.model().biasGroup.committedValue[0][0], qint16(150));
        QCOMPARE(r.sent(), QString());

        r.monitor->replies["ddl"] = QStringList{"200,128,181,0,184,128,130,126"}; // the monitor took it
        r.monitor->replies["dfd"] = QStringList{"", "12,2,0,5,-1,4"};
        r.open();
        QCOMPARE(r.sent(), allReads);
        QTest::keyClick(r.slider("HScroll1(3)"), Qt::Key_PageDown);
        r.slider("HScroll2(0)")->setValue(10);
        r.slider("HScroll3(0)")->setValue(0);
        QCOMPARE(r.sent(), QString("cdl316|cdb010|cf00|"));
        r.get<QPushButton>("VideoCancelButton")->click();
        QVERIFY(!w->parentWidget()->isVisible());
        // Video and bias go back and are sent; the offsets have no accepted values and stay.
        QCOMPARE(r.sent(), QString("cdl30|cdb0150|"));
        QCOMPARE(r.positions("HScroll1", 2, 3), (QList<int>{181, 0}));
        QCOMPARE(r.slider("HScroll3(0)")->value(), 0);
        QCOMPARE(r.text("BText1(0)"), QString("150"));
    }

    void onlyTheActiveWindowCanBeAdjusted() {
        Rig r("2.50");
        r.monitor->replies = monitorValues;
        r.open();
        r.sent();
        for (const QString name : {"HScroll1(2)", "HScroll1(7)", "HScroll2(0)", "VideoSetInitialSettingsButton"})
            QVERIFY2(r.get<QWidget>(name)->isEnabled(), qPrintable(name));
        r.h.ctx().windows->show<FrmConnect>();
        for (const QString name : {"HScroll1(2)", "HScroll1(7)", "VideoRestoreFactoryDefaultsButton",
                                   "VideoRestoreInitialSettingsButton", "VideoSetInitialSettingsButton"})
            QVERIFY2(!r.get<QWidget>(name)->isEnabled(), qPrintable(name));
        QVERIFY(r.slider("HScroll2(0)")->isEnabled()); // the bias rows are left as they are
        QVERIFY(r.slider("HScroll3(0)")->isEnabled()); // the offset rows belong to the monitor family
        QVERIFY(r.get<QPushButton>("VideoOKButton")->isEnabled());
        r.open();
        QVERIFY(r.slider("HScroll1(2)")->isEnabled());
        QVERIFY(r.get<QPushButton>("VideoRestoreFactoryDefaultsButton")->isEnabled());
    }

    void theApplicationModeWinsOverActivation() {
        ToolHarness h; // Installation mode
        h.start();
        ScriptedMonitor monitor(h);
        QVERIFY(monitor.goOnline("2.50"));
        monitor.replies = monitorValues;
        QAction* colourBalance = h.app().mainWindow()->menus()->action("mnuAdjustVideo");
        QVERIFY(colourBalance->isEnabled());
        colourBalance->trigger();
        monitor.settle();
        FrmVideoAdj* w = h.ctx().windows->existing<FrmVideoAdj>();
        auto enabled = [w](const QString& name) { return w->findChild<QWidget*>(name)->isEnabled(); };
        // Activation enables the sliders and buttons of the active window, but not beyond what the mode allows.
        QVERIFY(!enabled("HScroll1(2)"));
        QVERIFY(!enabled("HScroll2(0)"));
        QVERIFY(!enabled("VideoSetInitialSettingsButton"));
        QVERIFY(enabled("HScroll2(1)"));
        QVERIFY(enabled("VideoRestoreFactoryDefaultsButton"));
        h.app().modes()->setServiceMode();
        QVERIFY(enabled("HScroll1(2)"));
        QVERIFY(enabled("VideoSetInitialSettingsButton"));
        QVERIFY(!enabled("HScroll2(0)"));
        // The mode does not make the window adjustable while another one is active.
        h.ctx().windows->show<FrmConnect>();
        h.app().modes()->setFactoryMode();
        QVERIFY(!enabled("HScroll1(2)"));
        QVERIFY(!enabled("VideoSetInitialSettingsButton"));
        colourBalance->trigger();
        QVERIFY(enabled("HScroll1(2)"));
        QVERIFY(enabled("HScroll2(0)"));
        QVERIFY(enabled("VideoSetInitialSettingsButton"));
    }

    void withoutAMonitor() {
        Rig r;
        ToolHarness& h = r.h;
        MonitorModel& m = *h.ctx().model;
        for (int i = 2; i < 8; ++i) {
            m.videoGroup.set(DacTable::Committed, i, 0, 100 + i);
            m.videoGroup.set(DacTable::Factory, i, 0, 110 + i);
            m.videoGroup.set(DacTable::Initial, i, 0, 120 + i);
        }
        m.biasGroup.set(DacTable::Committed, 0, 0, 60);
        m.biasGroup.set(DacTable::Factory, 0, 0, 61);
        m.biasGroup.set(DacTable::Initial, 0, 0, 62);
        m.lowBrightnessGroup.set(DacTable::Committed, 0, 0, 99);
        m.scanSetCaption = "Scan Set Selected: #1: 640x480 60Hz";
        FrmVideoAdj* w = r.open();
        auto box = [w](const QString& n) { return w->findChild<QLineEdit*>(n)->text(); };
        auto bar = [w](const QString& n) { return w->findChild<QScrollBar*>(n); };
        QCOMPARE(w->findChild<QLabel*>("ScanSetSelectedLabel4")->text(), m.scanSetCaption);
        QCOMPARE(bar("HScroll1(4)")->value(), 104);
        QCOMPARE(box("Text1(4)"), QString("104"));
        QCOMPARE(box("Text2(4)"), QString("114"));
        QCOMPARE(box("Text3(4)"), QString("124"));
        QCOMPARE(bar("HScroll2(0)")->value(), 60);
        QCOMPARE(box("BText2(0)"), QString("61"));
        QCOMPARE(box("BText3(0)"), QString("62"));
        QCOMPARE(bar("HScroll3(0)")->value(), 0); // the offset rows are not filled from the model
        QCOMPARE(box("Text6(0)"), QString());
        QVERIFY(!m.dataChanged);

        const QString before = h.fakePort->writtenText();
        QVERIFY(h.ctx().queue()->awaitingAnswer()); // the search's ping: anything queued would wait
        QTest::keyClick(bar("HScroll1(4)"), Qt::Key_Left);
        QCOMPARE(m.videoGroup.value[4][0], qint16(103));
        QVERIFY(m.dataChanged);
        w->findChild<QPushButton*>("VideoRestoreFactoryDefaultsButton")->click();
        QCOMPARE(bar("HScroll1(4)")->value(), 114);
        QCOMPARE(m.videoGroup.value[4][0], qint16(114));
        w->findChild<QPushButton*>("VideoSetInitialSettingsButton")->click();
        QCOMPARE(m.videoGroup.initialValue[4][0], qint16(114));
        w->findChild<QPushButton*>("VideoOKButton")->click();
        QCOMPARE(m.videoGroup.committedValue[4][0], qint16(114));
        QCOMPARE(h.fakePort->writtenText(), before);
        QVERIFY(h.ctx().queue()->transmitQueue().isEmpty());
    }

    void answersReachTheWindowBeforeItIsOpened() {
        Rig r("2.50");
        FrmVideoAdj* w = r.h.ctx().windows->existing<FrmVideoAdj>();
        QVERIFY(w); // created hidden by the monitor family set-up
        QVERIFY(!w->parentWidget()->isVisible());
        // An answer nobody asked the window for: it sets the controls, and sends nothing back.
        r.h.fakePort->receive("ddl\r\n200,128,90,91,92,93,94,95\r\n#\r\n");
        r.h.fakePort->receive("dfp\r\nLow brightness offsets, initial\r\n-7,1,2,3,4,5\r\n#\r\n");
        QCOMPARE(r.positions("HScroll1", 2, 7), (QList<int>{90, 91, 92, 93, 94, 95}));
        QCOMPARE(r.text("Text4(0)"), QString("-7"));
        QCOMPARE(r.model().lowBrightnessGroup.initialValue[0][0], qint16(-7));
        QCOMPARE(r.sent(), QString());
        QVERIFY(!w->parentWidget()->isVisible());
    }

    void theWindowIsCreatedByAnAnswer() {
        Rig r;
        QVERIFY(!r.h.ctx().windows->existing<FrmVideoAdj>());
        r.h.ctx().handlers->dacValues('b', DacKind::Factory, "33,44\r\n#");
        FrmVideoAdj* w = r.h.ctx().windows->existing<FrmVideoAdj>();
        QVERIFY(w);
        QVERIFY(!w->parentWidget()->isVisible());
        QCOMPARE(r.texts("BText2", 0, 1), (QStringList{"33", "44"}));
    }

    void familySetUp_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("biasCaption");
        QTest::addColumn<bool>("biasCaption8");
        QTest::addColumn<bool>("biasRow1");
        QTest::addColumn<bool>("biasRow0");
        QTest::addColumn<bool>("videoSliders");
        QTest::newRow("1.38") << "1.38"
                              << "White Level (Int)" << true << true << true << true;
        QTest::newRow("2.50") << "2.50"
                              << "+80V Adjust" << false << false << true << true;
        // On the flat panels the bias rows are hidden, and their captions with them.
        QTest::newRow("3.15") << "3.15"
                              << "White Level (Int)" << false << false << false << true;
        QTest::newRow("3.16") << "3.16"
                              << "White Level (Int)" << false << false << false << true;
        QTest::newRow("3.10") << "3.10"
                              << "White Level (Int)" << false << false << false << false;
    }
    void familySetUp() {
        QFETCH(QString, version);
        QFETCH(QString, biasCaption);
        QFETCH(bool, biasCaption8);
        QFETCH(bool, biasRow1);
        QFETCH(bool, biasRow0);
        QFETCH(bool, videoSliders);
        Rig r(version);
        r.monitor->replies = monitorValues;
        FrmVideoAdj* w = r.open();
        r.sent(); // the monitor's answers
        QCOMPARE(r.get<QLabel>("Label1(9)")->text(), biasCaption);
        QCOMPARE(r.get<QLabel>("Label1(8)")->isVisibleTo(w), biasCaption8);
        for (const QString name : {"HScroll2(1)", "BText1(1)", "BText2(1)", "BText3(1)"})
            QCOMPARE(r.get<QWidget>(name)->isVisibleTo(w), biasRow1);
        for (const QString name : {"HScroll2(0)", "BText1(0)", "BText2(0)", "BText3(0)"}) {
            QCOMPARE(r.get<QWidget>(name)->isVisibleTo(w), biasRow0);
            QCOMPARE(r.get<QWidget>(name)->isEnabled(), biasRow0);
        }
        for (int i = 2; i < 8; ++i) {
            QCOMPARE(r.slider(QString("HScroll1(%1)").arg(i))->isVisibleTo(w), videoSliders);
            QCOMPARE(r.slider(QString("HScroll1(%1)").arg(i))->isEnabled(), videoSliders);
        }
    }

    void captionsAndHeadings() {
        Rig r;
        FrmVideoAdj* w = r.open();
        const QStringList video{"Red Gain", "Green Gain", "Blue Gain", "Red Offset", "Green Offset", "Blue Offset"};
        for (int i = 2; i < 8; ++i) {
            QLabel* caption = r.get<QLabel>(QString("Label1(%1)").arg(i));
            QCOMPARE(caption->text(), video[i - 2]);
            // Each colour's captions in that colour: its channel carries the colour.
            const QColor c = caption->palette().color(QPalette::WindowText);
            const int channel[3] = {c.red(), c.green(), c.blue()};
            const int own = (i - 2) % 3;
            for (int k = 0; k < 3; ++k)
                if (k != own)
                    QVERIFY2(channel[own] > 100 && channel[k] == 0, qPrintable(video[i - 2]));
        }
        QCOMPARE(r.get<QLabel>("Label1(9)")->text(), QString("White Level (Int)"));
        QCOMPARE(r.get<QLabel>("Label1(8)")->text(), QString("Bias Level"));
        const QStringList offsets{"Lo Brt Red Gain",   "Lo Brt Grn Gain",   "Lo Brt Blu Gain",
                                  "Lo Brt Red Offset", "Lo Brt Grn Offset", "Lo Brt Blu Offset"};
        for (int k = 0; k < 6; ++k)
            QCOMPARE(r.get<QLabel>(QString("Label7(%1)").arg(k))->text(), offsets[k]);
        const QList<QPair<QString, QString>> fixed{{"Label4", "Present Value"},
                                                   {"Label5", "Factory Defaults"},
                                                   {"Label6", "Initial Settings"},
                                                   {"Label2", "0"},
                                                   {"Label3", "255"}};
        for (const auto& f : fixed)
            QCOMPARE(r.get<QLabel>(f.first)->text(), f.second);
        const QList<QPair<QString, QString>> buttons{
            {"VideoRestoreFactoryDefaultsButton", "Go Back to Factory Defaults"},
            {"VideoRestoreInitialSettingsButton", "Go Back to Initial Settings"},
            {"VideoSetInitialSettingsButton", "Save Initial Settings"},
            {"VideoOKButton", "OK"},
            {"VideoCancelButton", "Cancel"}};
        for (const auto& b : buttons)
            QCOMPARE(r.get<QPushButton>(b.first)->text(), b.second);
        for (const QString array : {"HScroll1", "HScroll2", "HScroll3"}) {
            QScrollBar* s = r.slider(array + (array == "HScroll1" ? "(2)" : "(0)"));
            QCOMPARE(s->minimum(), 0);
            QCOMPARE(s->maximum(), 255);
            QCOMPARE(s->singleStep(), 1);
            QCOMPARE(s->pageStep(), 16);
        }
        QCOMPARE(w->findChild<QScrollBar*>("HScroll1(1)"), nullptr); // contrast and brightness live elsewhere
        QCOMPARE(r.get<QLabel>("ScanSetSelectedLabel4")->text(), QString("Scan Set Selected: (None Selected)"));
    }
};

QTEST_MAIN(ColourAdjustTest)
#include "tst_coloradjust.moc"
