// What the monitor's family offers once it is found, as a user meets it through the menus: the menus and window
// controls each firmware class sets up, the "Monitor Configuration" window, the two scan-set windows, and the
// warning before a save that would hold no adjustment values.
#include "adjust/FrmBrightnessContrast.h"
#include "adjust/FrmVideoAdj.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "model/MonitorModel.h"
#include "model/windows/DataFileCommands.h"
#include "model/windows/FrmCapability.h"
#include "model/windows/FrmCurrentScanSet.h"
#include "model/windows/FrmScanSelect.h"
#include "support/ScriptedMonitor.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

namespace {

QString modeSettings(const QString& mode) {
    return "[StartUp]\nRunType=1\nInitialMode=" + mode + "\n";
}

// The menu items the family set-up acts on.
const QStringList familyItems{"mnuAdjust",
                              "mnuAdjustGeometry",
                              "mnuAdjustHV",
                              "mnuAdjustmentConvergence",
                              "mnuAdjustmentConvergenceGoals",
                              "mnuAdjustmentBrightnessContrast",
                              "mnuAdjustVideo",
                              "mnuInfo",
                              "mnuInfoID",
                              "mnuInfoVersion",
                              "mnuInfoOperatingHours",
                              "mnuInfoCurrentScan",
                              "mnuDiagnosticsOperating",
                              "mnuDiagnosticsVoltages",
                              "frmDiagnosticsDeflectionStatus",
                              "mnuDiagnosticsHVLimits",
                              "mnuDiagnosticsFPControls",
                              "mnuDiagnosticsDeflHV",
                              "mnuDiagnosticsI2c",
                              "mnuDiagnosticsCommLogging",
                              "mnuConfigureBacklight",
                              "mnuConfigureHeater"};

// The family menu items offered once a monitor of a kind is found: "found" is a monitor just found (before
// its version answer; a class of no family keeps it), then the families.
QStringList offered(const QString& kind) {
    const QStringList found{"mnuAdjustmentBrightnessContrast",
                            "mnuInfo",
                            "mnuInfoID",
                            "mnuInfoOperatingHours",
                            "mnuDiagnosticsOperating",
                            "mnuDiagnosticsVoltages",
                            "frmDiagnosticsDeflectionStatus",
                            "mnuDiagnosticsHVLimits",
                            "mnuDiagnosticsDeflHV",
                            "mnuDiagnosticsCommLogging"};
    const QStringList crt1{"mnuAdjust",
                           "mnuAdjustGeometry",
                           "mnuAdjustmentBrightnessContrast",
                           "mnuAdjustVideo",
                           "mnuInfo",
                           "mnuInfoID",
                           "mnuInfoVersion",
                           "mnuInfoOperatingHours",
                           "mnuDiagnosticsOperating",
                           "mnuDiagnosticsVoltages",
                           "frmDiagnosticsDeflectionStatus",
                           "mnuDiagnosticsHVLimits",
                           "mnuDiagnosticsDeflHV",
                           "mnuDiagnosticsCommLogging"};
    const QStringList crt2{"mnuAdjust",
                           "mnuAdjustGeometry",
                           "mnuAdjustHV",
                           "mnuAdjustmentConvergence",
                           "mnuAdjustmentBrightnessContrast",
                           "mnuAdjustVideo",
                           "mnuInfo",
                           "mnuInfoID",
                           "mnuInfoVersion",
                           "mnuInfoOperatingHours",
                           "mnuInfoCurrentScan",
                           "mnuDiagnosticsOperating",
                           "mnuDiagnosticsVoltages",
                           "frmDiagnosticsDeflectionStatus",
                           "mnuDiagnosticsHVLimits",
                           "mnuDiagnosticsDeflHV",
                           "mnuDiagnosticsI2c",
                           "mnuDiagnosticsCommLogging"};
    const QStringList panel{"mnuAdjustmentBrightnessContrast",
                            "mnuInfo",
                            "mnuInfoID",
                            "mnuInfoOperatingHours",
                            "mnuDiagnosticsFPControls",
                            "frmDiagnosticsDeflectionStatus",
                            "mnuDiagnosticsI2c",
                            "mnuDiagnosticsCommLogging",
                            "mnuConfigureBacklight",
                            "mnuConfigureHeater"};
    const QStringList panel315 = panel + QStringList{"mnuAdjust", "mnuAdjustVideo"};
    const QStringList led{"mnuAdjust",         "mnuAdjustmentBrightnessContrast", "mnuInfo",
                          "mnuInfoID",         "mnuInfoOperatingHours",           "mnuDiagnosticsFPControls",
                          "mnuDiagnosticsI2c", "mnuDiagnosticsCommLogging",       "mnuConfigureBacklight",
                          "mnuConfigureHeater"};
    const QHash<QString, QStringList> kinds{{"found", found}, {"crt1", crt1},         {"crt2", crt2},
                                            {"panel", panel}, {"panel315", panel315}, {"led", led}};
    return kinds.value(kind);
}

// The tool on the fake port with a scripted monitor.
struct Tool {
    ToolHarness h;
    ScriptedMonitor monitor{(h.start(), h)};

    explicit Tool(const QString& mode = QStringLiteral("FactoryMode"))
        : h(ToolHarness::Port::Fake, modeSettings(mode)) {}

    bool online(const QString& version) { return monitor.goOnline(version); }
    MonitorModel& model() { return *h.ctx().model; }
    QAction* item(const QString& name) { return h.app().mainWindow()->menus()->action(name); }
    QStringList enabledItems() {
        QStringList on;
        for (const QString& name : familyItems)
            if (item(name)->isEnabled())
                on << name;
        return on;
    }
    // Chooses a menu item as the user does: only when it and its menu are offered.
    bool choose(const QString& name) {
        QAction* a = item(name);
        const MainMenus::Entry* entry = nullptr;
        for (const MainMenus::Entry& e : MainMenus::tree())
            if (name == QLatin1String(e.name))
                entry = &e;
        if (!a || !a->isEnabled() || !entry || (entry->parent && !item(entry->parent)->isEnabled()))
            return false;
        a->trigger();
        return true;
    }
    template <class T> T* window() { return h.ctx().windows->existing<T>(); }
    template <class T> T* control(ChildWindow* w, const QString& name) {
        T* c = w ? w->findChild<T*>(name) : nullptr;
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    // What the family's windows show, met through the menus; the capability answer reports every board.
    QStringList windowFacts() {
        QStringList facts;
        if (choose("mnuAdjustVideo") && window<FrmVideoAdj>()->offsetRowsShown())
            facts << "low brightness";
        if (choose("mnuAdjustmentBrightnessContrast") &&
            control<QLabel>(window<FrmBrightnessContrast>(), "lblHystC")->isVisibleTo(window<FrmBrightnessContrast>()))
            facts << "hysteresis";
        monitor.sent();
        if (choose("mnuInfoID"))
            facts << "ID " + monitor.sent().section('|', 0, 1);
        if (choose("mnuDiagnosticsOperating"))
            facts << h.app().mainWindow()->mdiArea()->activeSubWindow()->widget()->objectName();
        receive("dx\r\nCapability = 0xFF\r\n#\r\n");
        choose("mnuInfoConfiguration");
        const QColor lvps = control<QPushButton>(window<FrmCapability>(), "btnLVPS")->palette().color(QPalette::Button);
        if (lvps == FrmCapability::reportedColour())
            facts << "capability";
        return facts;
    }
    QStringList inMenuOrder(const QStringList& items) {
        QStringList ordered;
        for (const QString& name : familyItems)
            if (items.contains(name))
                ordered << name;
        return ordered;
    }
    void receive(const QByteArray& answer) {
        h.fakePort->receive(answer);
        monitor.settle();
    }
};

} // namespace

class FamilyTest : public QObject {
    Q_OBJECT
private slots:
    // The menus each firmware class offers once the monitor is found (the state before the version answer is
    // that of a monitor just found: items a family leaves alone keep it).
    void familyMenus_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("on");
        QTest::addColumn<bool>("boardIdentity");
        QTest::addColumn<bool>("asksCapability");
        const QStringList found = offered("found"), crt1 = offered("crt1"), crt2 = offered("crt2"),
                          panel = offered("panel"), panel315 = offered("panel315"), led = offered("led");
        QStringList crt2User = crt2;
        crt2User.removeAll("mnuDiagnosticsDeflHV");
        QTest::newRow("1.38") << "1.38"
                              << "FactoryMode" << crt1 << false << false;
        QTest::newRow("1.39: none") << "1.39"
                                    << "FactoryMode" << found << false << false;
        QTest::newRow("1.99: none") << "1.99"
                                    << "FactoryMode" << found << false << false;
        QTest::newRow("2.00, no capability") << "2.00"
                                             << "FactoryMode" << crt2 << true << false;
        QTest::newRow("2.09") << "2.09"
                              << "FactoryMode" << crt2 << true << true;
        QTest::newRow("2.98") << "2.98"
                              << "FactoryMode" << crt2 << true << true;
        QTest::newRow("2.10, installation mode") << "2.10"
                                                 << "UserMode" << crt2User << true << true;
        QTest::newRow("2.99: none") << "2.99"
                                    << "FactoryMode" << found << false << false;
        QTest::newRow("3.00") << "3.00"
                              << "FactoryMode" << panel << false << false;
        QTest::newRow("3.15") << "3.15"
                              << "FactoryMode" << panel315 << false << true;
        QTest::newRow("3.16") << "3.16"
                              << "FactoryMode" << panel315 << false << true;
        QTest::newRow("3.17") << "3.17"
                              << "FactoryMode" << panel << false << true;
        QTest::newRow("3.98") << "3.98"
                              << "FactoryMode" << panel << false << true;
        QTest::newRow("3.99: none") << "3.99"
                                    << "FactoryMode" << found << false << false;
        QTest::newRow("4.00") << "4.00"
                              << "FactoryMode" << led << false << true;
        QTest::newRow("4.98") << "4.98"
                              << "FactoryMode" << led << false << true;
        QTest::newRow("4.99: none") << "4.99"
                                    << "FactoryMode" << found << false << false;
        QTest::newRow("5.00: none") << "5.00"
                                    << "FactoryMode" << found << false << false;
    }
    void familyMenus() {
        QFETCH(QString, version);
        QFETCH(QString, mode);
        QFETCH(QStringList, on);
        QFETCH(bool, boardIdentity);
        QFETCH(bool, asksCapability);
        Tool t(mode);
        QVERIFY(t.online(version));
        QCOMPARE(t.enabledItems(), [&] {
            QStringList ordered;
            for (const QString& name : familyItems)
                if (on.contains(name))
                    ordered << name;
            return ordered;
        }());
        QCOMPARE(t.model().hasBoardIdentity, boardIdentity);
        QCOMPARE(t.monitor.answered.contains("dx"), asksCapability);
    }

    // The edges of the firmware-class ranges: the menus each class offers and what its windows show.
    void classBoundaries_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("menus");
        QTest::addColumn<QStringList>("windows");
        const QString cls1 = "frmTestPoint", cls2 = "frmMDITestPoints";
        const QStringList lowBrt{"low brightness", "hysteresis", "ID dms|dss", cls2, "capability"};
        QTest::newRow("0.99") << "0.99"
                              << "crt1" << QStringList{"ID ", cls1};
        QTest::newRow("1.00") << "1.00"
                              << "crt1" << QStringList{"ID dm|ds", cls1};
        QTest::newRow("1.38") << "1.38"
                              << "crt1" << QStringList{"ID dm|ds", cls1};
        QTest::newRow("1.39") << "1.39"
                              << "found" << QStringList{"ID dm|ds", cls1};
        QTest::newRow("1.99") << "1.99"
                              << "found" << QStringList{"ID dm|ds", cls1};
        QTest::newRow("2.00") << "2.00"
                              << "crt2" << QStringList{"ID dms|dss", cls2};
        QTest::newRow("2.08") << "2.08"
                              << "crt2" << QStringList{"ID dms|dss", cls2};
        QTest::newRow("2.09") << "2.09"
                              << "crt2" << QStringList{"ID dms|dss", cls2, "capability"};
        QTest::newRow("2.16") << "2.16"
                              << "crt2" << lowBrt;
        QTest::newRow("2.17") << "2.17"
                              << "crt2" << lowBrt;
        QTest::newRow("2.98") << "2.98"
                              << "crt2" << lowBrt;
        QTest::newRow("2.99") << "2.99"
                              << "found" << QStringList{"ID dms|dss", cls1, "capability"};
        QTest::newRow("3.00") << "3.00"
                              << "panel" << QStringList{"ID dms|dss"};
        QTest::newRow("3.09") << "3.09"
                              << "panel" << QStringList{"ID dms|dss"};
        QTest::newRow("3.10") << "3.10"
                              << "panel" << QStringList{"ID dms|dss", "capability"};
        QTest::newRow("3.98") << "3.98"
                              << "panel" << QStringList{"ID dms|dss", "capability"};
        QTest::newRow("3.99") << "3.99"
                              << "found" << QStringList{"ID ", cls1, "capability"};
        QTest::newRow("4.00") << "4.00"
                              << "led" << QStringList{"ID dms|dss", "capability"};
        QTest::newRow("4.98") << "4.98"
                              << "led" << QStringList{"ID dms|dss", "capability"};
        QTest::newRow("4.99") << "4.99"
                              << "found" << QStringList{"ID ", cls1};
    }
    void classBoundaries() {
        QFETCH(QString, version);
        QFETCH(QString, menus);
        QFETCH(QStringList, windows);
        Tool t;
        QVERIFY(t.online(version));
        QCOMPARE(t.enabledItems(), t.inMenuOrder(offered(menus)));
        QCOMPARE(t.windowFacts(), windows);
    }

    // The set-up is not undone: a class of no family leaves everything as the last family set it, a data file's
    // version sets up its family with no monitor (and asks nobody), and boot mode's disabled menus come back
    // when the firmware runs again.
    void familySetUpOverTime() {
        Tool t;
        QVERIFY(t.online("2.50"));
        const QStringList crt = t.enabledItems();
        t.receive("df\r\nV 2.99\r\n#\r\n");
        QCOMPARE(t.model().firmwareClass, 299);
        QVERIFY(t.model().hasBoardIdentity);
        QCOMPARE(t.enabledItems(), crt);

        t.h.app().mainWindow()->setBootMode(); // the monitor dropped into its boot block
        QVERIFY(!t.item("mnuAdjust")->isEnabled() && !t.item("mnuInfo")->isEnabled());
        t.receive("df\r\nV 2.50\r\n#\r\n");
        QVERIFY(t.item("mnuAdjust")->isEnabled() && t.item("mnuInfo")->isEnabled());

        t.item("mnuMonitorOffline")->trigger();
        const QString file = t.h.m_dir.filePath("panel.mdv");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\"Kestrane Monitor DAC Value File\"\r\n\"Version 2.0\"\r\n\"File Created: \",\"written by hand "
                "for a test\"\r\n\"Firmware Version: \",\"V 3.15\"\r\n\"NumScanSets\",6\r\n"
                "\"ScanSet\",1\r\n\"ScanSetName\",\"Stored timing\"\r\n");
        f.close();
        t.monitor.takeWritten();
        t.h.dialogs.files.enqueue(file);
        QVERIFY(t.choose("mnuFileOpen"));
        QVERIFY2(t.h.dialogs.messages.isEmpty(), qPrintable(t.h.dialogs.texts().join(" / ")));
        QCOMPARE(t.model().firmwareClass, 315);
        QVERIFY(t.item("mnuAdjustVideo")->isEnabled());
        QVERIFY(!t.item("mnuAdjustGeometry")->isEnabled());
        QVERIFY(!t.model().hasBoardIdentity);
        QVERIFY(t.choose("mnuAdjustVideo")); // the values of a file are adjusted without a monitor
        QVERIFY(t.choose("mnuConfigureSelectScanSet"));
        QCOMPARE(t.control<QLabel>(t.window<FrmScanSelect>(), "ScanName(1)")->text(), QString("Stored timing"));
        t.monitor.settle();
        QVERIFY(!t.monitor.takeWritten().contains("dx"));
    }

    // The capability answer offers the adjustments of the boards a CRT reports and takes back the others,
    // after its family set-up has offered them.
    void capabilityAnswerAfterTheFamily_data() {
        QTest::addColumn<QString>("capability");
        QTest::addColumn<QStringList>("enabled");
        const QStringList video{"mnuAdjustmentBrightnessContrast", "mnuAdjustVideo"};
        const QStringList convergence{"mnuAdjustmentConvergence", "mnuAdjustmentConvergenceGoals"};
        QTest::newRow("none") << "0" << QStringList();
        QTest::newRow("video") << "4" << video;
        QTest::newRow("deflection") << "8" << QStringList{"mnuAdjustGeometry"};
        QTest::newRow("convergence, hexadecimal") << "0x20" << convergence;
        QTest::newRow("G2") << "64" << QStringList{"mnuAdjustHV"};
        QTest::newRow("boards without menus, octal") << "0223" << QStringList();
        QTest::newRow("every board") << "255" << video + convergence + QStringList{"mnuAdjustGeometry", "mnuAdjustHV"};
    }
    void capabilityAnswerAfterTheFamily() {
        QFETCH(QString, capability);
        QFETCH(QStringList, enabled);
        Tool t;
        t.monitor.replies["dx"] = QStringList{"Capability = " + capability};
        QVERIFY(t.online("2.50"));
        for (const QString item : {"mnuAdjustmentBrightnessContrast", "mnuAdjustVideo", "mnuAdjustGeometry",
                                   "mnuAdjustmentConvergence", "mnuAdjustmentConvergenceGoals", "mnuAdjustHV"})
            QVERIFY2(t.item(item)->isEnabled() == enabled.contains(item), qPrintable(item));
    }

    // "Monitor Configuration": green for what the monitor reported, red otherwise, and words for the classes
    // that report nothing; the further caption by family.
    void configurationWindow_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("capability");
        QTest::addColumn<QString>("colours"); // LVPS first, G green, R red, - neither (nothing reported)
        QTest::addColumn<QString>("caption");
        QTest::newRow("2.10") << "2.10"
                              << "0x7D"
                              << "GRGGGGGR"
                              << "Deflection";
        QTest::newRow("2.08: not asked") << "2.08"
                                         << "0xFF"
                                         << "--------"
                                         << "Deflection";
        QTest::newRow("3.05") << "3.05"
                              << "0xFF"
                              << "--------"
                              << "Deflection";
        QTest::newRow("3.10") << "3.10"
                              << "0x83"
                              << "GGRRRRRG"
                              << "Deflection";
        QTest::newRow("3.15") << "3.15"
                              << "0x87"
                              << "GGGRRRRG"
                              << "LED Backlight";
        QTest::newRow("4.05") << "4.05"
                              << "7"
                              << "GGGRRRRR"
                              << "Deflection";
    }
    void configurationWindow() {
        QFETCH(QString, version);
        QFETCH(QString, capability);
        QFETCH(QString, colours);
        QFETCH(QString, caption);
        Tool t;
        QVERIFY(t.online(version));
        // The capability as the monitor reports it (asked by the family set-up, or not at all).
        t.receive("dx\r\nCapability = " + capability.toLatin1() + "\r\n#\r\n");
        QVERIFY(t.choose("mnuInfoConfiguration"));
        FrmCapability* w = t.window<FrmCapability>();
        QVERIFY(w && w->parentWidget()->isVisible());
        QCOMPARE(w->windowTitle(), QString("Monitor Configuration"));
        auto shown = [&] {
            QString out;
            for (const QString name : {"btnLVPS", "btnPwrDist", "btnVideo", "btnDeflection", "btnNS", "btnConvergence",
                                       "btnG2", "btnExpLEDs"}) {
                const QColor c = t.control<QPushButton>(w, name)->palette().color(QPalette::Button);
                out += c == FrmCapability::reportedColour() ? 'G' : c == FrmCapability::notReportedColour() ? 'R' : '-';
            }
            return out;
        };
        QCOMPARE(shown(), colours);
        QCOMPARE(t.control<QLabel>(w, "lblNotReported")->isVisibleTo(w), colours.startsWith('-'));
        QCOMPARE(t.control<QLabel>(w, "lblFurtherCaption")->text(), caption);
        QCOMPARE(t.control<QLabel>(w, "lblLVPS")->text(), QString("Low Voltage Power Supply"));
        QVERIFY(t.monitor.sent().isEmpty()); // the window asks nothing itself

        // A later answer shows at "Refresh".
        const QString before = shown();
        t.receive("dx\r\nCapability = 0\r\n#\r\n");
        QCOMPARE(shown(), before);
        t.control<QPushButton>(w, "btnRefresh")->click();
        QCOMPARE(shown(), colours.startsWith('-') ? colours : QString("RRRRRRRR"));
        t.control<QPushButton>(w, "btnDone")->click();
        QVERIFY(!w->parentWidget()->isVisible());
    }

    // "Scan Selection" through a user's session: choosing, ticking, copying, renaming, and "DeSelect".
    void scanSelection() {
        Tool t;
        QVERIFY(t.online("2.50"));
        t.monitor.replies["dc"] = QStringList{"Config Number = 1", "Config Name = 640x480 60Hz", "H Freq = 31.47 kHz"};
        t.receive("ddn\r\n0,1,640x480 60Hz\r\n1,1,800x600 75Hz\r\n2,0,1024x768 60Hz\r\n#\r\n");
        QVERIFY(t.choose("mnuConfigureSelectScanSet"));
        FrmScanSelect* w = t.window<FrmScanSelect>();
        QVERIFY(w && w->parentWidget()->isVisible());
        auto box = [&](int i) { return t.control<QCheckBox>(w, QString("Check1(%1)").arg(i)); };
        auto boxes = [&] {
            QString out;
            for (int i = 0; i < 6; ++i)
                out += QString::number(t.model().scanSetEnabled[i]) + (box(i)->isEnabled() ? "e" : "-");
            return out;
        };
        auto option = [&](int i) { return t.control<QRadioButton>(w, QString("ScanSelectChoice(%1)").arg(i)); };
        QCOMPARE(t.monitor.sent(), QString("ddn|dc|CC0|"));
        QCOMPARE(t.control<QLabel>(w, "ScanName(1)")->text(), QString("800x600 75Hz"));
        QVERIFY(option(0)->isChecked());
        // The monitor's list switches scan sets 1 and 2 on: both greyed, neither ticked for saving by opening the
        // window; the tick that saves is the user's.
        QCOMPARE(boxes(), QString("2e2-0-0-0-0-"));
        QCOMPARE(t.model().scanSetCaption, QString("Scan Set Selected: #1: 640x480 60Hz"));

        QTest::mouseClick(option(2), Qt::LeftButton);
        QCOMPARE(t.monitor.sent(), QString("CC2|"));
        QCOMPARE(boxes(), QString("2-2-0e0-0-0-"));
        QCOMPARE(t.model().scanSetCaption, QString("Scan Set Selected: #3: 1024x768 60Hz"));
        box(2)->click();
        QCOMPARE(t.monitor.sent(), QString("CCE2|"));
        QCOMPARE(boxes(), QString("2-2-1e0-0-0-"));
        box(2)->click();
        QCOMPARE(t.monitor.sent(), QString("CCD2|"));
        box(2)->click();
        t.monitor.sent();

        t.control<QPushButton>(w, "CopyDAC(2)")->click();
        QCOMPARE(t.control<QPushButton>(w, "CopyDAC(2)")->text(), QString("Copy 1->4"));
        QCOMPARE(t.monitor.sent(), QString("CC3|CDCC|cdlp|cdbp|cdvp|cdhp|"));
        QCOMPARE(boxes(), QString("2-2-2-0e0-0-"));

        t.h.dialogs.inputs.enqueue(QString(40, QLatin1Char('x')));
        t.control<QPushButton>(w, "RenameButton")->click();
        QCOMPARE(t.h.dialogs.prompts.last(), QString("Enter New Name For: #4: Scan Set 4 Title"));
        QCOMPARE(t.monitor.sent(), "ccn" + QString(31, QLatin1Char('x')) + "|");
        QCOMPARE(t.control<QLabel>(w, "ScanName(3)")->text(), QString(31, QLatin1Char('x')));
        t.control<QPushButton>(w, "RenameButton")->click(); // cancelled
        QCOMPARE(t.monitor.sent(), QString());

        t.control<QPushButton>(w, "ScanSelectOKButton")->click();
        QVERIFY(!w->parentWidget()->isVisible());
        QCOMPARE(t.model().scanSetCaption, "Scan Set Selected: #4: " + QString(31, QLatin1Char('x')));

        // Opened again: the ticked scan sets other than the current one are greyed, the current one is asked for.
        QVERIFY(t.choose("mnuConfigureSelectScanSet"));
        QCOMPARE(t.monitor.sent(), QString("ddn|dc|CC3|"));
        QCOMPARE(boxes(), QString("2-2-2-0e0-0-"));
        // Back on scan set 3, the user's own tick counts again.
        QTest::mouseClick(option(2), Qt::LeftButton);
        QCOMPARE(boxes(), QString("2-2-1e0-0-0-"));
    }

    // After "DeSelect" no scan set is current (index 7): the option shows none, "Rename" has nothing to rename,
    // "OK" names no scan set, reopening selects none, and the adjustment windows store no values anywhere.
    void deselect() {
        Tool t;
        QVERIFY(t.online("2.50"));
        QVERIFY(t.choose("mnuConfigureSelectScanSet"));
        FrmScanSelect* w = t.window<FrmScanSelect>();
        t.control<QCheckBox>(w, "Check1(0)")->click();
        t.monitor.sent();
        t.control<QPushButton>(w, "DeselectButton")->click();
        QCOMPARE(t.model().currentScanSet, qint16(7));
        for (int i = 0; i < 6; ++i)
            QVERIFY(!t.control<QRadioButton>(w, QString("ScanSelectChoice(%1)").arg(i))->isChecked());
        QCOMPARE(t.model().scanSetEnabled[0], 2); // the scan set left behind is no longer saved
        t.control<QPushButton>(w, "RenameButton")->click();
        QCOMPARE(t.h.dialogs.texts(), QStringList{"Nothing Selected"});
        QVERIFY(t.h.dialogs.prompts.isEmpty());
        t.control<QPushButton>(w, "ScanSelectOKButton")->click();
        QCOMPARE(t.model().scanSetCaption, QString("ScanSetSelected: (None)"));
        QCOMPARE(t.model().currentScanSetName, QString());
        QCOMPARE(t.monitor.sent(), QString());

        QVERIFY(t.choose("mnuConfigureSelectScanSet"));
        QCOMPARE(t.monitor.sent(), QString("ddn|dc|"));
        QCOMPARE(t.model().currentScanSet, qint16(7));

        const MonitorModel before = t.model();
        t.monitor.replies["ddl"] = QStringList{"200,128,180,0,184,128,130,126"};
        QVERIFY(t.choose("mnuAdjustVideo"));
        t.monitor.settle();
        FrmVideoAdj* video = t.window<FrmVideoAdj>();
        QCOMPARE(t.control<QLabel>(video, "ScanSetSelectedLabel4")->text(), QString("ScanSetSelected: (None)"));
        QCOMPARE(t.control<QScrollBar>(video, "HScroll1(2)")->value(), 180);
        QTest::keyClick(t.control<QScrollBar>(video, "HScroll1(2)"), Qt::Key_Right);
        for (int i = 0; i < 10; ++i)
            for (int s = 0; s < DacGroup::scanSetSlots; ++s)
                QCOMPARE(t.model().videoGroup.value[i][s], before.videoGroup.value[i][s]);

        // Choosing a scan set again works on it.
        QVERIFY(t.choose("mnuConfigureSelectScanSet"));
        QTest::mouseClick(t.control<QRadioButton>(w, "ScanSelectChoice(1)"), Qt::LeftButton);
        QCOMPARE(t.model().currentScanSet, qint16(1));
        QVERIFY(t.control<QCheckBox>(w, "Check1(1)")->isEnabled());
        t.control<QPushButton>(w, "ScanSelectOKButton")->click();
        t.monitor.replies["ddl"] = QStringList{"200,128,90,0,184,128,130,126"};
        QVERIFY(t.choose("mnuAdjustVideo"));
        t.monitor.settle();
        QCOMPARE(t.control<QLabel>(video, "ScanSetSelectedLabel4")->text(),
                 QString("Scan Set Selected: #2: Scan Set 2 Title"));
        QCOMPARE(t.model().videoGroup.value[2][1], qint16(90));
        QCOMPARE(t.model().videoGroup.value[2][0], before.videoGroup.value[2][0]);
    }

    // Without a monitor (a data file's scan sets, demonstration) choosing still names the scan set; nothing is sent.
    void scanSelectionWithoutAMonitor() {
        Tool t;
        t.monitor.answering = false;
        t.item("mnuMonitorDemo")->trigger();
        QVERIFY(t.choose("mnuConfigureSelectScanSet"));
        FrmScanSelect* w = t.window<FrmScanSelect>();
        QTest::mouseClick(t.control<QRadioButton>(w, "ScanSelectChoice(4)"), Qt::LeftButton);
        t.control<QCheckBox>(w, "Check1(4)")->click();
        QCOMPARE(t.model().scanSetCaption, QString("Scan Set Selected: #5: Scan Set 5 Title"));
        QCOMPARE(t.model().scanSetEnabled[4], 1);
        QVERIFY(t.monitor.nothingQueued());
    }

    // "Current Scan Set" shows what the monitor is running.
    void currentScanSet() {
        Tool t;
        t.monitor.replies["dc"] =
            QStringList{"Config Number = 3", "Config Name = 1280x1024 60Hz", "H Freq = 63.98 kHz", "V Freq = 60.02 Hz"};
        QVERIFY(t.online("2.10"));
        QVERIFY(t.choose("mnuInfoCurrentScan"));
        FrmCurrentScanSet* w = t.window<FrmCurrentScanSet>();
        QVERIFY(w && w->parentWidget()->isVisible());
        QCOMPARE(t.monitor.sent(), QString("dc|"));
        QCOMPARE(t.control<QLabel>(w, "lblScanNumber")->text(), QString("3"));
        QCOMPARE(t.control<QLabel>(w, "lblScanName")->text(), QString("1280x1024 60Hz"));
        QCOMPARE(t.control<QLabel>(w, "lblScanHFreq")->text(), QString("63.98 kHz"));
        QCOMPARE(t.control<QLabel>(w, "lblScanVFreq")->text(), QString("60.02 Hz"));
        // Until "Scan Selection" chooses one, the adjustment windows work on the scan set the monitor runs.
        QCOMPARE(t.model().scanSetCaption, QString("Scan Set Selected: #3: 1280x1024 60Hz"));
        QCOMPARE(t.control<QLabel>(w, "Label4")->text(), QString("Nominal V Freq:"));
        t.control<QPushButton>(w, "btnDone")->click();
        QVERIFY(!w->parentWidget()->isVisible());
    }

    // A save with no scan set ticked, or with only scan sets whose values were never read, warns first; Cancel
    // writes nothing, OK writes the file without values.
    void saveWithoutATickedScanSetWarns_data() {
        QTest::addColumn<bool>("tick");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("warned");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("mode");
        const QString factory = "FactoryMode";
        QTest::newRow("ticked, nothing read yet") << true << int(Dialogs::AnswerOk) << true << true << factory;
        QTest::newRow("none ticked, cancelled") << false << int(Dialogs::AnswerCancel) << true << false << factory;
        QTest::newRow("none ticked, saved anyway") << false << int(Dialogs::AnswerOk) << true << true << factory;
        // Installation mode does not offer "Scan Selection": the warning says what does.
        QTest::newRow("installation mode") << false << int(Dialogs::AnswerOk) << true << true << "UserMode";
    }
    void saveWithoutATickedScanSetWarns() {
        QFETCH(bool, tick);
        QFETCH(int, answer);
        QFETCH(bool, warned);
        QFETCH(bool, written);
        QFETCH(QString, mode);
        Tool t(mode);
        QVERIFY(t.online("2.10"));
        QCOMPARE(t.choose("mnuConfigureSelectScanSet"), mode == "FactoryMode");
        if (tick)
            t.control<QCheckBox>(t.window<FrmScanSelect>(), "Check1(0)")->click();
        const QString file = t.h.m_dir.filePath("saved.mdv");
        t.h.dialogs.files.enqueue(file);
        t.h.dialogs.answers.enqueue(Dialogs::Answer(answer));
        QVERIFY(t.choose("mnuFileSaveAs"));
        const QString warning = mode == "FactoryMode" ? DataFileCommands::noScanSetWarning()
                                                      : DataFileCommands::noScanSetWarningInThisMode();
        QCOMPARE(t.h.dialogs.texts().contains(warning), warned);
        if (warned)
            QCOMPARE(t.h.dialogs.messages.first().buttons, Dialogs::OkCancel);
        QCOMPARE(QFile::exists(file), written);
        QCOMPARE(t.h.dialogs.fileRequests.isEmpty(), !written);
    }
};

QTEST_MAIN(FamilyTest)
#include "tst_family.moc"
