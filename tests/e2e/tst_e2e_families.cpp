// Each family's windows against the simulated monitor over a pseudo-terminal: every window the family offers,
// opened through its menu, shows the monitor's values (none opens empty), the items a family cannot fill are
// not offered, and the I2C probe lists only the boards the monitor carries.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "diag/FrmI2cProbe.h"
#include "model/MonitorModel.h"
#include "model/windows/FrmCapability.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>

namespace {

// Bounds that only keep a broken build from hanging; nothing is measured against them.
constexpr int connectWithinMs = 15000;
constexpr int answersWithinMs = 20000;

// A window as the user opens it, the control that shows a value, and the value ("" for any).
struct Shown {
    QString item;
    QString window;
    QString control;
    QString value;
};
using ShownList = QList<Shown>;

// What a control shows: its text, "checked" for a selected option, "green" for a reported board.
QString shownText(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text().trimmed();
    if (auto* box = qobject_cast<QLineEdit*>(w))
        return box->text().trimmed();
    if (auto* option = qobject_cast<QRadioButton*>(w))
        return option->isChecked() ? QStringLiteral("checked") : QString();
    if (auto* indicator = qobject_cast<QPushButton*>(w))
        return indicator->palette().color(QPalette::Button) == FrmCapability::reportedColour() ? QStringLiteral("green")
                                                                                               : QString();
    return QString();
}

} // namespace

Q_DECLARE_METATYPE(ShownList)

class FamiliesEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void everyOfferedWindowShowsValues_data() {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<ShownList>("windows");
        QTest::addColumn<QStringList>("notOffered");
        QTest::newRow("3.15")
            << "3.15"
            << ShownList{{"mnuInfoID", "frmID", "lblModel", "FP-1815"},
                         {"mnuInfoOperatingHours", "frmOperatingTime", "lblOperatingTimeValue", ""},
                         {"mnuInfoConfiguration", "frmCapability", "btnPwrDist", "green"},
                         {"mnuInfoLimits", "frmLimits", "lblLimit(0)", ""},
                         {"mnuAdjustVideo", "frmVideoAdj", "Text1(2)", ""},
                         {"mnuAdjustmentBrightnessContrast", "frmBrightnessContrast", "lblContrastPV", ""},
                         {"mnuDiagnosticsFPControls", "frmFlatPanelTestPoints", "P5VM", ""},
                         {"mnuConfigureBacklight", "frmBacklight", "txtFilSteady", ""},
                         {"mnuConfigureHeater", "frmFPHeaterFan", "optHeaterAuto", "checked"},
                         {"mnuConfigureSelectScanSet", "frmScanSelect", "ScanName(1)", "800x600 60Hz"},
                         {"mnuConfigureModelAndSerialNumber", "frmSetModelAndSerialNumber", "txtSerial", "F18-220031"},
                         {"frmDiagnosticsDeflectionStatus", "frmDeflectionStatus", "HFreqTextBox", ""}}
            << QStringList{"mnuDiagnosticsVoltages",
                           "mnuDiagnosticsHVLimits",
                           "mnuDiagnosticsDeflHV",
                           "mnuAdjustGeometry",
                           "mnuAdjustHV",
                           "mnuAdjustmentConvergence"};
        // An LED-backlit panel shows the boards its capability answer reports (asked before its numbers).
        QTest::newRow("4.05") << "4.05"
                              << ShownList{{"mnuInfoID", "frmID", "lblModel", "FP-2405L"},
                                           {"mnuInfoConfiguration", "frmCapability", "btnLVPS", "green"}}
                              << QStringList{"mnuAdjustVideo", "mnuDiagnosticsDeflHV"};
        // The first family shows its HV limits, frequencies and anode readings in the three windows too.
        QTest::newRow("1.38")
            << "1.38"
            << ShownList{{"mnuDiagnosticsHVLimits", "frmHVLimits", "HVUpperLimitTextBox", ""},
                         {"frmDiagnosticsDeflectionStatus", "frmDeflectionStatus", "HFreqTextBox", ""},
                         {"mnuDiagnosticsVoltages", "frmCRTVoltages", "VAnodeValue", ""},
                         {"mnuInfoConfiguration", "frmCapability", "lblNotReported", FrmCapability::notReportedText()}}
            << QStringList();
    }
    void everyOfferedWindowShowsValues() {
        QFETCH(QString, profile);
        QFETCH(ShownList, windows);
        QFETCH(QStringList, notOffered);
        ToolHarness h(ToolHarness::Port::Real, QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n"));
        sim::SimOptions options;
        options.profile = profile;
        h.startWithSimulator(options);
        const int cls = qRound(profile.toDouble() * 100);
        QVERIFY(h.waitFor([&] { return h.ctx().model->firmwareClass == cls; }, connectWithinMs));
        MainMenus* menus = h.app().mainWindow()->menus();
        for (const Shown& s : windows) {
            QVERIFY2(h.waitFor([&] { return menus->action(s.item)->isEnabled(); }, answersWithinMs),
                     qPrintable(s.item));
            QVERIFY2(h.chooseMenu(s.item.toLatin1().constData()), qPrintable(s.item));
            ChildWindow* w = h.ctx().windows->find(s.window);
            QVERIFY2(w, qPrintable(s.window));
            QWidget* control = w->findChild<QWidget*>(s.control);
            QVERIFY2(control, qPrintable(s.control));
            const bool shows = h.waitFor(
                [&] {
                    const QString text = shownText(control);
                    return s.value.isEmpty() ? !text.isEmpty() : text == s.value;
                },
                answersWithinMs);
            QVERIFY2(shows, qPrintable(s.window + ": " + s.control + " shows '" + shownText(control) + "'"));
        }
        for (const QString& item : notOffered)
            QVERIFY2(!menus->action(item)->isEnabled(), qPrintable(item));
    }

    // A flat panel's probe lists the boards its capability reports; testing them all finds the one device that does
    // not answer.
    void i2cProbeListsTheFamilysBoards() {
        ToolHarness h(ToolHarness::Port::Real, QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n"));
        sim::SimOptions options;
        options.profile = QStringLiteral("3.15");
        h.startWithSimulator(options);
        QVERIFY(h.waitFor([&] { return h.ctx().model->capabilityReported; }, connectWithinMs));
        QVERIFY(h.chooseMenu("mnuDiagnosticsI2c"));
        auto* w = h.ctx().windows->existing<FrmI2cProbe>();
        QList<QPushButton*> devices;
        for (QPushButton* b : w->findChildren<QPushButton*>(QRegularExpression(QStringLiteral("^btnU\\d+$"))))
            if (b->isVisibleTo(w))
                devices << b;
        // The CPU's register, three supply, four power distribution and three video devices.
        QCOMPARE(devices.size(), 11);
        w->findChild<QPushButton*>(QStringLiteral("btnAll"))->click();
        auto colours = [&](const QColor& c) {
            return int(std::count_if(devices.begin(), devices.end(),
                                     [&](QPushButton* b) { return b->palette().color(QPalette::Button) == c; }));
        };
        const QColor green = FrmI2cProbe::colourOf(65280), red = FrmI2cProbe::colourOf(255);
        QVERIFY(h.waitFor([&] { return colours(green) + colours(red) == devices.size(); }, answersWithinMs));
        QCOMPARE(colours(red), 1);
    }
};

QTEST_MAIN(FamiliesEndToEndTest)
#include "tst_e2e_families.moc"
