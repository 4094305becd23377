// Writing a data file into the simulated monitor over a pseudo-terminal: the user chooses File, "Write File to
// Monitor ...", picks a file saved from this monitor, confirms, and every value the file holds for its scan
// sets is on the monitor afterwards, saved as its initial settings, with the scan set the tool had selected
// selected again. A file of another monitor family is refused and changes nothing.
#include "model/DataFile.h"
#include "model/MonitorModel.h"
#include "model/windows/FrmWriteBack.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/KnownValues.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QFile>
#include <QtTest>

namespace {

// Bounds that only keep a broken build from hanging; nothing is measured against them.
constexpr int connectWithinMs = 15000;
constexpr int writtenWithinMs = 120000;

const QString maintenanceMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=ServiceMode\n");

// A value every DAC of the file takes, within its range and unlike what the monitor holds at start.
int fileValue(QChar group, int dac, int scanSet) {
    if (QStringLiteral("sdegik").contains(group))
        return 5 + dac + 7 * scanSet;
    if (group == QLatin1Char('h') && dac == MonitorModel::horizontalSCapIndex)
        return 60 + scanSet;
    return 40 + 9 * dac + 11 * scanSet;
}

// A data file as the tool saves it from a monitor of the given firmware version, with scan sets 2 and 4.
QByteArray dataFile(const sim::SimMonitor& monitor, const QString& version, int firmwareClass) {
    MonitorModel m;
    m.initialise();
    m.monitorResponding = true;
    m.modelNumber = monitor.state().boards.value('s').part;
    m.serialNumber = monitor.state().boards.value('s').serial;
    m.firmwareVersion = QStringLiteral("V ") + version;
    m.firmwareClass = firmwareClass;
    for (int set : {1, 3}) {
        m.scanSetEnabled[set] = 1;
        for (DacGroup* g : m.fileGroups())
            for (int dac = 0; dac < DacGroup::dacSlots; ++dac)
                g->value[dac][set] = qint16(fileValue(g->letter, dac, set));
    }
    markAllRead(m);
    return DataFile(m).contents();
}

} // namespace

class WriteBackEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void writeFileToMonitor_data() {
        QTest::addColumn<QString>("fileVersion");
        QTest::addColumn<bool>("written");
        QTest::newRow("saved from this monitor") << "2.10" << true;
        QTest::newRow("another family") << "3.15" << false;
    }

    void writeFileToMonitor() {
        QFETCH(QString, fileVersion);
        QFETCH(bool, written);
        ToolHarness h(ToolHarness::Port::Real, maintenanceMode);
        sim::PtySimulator* simulator = h.startWithSimulator(sim::SimOptions());
        sim::SimMonitor& monitor = simulator->monitor();
        MonitorModel& m = *h.ctx().model;
        QVERIFY(h.waitFor([&] { return m.firmwareClass == 210; }, connectWithinMs));
        // The capability answer tells which adjustments the monitor has (asked as a user types it into the log).
        h.ctx().send(QStringLiteral("dx"));
        QVERIFY(h.waitFor([&] { return m.hasConvergence && h.linkIdle(); }, connectWithinMs));

        const QString path = h.m_dir.filePath(QStringLiteral("unit.mdv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(dataFile(monitor, fileVersion, int(fileVersion.toDouble() * 100 + 0.5)));
        file.close();

        const auto before = monitor.state().dacs;
        h.dialogs.files.enqueue(path);
        QVERIFY(h.chooseMenu("mnuFileWriteToMonitor"));
        // The tool has not read the monitor's model and serial number yet: it does, then asks (Yes by script).
        QVERIFY(h.waitFor([&] { return !h.dialogs.messages.isEmpty() && h.linkIdle(); }, writtenWithinMs));
        if (written) {
            QVERIFY(h.dialogs.messages.first().text.startsWith("Write the adjustment values of scan set(s) 2, 4"));
            QVERIFY(h.waitFor([&] { return h.dialogs.messages.size() == 2 && h.linkIdle(); }, writtenWithinMs));
        }
        const QString outcome = h.dialogs.messages.last().text;
        QCOMPARE(h.dialogs.messages.size(), written ? 2 : 1);

        if (!written) {
            QVERIFY2(outcome.contains("Nothing was written"), qPrintable(outcome));
            for (char letter : sim::SimMonitor::groupLetters())
                QVERIFY(monitor.state().dacs.value(letter).current == before.value(letter).current);
            return;
        }
        // Every DAC the adjustment windows set on this monitor, in both scan sets, now and at power-on.
        int checked = 0;
        for (DacGroup* g : m.fileGroups()) {
            const char letter = char(g->letter.toLatin1());
            for (int set : {1, 3}) {
                for (int dac = 0; dac < g->count; ++dac) {
                    // This family's colour balance has no second bias row: that DAC keeps its value.
                    const int expected = letter == 'b' && dac == 1
                                             ? before[letter].value(sim::DacTable::Current, dac, set)
                                             : fileValue(g->letter, dac, set);
                    QCOMPARE(monitor.dac(letter, sim::DacTable::Current, dac, set), expected);
                    QCOMPARE(monitor.dac(letter, sim::DacTable::Initial, dac, set), expected);
                    ++checked;
                }
            }
        }
        QCOMPARE(monitor.dac('h', sim::DacTable::Current, MonitorModel::horizontalSCapIndex, 3), fileValue('h', 8, 3));
        QCOMPARE(checked, 2 * 48);
        // Scan sets the file does not hold are untouched, and the tool's scan set is selected again.
        for (char letter : sim::SimMonitor::groupLetters())
            for (int dac = 0; dac < 4; ++dac)
                QCOMPARE(monitor.dac(letter, sim::DacTable::Current, dac, 0),
                         before[letter].value(sim::DacTable::Current, dac, 0));
        QCOMPARE(monitor.state().currentScanSet, int(m.currentScanSet));
        QVERIFY2(outcome.contains("Values written: 96") && outcome.contains("initial settings: 2, 4") &&
                     outcome.endsWith("Completed."),
                 qPrintable(outcome));
        FrmWriteBack* progress = h.ctx().windows->existing<FrmWriteBack>();
        QVERIFY(progress && !progress->isVisible());
    }
};

QTEST_MAIN(WriteBackEndToEndTest)
#include "tst_e2e_writeback.moc"
