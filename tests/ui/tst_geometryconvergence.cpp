// The geometry and convergence windows on the DAC adjustment pattern, opened from the menus of a tool connected to
// a scripted monitor: the north-south rules by firmware class and capability, the S-capacitor row's limit, the
// convergence labels (present after a blank, initial and factory beside them), the buttons that take their values
// from those labels, centre all, and the goal window's buttons.
#include "adjust/FrmConvergence.h"
#include "adjust/FrmConvergenceGoal.h"
#include "adjust/FrmGeometryAdj.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "model/MonitorModel.h"
#include "support/ScriptedMonitor.h"
#include "support/ToolHarness.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace {

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");
const QString geometryReads = "ddv|ddh|ddpv|ddph|ddfv|ddfh|";

struct Rig {
    ToolHarness h{ToolHarness::Port::Fake, factoryMode};
    std::unique_ptr<ScriptedMonitor> monitor;

    Rig(const QString& version, const QHash<QString, QStringList>& replies) {
        h.start();
        monitor = std::make_unique<ScriptedMonitor>(h);
        monitor->replies = replies;
        if (!monitor->goOnline(version))
            qFatal("the tool did not come online");
    }
    MonitorModel& model() { return *h.ctx().model; }
    // Chooses a menu item as the user does; the monitor's family must offer it.
    void choose(const char* name) {
        QAction* a = h.app().mainWindow()->menus()->action(QLatin1String(name));
        QVERIFY2(a && a->isEnabled(), name);
        a->trigger();
        monitor->settle();
    }
    template <class T> T* get(QWidget* w, const QString& name) {
        T* c = w->findChild<T*>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    QString sent() { return monitor->sent(); }
};

QHash<QString, QStringList> convergenceReplies(bool withInitial) {
    QHash<QString, QStringList> replies;
    const char* letters = "adegik";
    for (int k = 0; k < 6; ++k) {
        const QString g(QChar::fromLatin1(letters[k]));
        replies.insert("dd" + g, {"Present, Scan Set 1", QString("%1,20,30,60").arg(10 + k)});
        replies.insert("ddf" + g, {"Factory, Scan Set 1", "32,33,34,35"});
        if (withInitial)
            replies.insert("ddp" + g, {"Initial, Scan Set 1", "40,41,42,43"});
    }
    replies.insert("dx", {"Capability = 0x7D"});
    return replies;
}

} // namespace

class GeometryConvergenceTest : public QObject {
    Q_OBJECT
private slots:
    void northSouthRowsByClassAndCapability_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("capability");
        QTest::addColumn<QString>("reads");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("movedByFactory");
        QTest::addColumn<QString>("saves");
        QTest::newRow("first family: disabled, still moved")
            << "1.38"
            << "" << geometryReads << false << true << "cdvp|cdhp|cdsp|";
        QTest::newRow("with north-south")
            << "2.50"
            << "Capability = 0x7D" << geometryReads + "dds|ddps|ddfs|" << true << false << "cdvp|cdhp|cdsp|";
        QTest::newRow("without north-south")
            << "2.50"
            << "Capability = 0x6D" << geometryReads << false << false << "cdvp|cdhp|cdsp|";
    }
    void northSouthRowsByClassAndCapability() {
        QFETCH(QString, version);
        QFETCH(QString, capability);
        QFETCH(QString, reads);
        QFETCH(bool, enabled);
        QFETCH(bool, movedByFactory);
        QFETCH(QString, saves);
        Rig r(version, {{"dx", {capability}}, {"dds", {"0,0,0,0"}}});
        r.sent();
        r.choose("mnuAdjustGeometry");
        auto* w = r.h.ctx().windows->existing<FrmGeometryAdj>();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QString("Geometry Adjustment"));
        QCOMPARE(r.sent(), reads);
        // Rows 0 to 2 follow the rule (the group counts three); row 3 is left as it is.
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(r.get<QScrollBar>(w, QString("HScroll2(%1)").arg(i))->isEnabled(), enabled);
            QCOMPARE(r.get<QLabel>(w, QString("Label7(%1)").arg(i))->isEnabled(), enabled);
            QCOMPARE(r.get<QLineEdit>(w, QString("NText6(%1)").arg(i))->isEnabled(), enabled);
        }
        // Row 3 is outside the rule: adjustable once the monitor's value is read.
        QCOMPARE(r.get<QScrollBar>(w, "HScroll2(3)")->isEnabled(), reads.contains("dds"));
        // A monitor without the rows says so where their values would be.
        QCOMPARE(r.get<QLabel>(w, "lblNorthSouthNote(3)")->isVisibleTo(w), !enabled);
        QCOMPARE(r.get<QLineEdit>(w, "NText4(3)")->isVisibleTo(w), enabled);

        for (int i = 0; i < 4; ++i)
            r.model().northSouthGroup.set(DacTable::Factory, i, r.model().currentScanSet, 40 + i);
        r.get<QPushButton>(w, "Command1")->click();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(r.get<QScrollBar>(w, QString("HScroll2(%1)").arg(i))->value(), movedByFactory ? 40 + i : 0);
        QCOMPARE(r.get<QScrollBar>(w, "HScroll2(3)")->value(), 0);
        r.sent();
        r.get<QPushButton>(w, "Command6")->click();
        QCOMPARE(r.sent(), saves);
        QCOMPARE(r.get<QPushButton>(w, "Command6")->toolTip(),
                 QString("Set the Power On Defaults to the Current Settings"));
    }

    void sCapRowShowsAValueBeyond127WithoutTakingIt() {
        Rig r("2.50", {{"ddh", {"1,2,3,4,200"}}, {"ddfh", {"5,6,7,8,200"}}, {"dx", {"Capability = 0x7D"}}});
        r.choose("mnuAdjustGeometry");
        auto* w = r.h.ctx().windows->existing<FrmGeometryAdj>();
        QScrollBar* sCap = r.get<QScrollBar>(w, "HHScroll1(8)");
        QLineEdit* present = r.get<QLineEdit>(w, "HText1(8)");
        QCOMPARE(sCap->maximum(), 127);
        // The monitor's 200 is shown, not taken: the row is locked and sends nothing, the factory 200 neither.
        QCOMPARE(present->text(), QString("200"));
        QVERIFY(!sCap->isEnabled());
        QCOMPARE(r.get<QLabel>(w, "HLabel1(8)")->text(), QString("Horiz S Cap"));
        r.sent();
        r.get<QPushButton>(w, "Command1")->click();
        QVERIFY(!r.sent().contains("cdh8"));
        QCOMPARE(present->text(), QString("200"));
        // A value typed within the range is the user's: sent, and the row is free again.
        present->setText("20");
        QTest::keyClick(present, Qt::Key_Return);
        QCOMPARE(r.sent(), QString("cdh820|"));
        QVERIFY(sCap->isEnabled());
    }

    void convergenceDetails() {
        Rig r("2.50", convergenceReplies(false));
        r.sent();
        r.choose("mnuAdjustmentConvergence");
        auto* w = r.h.ctx().windows->existing<FrmConvergence>();
        QVERIFY(w && w->isVisible());
        // The reads went out; the sliders the answers moved sent nothing back.
        const QString reads = r.sent();
        QVERIFY2(reads.startsWith("dda|ddpa|ddfa|ddd|") && !reads.contains("cd"), qPrintable(reads));
        QCOMPARE(r.get<QScrollBar>(w, "HScroll6(0)")->value(), 10);
        QCOMPARE(r.get<QScrollBar>(w, "HScroll3(3)")->value(), 60);
        QCOMPARE(r.get<QLabel>(w, "Label16(0)")->text(), QString(" 10"));
        QCOMPARE(r.get<QLabel>(w, "Label16(8)")->text(), QString("32"));
        // Present, factory, initial from left to right, as in every adjustment window.
        const auto columnOf = [&](const char* label) { return r.get<QLabel>(w, label)->x(); };
        QVERIFY(columnOf("Label16(0)") < columnOf("Label16(8)") && columnOf("Label16(8)") < columnOf("Label16(4)"));
        // The button row, left to right on one line, none of them at the window's corner.
        int left = -1;
        const int line = r.get<QPushButton>(w, "btnDone")->mapTo(w, QPoint(0, 0)).y() + 8;
        for (const char* name :
             {"btnReRead", "btnUseFactoryDefaults", "btnUseInitialSettings", "btnSetInitialSettings", "btnDone"}) {
            const QRect at(r.get<QPushButton>(w, name)->mapTo(w, QPoint(0, 0)), r.get<QPushButton>(w, name)->size());
            QVERIFY2(at.left() > left && at.top() <= line && at.bottom() >= line, name);
            left = at.right();
        }

        // The initial labels are still blank: nothing moves, the user is told.
        r.get<QPushButton>(w, "btnUseFactoryDefaults")->click();
        QCOMPARE(r.h.dialogs.messages.size(), 1);
        QCOMPARE(r.h.dialogs.messages.last().text, FrmConvergence::initialValuesMissing());
        QCOMPARE(r.sent(), QString());

        // With initial labels the buttons take the labels' numbers; the offset group counts from 1 after a blank.
        r.get<QLabel>(w, "Label16(4)")->setText("41");
        r.get<QPushButton>(w, "btnUseFactoryDefaults")->click();
        QCOMPARE(r.get<QScrollBar>(w, "HScroll6(0)")->value(), 32);
        QVERIFY(r.sent().startsWith("cda 132|cda 233|cda 334|cda 435|cdd032|"));
        QCOMPARE(r.get<QLabel>(w, "Label16(0)")->text(), QString(" 32"));

        r.get<QPushButton>(w, "btnCenterAll")->click();
        QCOMPARE(r.get<QScrollBar>(w, "HScroll6(1)")->value(), 128);
        QCOMPARE(r.get<QScrollBar>(w, "HScroll1(1)")->value(), 32);
        r.sent();
        r.get<QPushButton>(w, "btnSetInitialSettings")->click();
        QCOMPARE(r.sent(), QString("cdap|cddp|cdep|cdgp|cdip|cdkp|"));
        r.get<QCheckBox>(w, "ckOnOff")->setChecked(true);
        r.get<QCheckBox>(w, "ckOnOff")->setChecked(false);
        QCOMPARE(r.sent(), QString("cac1|cac0|"));
    }

    void directionButtonNumbering_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("colour");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("step");
        QTest::newRow("1") << 1 << 1 << 1 << 1;
        QTest::newRow("9") << 9 << 2 << 1 << 1;
        QTest::newRow("16") << 16 << 2 << 4 << 16;
        QTest::newRow("24") << 24 << 3 << 4 << 16;
        QTest::newRow("none") << 25 << 0 << 0 << 0;
    }
    void directionButtonNumbering() {
        QFETCH(int, button);
        const ConvergenceStep s = ConvergenceStep::ofButton(button);
        QTEST(s.colour, "colour");
        QTEST(s.direction, "direction");
        QTEST(s.step, "step");
    }

    void goalButtonsMoveTheCoupledSliders() {
        Rig r("2.50", convergenceReplies(true));
        r.choose("mnuAdjustmentConvergence");
        r.choose("mnuAdjustmentConvergenceGoals");
        auto* goal = r.h.ctx().windows->existing<FrmConvergenceGoal>();
        QVERIFY(goal && goal->isVisible());
        r.sent();
        // No position chosen yet: nothing moves.
        r.get<QPushButton>(goal, "btnAdjConv(1)")->click();
        QCOMPARE(r.sent(), QString());
        // Position 4 (left), colour 1, direction 3, coarse (button 7): +1.1 -1.2 -4.0 +4.2. Horizontal ramp element 1
        // at 20 goes to 36, element 2 at 30 to 14; horizontal parabola element 0 at 14 stops at 0, element 2 at 30
        // goes to 46.
        r.get<QPushButton>(goal, "btnConvLoc(3)")->click();
        QCOMPARE(goal->selectedLocation(), 4);
        QCOMPARE(r.get<QPushButton>(goal, "btnConvLoc(3)")->palette().color(QPalette::Button), QColor(255, 0, 0));
        r.get<QPushButton>(goal, "btnAdjConv(7)")->click();
        QCOMPARE(r.sent(), QString("cdd136|cdd214|cdi00|cdi246|"));
        // A coarse step stops at the slider's end: position 2, colour 2, direction 2 (button 14): +2.3 -5.3.
        r.get<QPushButton>(goal, "btnConvLoc(1)")->click();
        QVERIFY(r.get<QPushButton>(goal, "btnConvLoc(3)")->palette().color(QPalette::Button) != QColor(255, 0, 0));
        r.get<QPushButton>(goal, "btnAdjConv(14)")->click();
        QCOMPARE(r.sent(), QString("cde363|cdk344|"));
        // Saving from the goal window asks the monitor and shows the present positions as initial values.
        r.get<QPushButton>(goal, "btnSetInitialSettings")->click();
        QCOMPARE(r.sent(), QString("cdap|cddp|cdep|cdgp|cdip|cdkp|"));
        auto* details = r.h.ctx().windows->existing<FrmConvergence>();
        QCOMPARE(r.get<QLabel>(details, "Label18(7)")->text(), QString("63"));
    }
};

QTEST_MAIN(GeometryConvergenceTest)
#include "tst_geometryconvergence.moc"
