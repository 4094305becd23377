// The DAC adjustment pattern that every adjustment window inherits, on a window built only from the shared
// builders: the slider change rule and its guard, loading and activation with and without a monitor, the
// buttons and deactivation.
#include "adjust/FrmVideoAdj.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "protocol/DataReadHandlers.h"
#include "support/ScriptedMonitor.h"
#include "support/ToolHarness.h"
#include "ui/AppContext.h"
#include "ui/DacAdjustWindow.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace {

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

// A window made of the shared parts only: three vertical rows, two horizontal rows and the S-capacitor row
// (Max 127), four north-south rows (Max 63, LargeChange 8).
class TestAdjustWindow : public DacAdjustWindow {
    Q_OBJECT
public:
    explicit TestAdjustWindow(AppContext& ctx) : DacAdjustWindow(ctx, "frmTestAdjust", "Test Adjustment") {
        vertical = addRowGroup(&model().verticalGroup, 'v', {"Label1", "HScroll1", "Text1", "Text2", "Text3"});
        for (int i = 0; i < 3; ++i)
            placeRow(addRow(vertical, {i, QString("V%1").arg(i)}), 300 + 300 * i);
        horizontal = addRowGroup(&model().horizontalGroup, 'h', {"HLabel1", "HHScroll1", "HText1", "HText2", "HText3"});
        placeRow(addRow(horizontal, {0, "H0"}), 1200);
        placeRow(addRow(horizontal, {1, "H1"}), 1500);
        DacRowDefinition sCap{8, "Horiz S Cap"};
        sCap.max = 127;
        placeRow(addRow(horizontal, sCap), 1800);
        northSouth = addRowGroup(&model().northSouthGroup, 's', {"Label7", "HScroll2", "NText4", "NText5", "NText6"});
        for (int i = 0; i < 4; ++i) {
            DacRowDefinition def{i, QString("N%1").arg(i)};
            def.max = 63;
            def.largeChange = 8;
            placeRow(addRow(northSouth, def), 2100 + 300 * i);
        }
        // A single row that the model keeps no table for, its controls named without an element.
        DacRowNames looseNames{"lblLoose", "HScroll_Loose", "lblLoosePV",
                               QString(),  QString(),       DacRowNames::Display::Label};
        looseNames.singleNames = true;
        loose = addRowGroup(nullptr, QChar(), looseNames);
        loose->setRequest = [](int, int position) { return Catalogue::setting("cx", position); };
        placeRow(addRow(loose, {0, "Loose"}), 3400);
        scanSetLabel = addLabel("ScanSetSelectedLabel3", QString());
        setScanSetLabel(scanSetLabel);
        setSettingButtons(addButton("Command1", "Go Back to Factory Defaults"),
                          addButton("Command2", "Go Back to Initial Settings"),
                          addButton("Command6", "Save Initial Settings"));
        connect(addButton("btnOK", "OK"), &QPushButton::clicked, this, [this] { ok(); });
        connect(addButton("btnCancel", "Cancel"), &QPushButton::clicked, this, [this] { cancel(); });
        load();
    }
    DacRowGroup* vertical;
    DacRowGroup* horizontal;
    DacRowGroup* northSouth;
    DacRowGroup* loose;
    QLabel* scanSetLabel;
};

// The tool with the test window routed like the real ones: every group's answers reach it.
struct Rig {
    ToolHarness h{ToolHarness::Port::Fake, factoryMode};
    std::unique_ptr<ScriptedMonitor> monitor;
    TestAdjustWindow* w = nullptr;

    explicit Rig(const QString& onlineVersion = QString()) {
        h.start();
        monitor = std::make_unique<ScriptedMonitor>(h);
        if (onlineVersion.isEmpty())
            monitor->answering = false; // no monitor: the search's pings stay unanswered
        else if (!monitor->goOnline(onlineVersion))
            qFatal("the tool did not come online");
        QObject::connect(h.ctx().handlers, &DataReadHandlers::dacValuesRead, h.app().mainWindow(),
                         [this](QChar g, DacKind kind, const QVector<int>& values) {
                             h.ctx().windows->window<TestAdjustWindow>()->showDacValues(g, kind, values);
                         });
        QObject::connect(h.ctx().handlers, &DataReadHandlers::horizontalSCapRead, h.app().mainWindow(),
                         [this](DacKind kind, int value) {
                             h.ctx().windows->window<TestAdjustWindow>()->showDacValue('h', kind, 8, value);
                         });
        w = h.ctx().windows->window<TestAdjustWindow>();
        // Online, every row shows what the monitor holds (0), as after its answers.
        if (!onlineVersion.isEmpty())
            for (DacRowGroup* g : w->rowGroups())
                for (DacRow* row : g->rows())
                    w->showHeldPosition(*g, *row, row->slider->value());
    }
    MonitorModel& model() { return *h.ctx().model; }
    // The user opens another window (the communication log, always offered), which deactivates this one.
    void activateAnotherWindow() {
        h.app().mainWindow()->menus()->action(QStringLiteral("mnuDiagnosticsCommLogging"))->trigger();
    }
    template <class T> T* get(const QString& name) {
        T* c = w->findChild<T*>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    QScrollBar* slider(const QString& name) { return get<QScrollBar>(name); }
    QString text(const QString& name) { return get<QLineEdit>(name)->text(); }
    QString sent() { return monitor->sent(); }
    bool nothingQueued() { return monitor->nothingQueued(); }
    int cell(DacGroup& g, DacTable t, int dac, int set) {
        int v = -999;
        g.get(t, dac, set, &v);
        return v;
    }
};

} // namespace

class DacAdjustTest : public QObject {
    Q_OBJECT
private slots:
    void sliderChangeRule_data() {
        QTest::addColumn<bool>("online");
        QTest::addColumn<int>("scanSet");
        QTest::addColumn<QString>("sent");
        QTest::newRow("online") << true << 0 << "cdv25|";
        QTest::newRow("online, scan set 4") << true << 4 << "cdv25|";
        QTest::newRow("no monitor") << false << 2 << "";
    }
    void sliderChangeRule() {
        QFETCH(bool, online);
        QFETCH(int, scanSet);
        QFETCH(QString, sent);
        Rig r(online ? "2.10" : QString());
        r.model().currentScanSet = scanSet;
        r.model().dataChanged = false;
        r.monitor->takeWritten();
        r.slider("HScroll1(2)")->setValue(5);
        QCOMPARE(r.text("Text1(2)"), QString("5"));
        QCOMPARE(r.cell(r.model().verticalGroup, DacTable::Value, 2, scanSet), 5);
        QCOMPARE(r.model().verticalGroup.origin(DacTable::Value, 2, scanSet), Origin::User);
        QVERIFY(r.model().dataChanged);
        if (online)
            QCOMPARE(r.sent(), sent);
        else
            QVERIFY(r.nothingQueued());
    }

    void setRequestTexts_data() {
        QTest::addColumn<QString>("slider");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("position");
        QTest::newRow("index and value run together") << "HScroll1(1)" << 5 << "cdv15|" << 5;
        QTest::newRow("largest value at index 0") << "HScroll1(0)" << 255 << "cdv0255|" << 255;
        QTest::newRow("beyond the range stops at Max") << "HHScroll1(8)" << 200 << "cdh8127|" << 127;
        QTest::newRow("north-south row") << "HScroll2(1)" << 40 << "cds140|" << 40;
    }
    void setRequestTexts() {
        QFETCH(QString, slider);
        QFETCH(int, value);
        QFETCH(QString, request);
        QFETCH(int, position);
        Rig r("2.10");
        r.slider(slider)->setValue(value);
        QCOMPARE(r.slider(slider)->value(), position);
        QCOMPARE(r.sent(), request);
        r.slider(slider)->setValue(value); // the position it has: no change, nothing sent
        QCOMPARE(r.sent(), QString());
    }

    void userKeysAndDrags() {
        Rig r("2.10");
        r.h.ctx().windows->show<TestAdjustWindow>();
        r.sent();
        QScrollBar* s = r.slider("HScroll1(0)");
        QCOMPARE(s->singleStep(), 1);
        QCOMPARE(s->pageStep(), 16);
        QCOMPARE(r.slider("HScroll2(0)")->pageStep(), 8);
        QCOMPARE(r.slider("HScroll2(0)")->maximum(), 63);
        // Each key's value goes out before the next key (keys faster than the line replace waiting values).
        QString sent;
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_PageDown, Qt::Key_Left, Qt::Key_End, Qt::Key_PageUp}) {
            QTest::keyClick(s, key);
            sent += r.sent();
        }
        QCOMPARE(sent, QString("cdv01|cdv017|cdv016|cdv0255|cdv0239|"));
        // The wheel over a slider without the focus scrolls the window, not the slider; with the focus it steps.
        auto wheel = [s] {
            QWheelEvent e(QPointF(5, 5), s->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(s, &e);
        };
        r.w->activateWindow();
        r.slider("HScroll1(1)")->setFocus();
        wheel();
        QCOMPARE(r.sent(), QString());
        s->setFocus();
        QTRY_VERIFY(s->hasFocus());
        wheel();
        QVERIFY(r.sent().startsWith("cdv0"));
        // A drag sends where the thumb is released, not every position on the way.
        s->setSliderDown(true);
        s->setSliderPosition(90);
        QCOMPARE(r.text("Text1(0)"), QString("90")); // the present box follows the thumb
        s->setSliderPosition(100);
        QCOMPARE(r.sent(), QString());
        s->setSliderDown(false);
        QCOMPARE(r.sent(), QString("cdv0100|"));
        QCOMPARE(r.text("Text1(0)"), QString("100"));
    }

    void typedPresentValues() {
        Rig r("2.10");
        r.h.ctx().windows->show<TestAdjustWindow>();
        r.sent();
        QLineEdit* box = r.get<QLineEdit>("Text1(1)");
        QVERIFY(!box->isReadOnly());
        QVERIFY(r.get<QLineEdit>("Text2(1)")->isReadOnly());
        QVERIFY(r.get<QLineEdit>("Text3(1)")->isReadOnly());
        QCOMPARE(r.slider("HScroll1(1)")->focusPolicy(), Qt::StrongFocus);
        const struct {
            const char* typed;
            const char* sent;
            const char* shown;
            bool refused;
        } cases[] = {{" 77", "cdv177|", "77", false},
                     {"300", "", "77", true},
                     {"-7", "", "77", true},
                     {"x", "", "77", false},
                     {"255", "cdv1255|", "255", false}};
        for (const auto& c : cases) {
            r.h.dialogs.messages.clear();
            box->setText(c.typed);
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(r.sent(), QString(c.sent));
            QCOMPARE(box->text(), QString(c.shown));
            QCOMPARE(r.h.dialogs.messages.size(), c.refused ? 1 : 0);
            if (c.refused)
                QCOMPARE(r.h.dialogs.messages.first().text, DacSendPolicy::rangeMessage("0", "255"));
        }
        // Another window active: the slider is locked, and so is typing into it.
        r.activateAnotherWindow();
        r.sent();
        box->setText("12");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(r.sent(), QString());
        QCOMPARE(box->text(), QString("255"));
    }

    void rowsWithoutAModelTable() {
        Rig r("2.10");
        r.h.ctx().windows->show<TestAdjustWindow>();
        r.sent();
        QScrollBar* s = r.slider("HScroll_Loose");
        s->setValue(9);
        QCOMPARE(r.get<QLabel>("lblLoosePV")->text(), QString("9"));
        QCOMPARE(r.get<QLabel>("lblLoose")->text(), QString("Loose"));
        QCOMPARE(r.sent(), QString("cx9|"));
        // Nothing to go back to, nothing to save or commit: the row keeps its place and nothing breaks.
        r.w->goBackToFactoryDefaults();
        r.w->goBackToInitialSettings();
        r.w->saveInitialSettings();
        r.w->ok();
        r.w->cancel();
        QCOMPARE(s->value(), 9);
        QVERIFY(!r.sent().contains("cx"));
    }

    void hiddenRowsGoWithTheirGatesAndStayPut() {
        Rig r;
        QScrollBar* hidden = r.slider("HScroll1(1)");
        hidden->setValue(10);
        hidden->hide();
        QVERIFY(hidden->parentWidget()->isHidden());
        r.model().verticalGroup.set(DacTable::Factory, 0, 0, 50);
        r.model().verticalGroup.set(DacTable::Factory, 1, 0, 99);
        r.w->goBackToFactoryDefaults();
        QCOMPARE(r.slider("HScroll1(0)")->value(), 50);
        QCOMPARE(hidden->value(), 10);
        hidden->show();
        QVERIFY(!hidden->parentWidget()->isHidden());
    }

    void activationOnlineQueuesReadsAndNeverEchoes() {
        Rig r("2.10");
        r.monitor->replies = {{"ddv", {"150,0,131,9,9,9,9"}},
                              {"ddpv", {"151,127,130,1,1,1,1"}},
                              {"ddfv", {"152,128,129,2,2,2,2"}},
                              {"ddh", {"140,0,128,128,3"}},
                              {"ddph", {"141,126,127,125,4"}},
                              {"ddfh", {"142,125,126,124,5"}},
                              {"dds", {"10,0,63,64"}},
                              {"ddps", {"North-South initial, Scan Set 1", "11,12,13,70"}},
                              {"ddfs", {"North-South factory, Scan Set 1", "21,22,23,24"}}};
        r.model().currentScanSet = 1;
        r.model().scanSetCaption = "Scan Set Selected: #2: 800x600 60Hz";
        r.h.ctx().windows->show<TestAdjustWindow>();
        QCOMPARE(r.w->scanSetLabel->text(), QString("Scan Set Selected: #2: 800x600 60Hz"));
        // Reads in group order, present, initial, factory; the sliders the answers moved send nothing back.
        QCOMPARE(r.sent(), QString("ddv|ddpv|ddfv|ddh|ddph|ddfh|dds|ddps|ddfs|"));
        QCOMPARE(r.text("Text1(0)"), QString("150"));
        QCOMPARE(r.text("Text3(0)"), QString("151"));
        QCOMPARE(r.text("Text2(0)"), QString("152"));
        QCOMPARE(r.text("HText1(8)"), QString("3"));
        QCOMPARE(r.slider("HScroll2(0)")->value(), 10);
        QCOMPARE(r.slider("HScroll2(2)")->value(), 63);
        QCOMPARE(r.slider("HScroll2(3)")->value(), 0); // 64 is above Max: shown, not taken
        QCOMPARE(r.cell(r.model().verticalGroup, DacTable::Value, 0, 1), 150);
        // What was read is what Cancel returns to.
        QCOMPARE(r.cell(r.model().verticalGroup, DacTable::Committed, 0, 1), 150);

        // Activated again: the same answers move nothing and send nothing.
        r.activateAnotherWindow();
        r.sent();
        r.h.ctx().windows->show<TestAdjustWindow>();
        QCOMPARE(r.sent(), QString("ddv|ddpv|ddfv|ddh|ddph|ddfh|dds|ddps|ddfs|"));
    }

    void offlineFillsFromTheModelAndSendsNothing() {
        ToolHarness h(ToolHarness::Port::Fake, factoryMode);
        h.start();
        MonitorModel& m = *h.ctx().model;
        m.currentScanSet = 2;
        for (int i = 0; i < 3; ++i) {
            m.verticalGroup.set(DacTable::Committed, i, 2, 100 + i);
            m.verticalGroup.set(DacTable::Factory, i, 2, 110 + i);
            m.verticalGroup.set(DacTable::Initial, i, 2, 120 + i);
        }
        m.horizontalGroup.set(DacTable::Committed, 8, 2, 300); // beyond the slider: it stops at Max
        const QString before = h.fakePort->writtenText();
        auto* w = h.ctx().windows->show<TestAdjustWindow>();
        QCOMPARE(w->findChild<QScrollBar*>("HScroll1(1)")->value(), 101);
        QCOMPARE(w->findChild<QLineEdit*>("Text1(1)")->text(), QString("101"));
        QCOMPARE(w->findChild<QLineEdit*>("Text2(1)")->text(), QString("111"));
        QCOMPARE(w->findChild<QLineEdit*>("Text3(1)")->text(), QString("121"));
        QCOMPARE(w->findChild<QLineEdit*>("HText1(8)")->text(), QString("127"));
        QVERIFY(!m.dataChanged); // filling is not a change
        // The user's change: model and dataChanged, nothing queued.
        QTest::keyClick(w->findChild<QScrollBar*>("HScroll1(1)"), Qt::Key_Right);
        QCOMPARE(m.verticalGroup.value[1][2], qint16(102));
        QVERIFY(m.dataChanged);
        // The search's ping is in flight: anything queued would wait in the queue.
        QVERIFY(h.ctx().queue()->awaitingAnswer());
        QCOMPARE(h.fakePort->writtenText(), before);
        QVERIFY(h.ctx().queue()->transmitQueue().isEmpty());
    }

    void factoryInitialAndSaveButtons() {
        Rig r("2.10");
        MonitorModel& m = r.model();
        for (int i = 0; i < 3; ++i) {
            m.verticalGroup.set(DacTable::Factory, i, 0, 50 + i);
            m.verticalGroup.set(DacTable::Initial, i, 0, 60 + i);
        }
        m.horizontalGroup.set(DacTable::Factory, 8, 0, 200); // beyond the S-capacitor row's 127: not its end
        r.h.ctx().windows->show<TestAdjustWindow>();
        r.sent();
        r.get<QPushButton>("Command1")->click();
        QCOMPARE(r.sent(), QString("cdv050|cdv151|cdv252|"));
        QCOMPARE(r.text("HText1(8)"), QString("0"));
        r.get<QPushButton>("Command1")->click(); // already there: nothing moves
        QCOMPARE(r.sent(), QString());
        r.get<QPushButton>("Command2")->click();
        QCOMPARE(r.sent(), QString("cdv060|cdv161|cdv262|"));

        r.slider("HScroll1(0)")->setValue(77);
        r.slider("HScroll2(3)")->setValue(33);
        r.sent();
        r.get<QPushButton>("Command6")->click();
        QCOMPARE(r.sent(), QString("cdvp|cdhp|cdsp|"));
        QCOMPARE(r.text("Text3(0)"), QString("77"));
        QCOMPARE(r.text("NText6(3)"), QString("33"));
        QCOMPARE(r.cell(m.verticalGroup, DacTable::Initial, 0, 0), 77);
        QCOMPARE(r.cell(m.northSouthGroup, DacTable::Initial, 3, 0), 33);
    }

    void okCommitsAndCancelReturns() {
        Rig r("2.10");
        MonitorModel& m = r.model();
        r.h.ctx().windows->show<TestAdjustWindow>();
        r.sent();
        r.slider("HScroll1(0)")->setValue(90);
        r.slider("HScroll1(1)")->setValue(91);
        r.get<QPushButton>("btnOK")->click();
        QVERIFY(!r.w->parentWidget()->isVisible());
        QCOMPARE(r.cell(m.verticalGroup, DacTable::Committed, 0, 0), 90);
        QCOMPARE(r.cell(m.verticalGroup, DacTable::Committed, 1, 0), 91);
        r.sent();

        r.h.ctx().windows->show<TestAdjustWindow>();
        r.sent();
        r.slider("HScroll1(0)")->setValue(10);
        r.sent();
        r.get<QPushButton>("btnCancel")->click();
        QVERIFY(!r.w->parentWidget()->isVisible());
        QCOMPARE(r.slider("HScroll1(0)")->value(), 90);
        QCOMPARE(r.text("Text1(0)"), QString("90"));
        QCOMPARE(r.sent(), QString("cdv090|")); // only the slider that moved back
        QCOMPARE(r.cell(m.verticalGroup, DacTable::Value, 0, 0), 90);
    }

    void onlyTheActiveWindowCanBeAdjusted() {
        Rig r;
        r.h.ctx().windows->show<TestAdjustWindow>();
        QScrollBar* s = r.slider("HScroll1(0)");
        QPushButton* save = r.get<QPushButton>("Command6");
        QPushButton* ok = r.get<QPushButton>("btnOK");
        QVERIFY(s->isEnabled() && save->isEnabled());
        r.activateAnotherWindow();
        QVERIFY(!s->isEnabled());
        QVERIFY(!save->isEnabled());
        QVERIFY(ok->isEnabled());
        QTest::keyClick(s, Qt::Key_Right);
        QCOMPARE(s->value(), 0);
        // The control's own state (the application mode's) is kept apart from the window's locks.
        s->setEnabled(true);
        QVERIFY(!s->isEnabled());
        save->setEnabled(false);
        r.h.ctx().windows->show<TestAdjustWindow>();
        QVERIFY(s->isEnabled());
        QVERIFY(!save->isEnabled());
    }

    void noScanSetSelectedStoresNothing() {
        Rig r("2.10");
        r.model().currentScanSet = 7; // after "DeSelect"
        r.slider("HScroll1(0)")->setValue(44);
        QCOMPARE(r.sent(), QString("cdv044|"));
        for (int set = 0; set < DacGroup::scanSetSlots; ++set)
            QCOMPARE(r.cell(r.model().verticalGroup, DacTable::Value, 0, set), 0);
        r.get<QPushButton>("btnOK")->click(); // no cell to commit to: refused, no crash
        QCOMPARE(r.cell(r.model().verticalGroup, DacTable::Committed, 0, 0), 0);
    }
};

QTEST_MAIN(DacAdjustTest)
#include "tst_dacadjust.moc"
