// The link report against the simulated monitor over a pseudo-terminal: identity reads through the Info menu,
// then a request the monitor rejects with "!", which answers it and leaves the connection as it was, then a silence
// that the keep-alive's time-out turns into a lost connection until the search finds the monitor again. Help > Link
// Report then counts exactly what the monitor handled, and "Save Diagnostic Report ..." writes the identity, the
// statistics and the log lines to a file.
#include "app/FrmMain.h"
#include "link/Link.h"
#include "link/LinkStatistics.h"
#include "model/MonitorModel.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/ToolHarness.h"
#include "ui/ToolVersion.h"
#include "ui/WindowRegistry.h"

#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>

namespace {
// Bounds that only keep a broken build from hanging; nothing is measured against them. The reconnect takes the
// keep-alive's 5000 ms, the 2000 ms time-out and two search ticks.
constexpr int kWithinMs = 30000;

QString fileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
} // namespace

class LinkReportEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void reportCountsWhatTheMonitorHandledAndSavesIt() {
        ToolHarness h(ToolHarness::Port::Real);
        sim::SimOptions options;
        options.profile = "2.10";
        sim::PtySimulator* simulator = h.startWithSimulator(options);
        QList<QByteArray> handled;
        int rejected = 0;
        QObject::connect(simulator, &sim::PtySimulator::requestHandled, simulator,
                         [&](const QByteArray& request, const QByteArray& answer) {
                             handled << request.trimmed();
                             rejected += answer.endsWith('!');
                         });
        FrmMain* main = h.app().mainWindow();
        const MonitorModel& model = *h.ctx().model;
        Link* link = h.ctx().link;
        QVERIFY(h.waitFor([&] { return model.firmwareClass == 210; }, kWithinMs));

        // Info > ID reads the monitor's numbers.
        QVERIFY(h.chooseMenu("mnuInfoID"));
        QVERIFY(h.waitFor([&] { return !model.serialNumber.isEmpty() && h.linkIdle(); }, kWithinMs));
        // A request the monitor does not know: its "!" is its answer, and the connection stays as it was.
        h.ctx().send("zz");
        QVERIFY(h.waitFor([&] { return rejected == 1 && h.linkIdle(); }, kWithinMs));
        QCOMPARE(link->statistics().rejections(), quint64(1));
        QCOMPARE(link->statistics().connectionsLost(), quint64(0));
        QCOMPARE(main->connectionState(), ConnectionState::Online);
        // The monitor falls silent until the keep-alive's time-out drops the connection; the lines it did not hear
        // were written but never handled.
        int unheard = 0;
        QMetaObject::Connection tap = QObject::connect(simulator, &sim::PtySimulator::received, simulator,
                                                       [&](const QByteArray& bytes) { unheard += bytes.count('\r'); });
        simulator->setSilent(true);
        QVERIFY(h.waitFor([&] { return main->connectionState() == ConnectionState::NoMonitor; }, kWithinMs));
        QObject::disconnect(tap);
        simulator->setSilent(false);
        QVERIFY(h.waitFor([&] { return link->statistics().reconnects() == 1; }, kWithinMs));
        QVERIFY(h.waitFor([&] { return main->connectionState() == ConnectionState::Online; }, kWithinMs));
        // From here on only what the test asks for goes on the line.
        link->setAutoPingEnabled(false);
        QVERIFY(h.waitFor(
            [&] { return h.linkIdle() && link->statistics().requests() == quint64(handled.size() + unheard); },
            kWithinMs));

        const LinkStatistics& s = link->statistics();
        QVERIFY(handled.contains("dss") && handled.contains("zz"));
        QCOMPARE(rejected, 1);
        QCOMPARE(s.rejections(), quint64(1));
        QCOMPARE(s.answers(), quint64(handled.size() - rejected));
        QCOMPARE(s.timedAnswers(), s.answers());
        QCOMPARE(s.timeOuts(), quint64(1));
        QCOMPARE(s.connectionsLost(), quint64(1));
        // The search's second ping, and perhaps the kick that found a ping queued behind the one that timed out.
        QVERIFY2(s.retries() >= 1 && s.retries() <= 2, qPrintable(QString::number(s.retries())));
        QVERIFY(s.medianAnswerMs() >= 0 && s.worstAnswerMs() >= s.medianAnswerMs());

        // Help > Link Report shows the same numbers.
        QVERIFY(h.chooseMenu("mnuHelpLinkReport"));
        ChildWindow* report = h.ctx().windows->find("frmLinkReport");
        QVERIFY(report && report->parentWidget()->isVisible());
        auto value = [&](const char* key) {
            auto* label = report->findChild<QLabel*>(QStringLiteral("lbl%1Value").arg(key));
            return label ? label->text() : QStringLiteral("(no label %1)").arg(key);
        };
        QCOMPARE(value("Requests"), QString::number(handled.size() + unheard));
        QCOMPARE(value("Answers"), QString::number(handled.size() - 1));
        QCOMPARE(value("Rejections"), "1");
        QCOMPARE(value("TimeOuts"), "1");
        QCOMPARE(value("Reconnects"), "1");
        QCOMPARE(value("Worst"), QString::number(s.worstAnswerMs()) + " ms");

        // Save Diagnostic Report: proposed from the serial number and the date, written with everything in it.
        QTemporaryDir dir;
        const QString path = dir.filePath("report.txt");
        h.dialogs.files.enqueue(path);
        report->findChild<QPushButton*>("btnSaveReport")->click();
        QCOMPARE(h.dialogs.fileRequests.last().proposedName,
                 model.serialNumber + "-" + QDate::currentDate().toString(Qt::ISODate) + ".txt");
        const QString text = fileText(path);
        for (const QString& line :
             {"Tool version: " + toolVersionText(), "Serial number: " + model.serialNumber,
              "Model number: " + model.modelNumber, "Firmware version: " + model.firmwareVersion,
              QStringLiteral("Firmware class: 210, family 2 (CRT with board identity)"),
              "Device: " + simulator->devicePath(), "Requests written: " + QString::number(handled.size() + unheard),
              QStringLiteral("Rejections (\"!\"): 1"), QStringLiteral("Reconnects: 1"),
              QStringLiteral("[StartUp] RunType = 1")})
            QVERIFY2(text.contains("\n" + line + "\n"), qPrintable(line));
        for (const char* logged : {" > zz\n", " < zz\n", " < Unknown command!\n", " * Refused by the monitor: zz\n",
                                   " * No answer within 2000 ms"})
            QVERIFY2(text.contains(logged), logged);
        QVERIFY(h.dialogs.messages.isEmpty());

        // A folder that is not there: the user is told, nothing is claimed saved.
        h.dialogs.files.enqueue(dir.filePath("missing/report.txt"));
        report->findChild<QPushButton*>("btnSaveReport")->click();
        QCOMPARE(h.dialogs.messages.size(), 1);
        QVERIFY(h.dialogs.messages.first().text.startsWith("The diagnostic report could not be written"));
        QVERIFY(report->findChild<QLabel*>("lblSaved")->text().isEmpty());
    }
};

QTEST_MAIN(LinkReportEndToEndTest)
#include "tst_e2e_linkreport.moc"
