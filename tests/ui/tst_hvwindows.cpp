// The high-voltage windows as a user meets them: "&High Voltage" opens the HV window on a CRT without a G2
// adjustment board and "Adjust HV, Focus, G2" on one that reports it; the HV answer fills sliders, boxes, limits and
// readings without sending anything back; each control sends its request.
#include "adjust/HvWindows.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "model/MonitorModel.h"
#include "support/ScriptedMonitor.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QtTest>

namespace {

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

const QStringList hvReply = {"HV Control Value = 182, 180", "Focus Control Value = 120, 118",
                             "G2 Control Value = 95, 80",   "Video +80V Control Value = 140, 141",
                             "Upper Limit = 230",           "Lower Limit = 150",
                             "Current Limit = 200"};

struct Rig {
    ToolHarness h{ToolHarness::Port::Fake, factoryMode};
    std::unique_ptr<ScriptedMonitor> monitor;

    // 2.05 reports no capability: the HV window; 2.10 reports a G2 adjustment board: the G2 window.
    explicit Rig(const QString& version) {
        h.start();
        monitor = std::make_unique<ScriptedMonitor>(h);
        monitor->replies = {{"dh", hvReply}, {"dx", {"Capability = 0x7D"}}};
        if (!monitor->goOnline(version))
            qFatal("the tool did not come online");
    }
    ChildWindow* open() {
        QAction* item = h.app().mainWindow()->menus()->action("mnuAdjustHV");
        if (!item->isEnabled())
            return nullptr;
        item->trigger();
        return qobject_cast<ChildWindow*>(h.ctx().windows->area()->activeSubWindow()->widget());
    }
    template <class T> T* get(ChildWindow* w, const QString& name) {
        T* c = w->findChild<T*>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    QString sent() { return monitor->sent(); }
};

} // namespace

class HvWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void hvWindowShowsTheAnswerAndSendsNothingBack() {
        Rig r("2.05");
        ChildWindow* w = r.open();
        QVERIFY(w);
        QCOMPARE(w->objectName(), QString("frmMDI_HV"));
        QCOMPARE(w->windowTitle(), QString("High Voltage"));
        QCOMPARE(r.sent(), QString("dh|"));
        const QList<int> present{182, 120, 95, 140};
        const QStringList factory{"180", "118", "080", "141"};
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(r.get<QScrollBar>(w, QString("HScroll1(%1)").arg(k))->value(), present[k]);
            QCOMPARE(r.get<QLineEdit>(w, QString("Text1(%1)").arg(k))->text(), QString::number(present[k]));
            QCOMPARE(r.get<QLineEdit>(w, QString("Text2(%1)").arg(k))->text(), factory[k]);
        }
        QCOMPARE(r.get<QLineEdit>(w, "HVUpperLimitTextBox")->text(), QString("230"));
        QCOMPARE(r.get<QLineEdit>(w, "HVLowerLimitTextBox")->text(), QString("150"));
        QCOMPARE(r.get<QLabel>(w, "Label1(3)")->text(), QString("Video +80V Adjust"));
        QVERIFY(static_cast<FrmMDI_HV*>(w)->Enable_Updating);
        // Reading again moves nothing and sends nothing but the read.
        r.get<QAbstractButton>(w, "ReadADCButton")->click();
        QCOMPARE(r.sent(), QString("dh|"));
    }

    void g2WindowLimitsTheAnswerToItsRangeWithoutSendingIt() {
        Rig r("2.10");
        ChildWindow* w = r.open();
        QVERIFY(w);
        QCOMPARE(w->objectName(), QString("frmG2"));
        QCOMPARE(w->windowTitle(), QString("Adjust HV, Focus, G2"));
        // G2 80 and HV 182 stand at the top of the 6-bit range; the limited values are not sent back.
        QCOMPARE(r.sent(), QString("dh|da|"));
        QCOMPARE(r.get<QScrollBar>(w, "HScroll1(0)")->value(), 63);
        QCOMPARE(r.get<QScrollBar>(w, "HScroll1(1)")->value(), 63);
        QCOMPARE(r.get<QScrollBar>(w, "HScroll1(2)")->value(), 63);
        QCOMPARE(r.get<QLabel>(w, "Label4(0)")->text(), QString("63"));
        QCOMPARE(r.get<QLabel>(w, "Label2(0)")->text(), QString("63"));
        QCOMPARE(r.get<QLabel>(w, "G2Label")->text(), QString("0 V"));
    }

    // Each control of the two windows and what it sends.
    void requests_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed"); // slider position, or text typed into the box beside the button
        QTest::addColumn<QString>("expected");
        QTest::newRow("HV") << "2.05"
                            << "HScroll1(0)"
                            << "100"
                            << "chh100|";
        QTest::newRow("focus") << "2.05"
                               << "HScroll1(1)"
                               << "90"
                               << "chf90|";
        QTest::newRow("G2") << "2.05"
                            << "HScroll1(2)"
                            << "0"
                            << "chg0|";
        QTest::newRow("+80 V") << "2.05"
                               << "HScroll1(3)"
                               << "255"
                               << "chv255|";
        QTest::newRow("upper limit") << "2.05"
                                     << "HVUpperLimitSetButton"
                                     << "25"
                                     << "chu25|";
        QTest::newRow("upper limit empty") << "2.05"
                                           << "HVUpperLimitSetButton"
                                           << ""
                                           << "chu|";
        QTest::newRow("lower limit as typed") << "2.05"
                                              << "HVLowerLimitSetButton"
                                              << " 140"
                                              << "chl 140|";
        QTest::newRow("factory") << "2.05"
                                 << "btnRestoreFactoryDefaults"
                                 << ""
                                 << "chr|dh|";
        QTest::newRow("G2 window: G2") << "2.10"
                                       << "HScroll1(0)"
                                       << "12"
                                       << "chg12|";
        QTest::newRow("G2 window: HV") << "2.10"
                                       << "HScroll1(1)"
                                       << "30"
                                       << "chh30|";
        QTest::newRow("G2 window: focus") << "2.10"
                                          << "HScroll1(2)"
                                          << "40"
                                          << "chf40|";
        QTest::newRow("G2 window: factory") << "2.10"
                                            << "btnUseFactoryDefaults"
                                            << ""
                                            << "chr|dh|";
    }
    void requests() {
        QFETCH(QString, version);
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        Rig r(version);
        ChildWindow* w = r.open();
        QVERIFY(w);
        r.sent();
        if (auto* slider = w->findChild<QScrollBar*>(control)) {
            slider->setValue(typed.toInt());
        } else {
            if (control.startsWith("HVUpper"))
                r.get<QLineEdit>(w, "HVUpperLimitTextBox")->setText(typed);
            else if (control.startsWith("HVLower"))
                r.get<QLineEdit>(w, "HVLowerLimitTextBox")->setText(typed);
            r.get<QAbstractButton>(w, control)->click();
        }
        // The factory restore's read brings the answer's values back, which are not sent either.
        QCOMPARE(r.sent(), expected);
    }
};

QTEST_MAIN(HvWindowsTest)
#include "tst_hvwindows.moc"
