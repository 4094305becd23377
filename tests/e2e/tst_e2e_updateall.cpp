// Each monitor family against the simulated monitor over a pseudo-terminal with the real clock, as a technician
// works: once the monitor is found its family's windows are offered in the menus; the technician opens them, ticks
// the current scan set in "Scan Selection", runs "&Update All Data" (one read a second, which fills the model
// with what the monitor holds), saves with "S&ave As ...", and a second tool with no monitor opens that file and
// holds, and shows, the same adjustment values.
#include "adjust/FrmVideoAdj.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "model/windows/FrmScanSelect.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QtTest>

namespace {

// Bounds that only keep a broken build from hanging; nothing is measured against them. The cycle reads one
// value a second and its last read ("ddfs") is step 44.
constexpr int connectWithinMs = 15000;
constexpr int cycleWithinMs = 90000;

constexpr int answersWithinMs = 20000;

const QString serviceMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=ServiceMode\n");

// Whether the main window offers a menu item: the item and its menu are enabled.
bool offered(ToolHarness& h, const QString& name) {
    MainMenus* menus = h.app().mainWindow()->menus();
    QAction* a = menus->action(name);
    if (!a || !a->isEnabled())
        return false;
    for (const MainMenus::Entry& e : MainMenus::tree())
        if (name == QLatin1String(e.name) && e.parent)
            return menus->action(QLatin1String(e.parent))->isEnabled();
    return true;
}

// Chooses a menu item as the user does, only when it is offered.
bool choose(ToolHarness& h, const char* name) {
    if (!offered(h, QLatin1String(name)))
        return false;
    h.app().mainWindow()->menus()->action(QLatin1String(name))->trigger();
    return true;
}

bool linkIdle(ToolHarness& h) {
    const TransmitQueue* q = h.ctx().queue();
    return q->isIdle();
}

sim::DacTable simTable(DacTable t) {
    return t == DacTable::Factory   ? sim::DacTable::Factory
           : t == DacTable::Initial ? sim::DacTable::Initial
                                    : sim::DacTable::Current;
}

const char* tableName(DacTable t) {
    return t == DacTable::Factory ? "factory" : t == DacTable::Initial ? "initial" : "value";
}

// The DAC indices the monitor reports for a group: its count, and "Horiz S Cap" for the horizontal group.
QList<int> reportedIndices(char letter) {
    QList<int> out;
    for (int i = 0; i < sim::SimMonitor::reportedCount(letter); ++i)
        out << i;
    if (letter == 'h')
        out << MonitorModel::horizontalSCapIndex;
    return out;
}

// The first difference between the tool's model and the simulated monitor, empty when there is none. With
// fileDacsOnly, only the DACs that a data file holds are compared (the monitor reports a fourth north-south
// value, which has no name in the file).
QString differenceFromMonitor(const MonitorModel& m, const sim::SimMonitor& monitor, const QString& operatingTime,
                              bool fileDacsOnly = false) {
    const sim::SimProfile& p = monitor.profile();
    auto differs = [](const char* what, const QString& got, const QString& want) {
        return got == want ? QString() : QStringLiteral("%1: \"%2\", monitor \"%3\"").arg(what, got, want);
    };
    // The part number and the CRT's numbers where the boards report them: Update All Data reads them for the file.
    const auto boards = [&p](const QString& number) { return p.hasBoardIdentity ? number : QString(); };
    for (const QString& d :
         {differs("model number", m.modelNumber, p.modelNumber),
          differs("serial number", m.serialNumber, p.serialNumber),
          differs("part number", m.partNumber, boards(p.partNumber)),
          differs("CRT part number", m.crtPartNumber, boards(p.crtPartNumber)),
          differs("CRT serial number", m.crtSerialNumber, boards(p.crtSerialNumber)),
          differs("firmware version", m.firmwareVersion, QStringLiteral("V ") + p.firmwareVersion),
          differs("ROM version", m.romVersion, QStringLiteral("V ") + p.romVersion),
          differs("operating time", m.operatingTime, operatingTime),
          differs("operating cycles", m.operatingCycles, QString::number(monitor.state().time.cycles))})
        if (!d.isEmpty())
            return d;
    const int scanSet = monitor.state().currentScanSet;
    if (m.currentScanSet != scanSet)
        return QStringLiteral("current scan set %1, monitor %2").arg(m.currentScanSet).arg(scanSet);
    MonitorModel& model = const_cast<MonitorModel&>(m);
    for (char letter : sim::SimMonitor::groupLetters()) {
        const DacGroup* g = model.group(QLatin1Char(letter));
        if (!g)
            return QStringLiteral("no group %1").arg(letter);
        for (DacTable t : {DacTable::Value, DacTable::Factory, DacTable::Initial})
            for (int i : reportedIndices(letter)) {
                if (fileDacsOnly &&
                    (g->names[i].isEmpty() || (i >= g->count && i != MonitorModel::horizontalSCapIndex)))
                    continue;
                const int want = monitor.dac(letter, simTable(t), i, scanSet);
                int got = -1;
                g->get(t, i, scanSet, &got);
                if (got != want)
                    return QStringLiteral("group %1 %2 [%3]: %4, monitor %5")
                        .arg(letter)
                        .arg(QLatin1String(tableName(t)))
                        .arg(i)
                        .arg(got)
                        .arg(want);
            }
    }
    return QString();
}

// The first difference between a model loaded from a file and the model that wrote it, for what the file holds.
QString differenceFromWriter(const MonitorModel& loaded, const MonitorModel& writer, int scanSet) {
    auto differs = [](const char* what, const QString& got, const QString& want) {
        return got == want ? QString() : QStringLiteral("%1: \"%2\", written \"%3\"").arg(what, got, want);
    };
    for (const QString& d : {differs("model number", loaded.modelNumber, writer.modelNumber),
                             differs("serial number", loaded.serialNumber, writer.serialNumber),
                             differs("firmware version", loaded.firmwareVersion, writer.firmwareVersion),
                             differs("ROM version", loaded.romVersion, writer.romVersion),
                             differs("operating time", loaded.operatingTime, writer.operatingTime),
                             differs("operating cycles", loaded.operatingCycles, writer.operatingCycles),
                             differs("scan-set name", loaded.scanSetNames[scanSet], writer.scanSetNames[scanSet])})
        if (!d.isEmpty())
            return d;
    if (loaded.firmwareClass != writer.firmwareClass)
        return QStringLiteral("firmware class %1, written %2").arg(loaded.firmwareClass).arg(writer.firmwareClass);
    MonitorModel& l = const_cast<MonitorModel&>(loaded);
    MonitorModel& w = const_cast<MonitorModel&>(writer);
    for (int k = 0; k < w.fileGroups().size(); ++k) {
        const DacGroup& a = *w.fileGroups()[k];
        const DacGroup& b = *l.fileGroups()[k];
        if (a.count != b.count)
            return QStringLiteral("%1: count %2, written %3").arg(a.countKey).arg(b.count).arg(a.count);
        for (int i = 0; i < DacGroup::dacSlots; ++i) {
            if (a.names[i].isEmpty())
                continue;
            const int value = a.value[i][scanSet];
            if (b.value[i][scanSet] != value || b.committedValue[i][scanSet] != value ||
                b.factoryValue[i][scanSet] != a.factoryValue[i][scanSet] ||
                b.initialValue[i][scanSet] != a.initialValue[i][scanSet])
                return QStringLiteral("%1: %2/%3/%4/%5, written %6/%6/%7/%8")
                    .arg(a.names[i])
                    .arg(b.value[i][scanSet])
                    .arg(b.committedValue[i][scanSet])
                    .arg(b.factoryValue[i][scanSet])
                    .arg(b.initialValue[i][scanSet])
                    .arg(value)
                    .arg(a.factoryValue[i][scanSet])
                    .arg(a.initialValue[i][scanSet]);
        }
    }
    return QString();
}

// Operating time as the monitor reports it at this moment: the stored total plus this session, as
// days:hh:mm:ss.
QString monitorOperatingTime(const sim::SimMonitor& monitor) {
    const sim::OperatingTime& t = monitor.state().time;
    const qint64 total = ((qint64(t.days) * 24 + t.hours) * 60 + t.minutes) * 60 + t.seconds + t.sessionSeconds;
    return QStringLiteral("%1:%2:%3:%4")
        .arg(total / 86400)
        .arg(total / 3600 % 24, 2, 10, QLatin1Char('0'))
        .arg(total / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(total % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

class UpdateAllEndToEndTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void familyUpdateSaveAndOpenWithoutMonitor_data() {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<int>("firmwareClass");
        QTest::addColumn<QStringList>("windows"); // the items of the family's windows that are offered
        const QStringList always{"mnuInfoConfiguration", "mnuConfigureSelectScanSet"};
        QTest::newRow("CRT 1.38") << "1.38" << 138 << always + QStringList{"mnuAdjustVideo"};
        QTest::newRow("CRT 2.10") << "2.10" << 210 << always + QStringList{"mnuAdjustVideo", "mnuInfoCurrentScan"};
        QTest::newRow("flat panel 3.15") << "3.15" << 315 << always + QStringList{"mnuAdjustVideo"};
        QTest::newRow("flat panel 4.05") << "4.05" << 405 << always;
    }
    void familyUpdateSaveAndOpenWithoutMonitor() {
        QFETCH(QString, profile);
        QFETCH(int, firmwareClass);
        QFETCH(QStringList, windows);
        const QString file = m_dir.filePath(QStringLiteral("unit-%1.mdv").arg(profile));

        ToolHarness h(ToolHarness::Port::Real, serviceMode);
        sim::SimOptions options;
        options.profile = profile;
        sim::PtySimulator* simulator = h.startWithSimulator(options);
        const sim::SimMonitor& monitor = simulator->monitor();
        QStringList handled;
        QString operatingTime;
        connect(simulator, &sim::PtySimulator::requestHandled, this, [&](const QByteArray& request, const QByteArray&) {
            handled << QString::fromLatin1(request.trimmed());
            if (request.trimmed() == "dt")
                operatingTime = monitorOperatingTime(monitor);
        });
        MonitorModel& m = *h.ctx().model;
        QVERIFY(QTest::qWaitFor(
            [&] {
                return h.app().mainWindow()->connectionState() == ConnectionState::Online &&
                       m.firmwareClass == firmwareClass && linkIdle(h);
            },
            connectWithinMs));

        // The family's windows, straight from the menus: no demonstration mode, no other step.
        for (const QString item :
             {"mnuAdjustVideo", "mnuInfoConfiguration", "mnuInfoCurrentScan", "mnuConfigureSelectScanSet"}) {
            QVERIFY2(offered(h, item) == windows.contains(item), qPrintable(item));
            if (!windows.contains(item))
                continue;
            QVERIFY(choose(h, item.toLatin1().constData()));
            QMdiSubWindow* active = h.ctx().windows->area()->activeSubWindow();
            QVERIFY2(active && active->isVisible(), qPrintable(item));
            QVERIFY(QTest::qWaitFor([&] { return linkIdle(h); }, answersWithinMs));
        }

        // The current scan set is ticked (the monitor's list ticks it when it is switched on), so that the file
        // holds its values.
        auto* scanSets = h.ctx().windows->existing<FrmScanSelect>();
        QVERIFY(scanSets && scanSets->parentWidget()->isVisible());
        QCheckBox* tick = scanSets->findChild<QCheckBox*>(QStringLiteral("Check1(%1)").arg(m.currentScanSet));
        QVERIFY(tick && tick->isEnabled());
        if (tick->checkState() != Qt::Checked)
            tick->click();
        QCOMPARE(m.scanSetEnabled[m.currentScanSet], 1);
        QVERIFY(
            QTest::qWaitFor([&] { return monitor.state().scanSets.value(m.currentScanSet).enabled; }, answersWithinMs));

        QElapsedTimer cycle;
        cycle.start();
        handled.clear();
        QVERIFY(choose(h, "mnuMonitorUpdate"));
        // Done when the monitor has answered the last read of the pass and the tool holds what it answered.
        QVERIFY(QTest::qWaitFor(
            [&] {
                return handled.contains(QStringLiteral("ddfs")) && !operatingTime.isEmpty() &&
                       differenceFromMonitor(m, monitor, operatingTime).isEmpty();
            },
            cycleWithinMs));
        qInfo("first pass of Update All Data: %lld ms", cycle.elapsed());
        QCOMPARE(differenceFromMonitor(m, monitor, operatingTime), QString());
        QVERIFY2(h.dialogs.messages.isEmpty(), qPrintable(h.dialogs.texts().join(" / ")));

        h.dialogs.files.enqueue(file);
        QVERIFY(choose(h, "mnuFileSaveAs"));
        QVERIFY2(h.dialogs.messages.isEmpty(), qPrintable(h.dialogs.texts().join(" / ")));
        QCOMPARE(h.app().mainWindow()->windowTitle(),
                 FrmMain::applicationTitle() + QStringLiteral(" -- ") + QFileInfo(file).fileName());
        QVERIFY(QFileInfo(file).size() > 100);

        // A second tool whose port never answers.
        ToolHarness offline;
        offline.start();
        QCOMPARE(offline.app().mainWindow()->connectionState(), ConnectionState::NoMonitor);
        offline.dialogs.files.enqueue(file);
        QVERIFY(choose(offline, "mnuFileOpen"));
        QVERIFY2(offline.dialogs.messages.isEmpty(), qPrintable(offline.dialogs.texts().join(" / ")));
        const MonitorModel& loaded = *offline.ctx().model;
        QVERIFY(!loaded.monitorResponding);
        QVERIFY(loaded.FileIsOpen);
        QCOMPARE(differenceFromWriter(loaded, m, m.currentScanSet), QString());
        QCOMPARE(differenceFromMonitor(loaded, monitor, operatingTime, true), QString());

        // The file's version sets up the family: its colour balance shows the saved values without a monitor.
        QCOMPARE(offered(offline, "mnuAdjustVideo"), windows.contains("mnuAdjustVideo"));
        if (choose(offline, "mnuAdjustVideo")) {
            auto* video = offline.ctx().windows->existing<FrmVideoAdj>();
            QVERIFY(video);
            for (int i = 2; i < 8; ++i)
                QCOMPARE(video->findChild<QScrollBar*>(QStringLiteral("HScroll1(%1)").arg(i))->value(),
                         monitor.dac('l', i));
        }
    }
};

QTEST_MAIN(UpdateAllEndToEndTest)
#include "tst_e2e_updateall.moc"
