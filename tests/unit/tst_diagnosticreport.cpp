// The diagnostic report's text and the log ring that feeds it: every section holds what the technician sends,
// the ring keeps only its last lines with their direction, and the proposed file name is always a safe name.
#include "link/DiagnosticReport.h"
#include "link/LinkStatistics.h"
#include "link/LogHistory.h"
#include "model/MonitorModel.h"

#include <QtTest>

namespace {
// The text between a section heading and the next one.
QStringList section(const QString& report, const QString& title) {
    const QStringList lines = report.split('\n');
    int i = int(lines.indexOf(QStringLiteral("== ") + title + QStringLiteral(" ==")));
    if (i < 0)
        return {QStringLiteral("(missing section %1)").arg(title)};
    QStringList out;
    while (++i < lines.size() && !lines[i].startsWith(QLatin1String("== ")))
        if (!lines[i].isEmpty())
            out << lines[i];
    return out;
}
} // namespace

class DiagnosticReportTest : public QObject {
    Q_OBJECT
private slots:
    void reportHoldsEverySection() {
        MonitorModel model;
        model.initialise();
        model.modelNumber = "OX-21";
        model.serialNumber = "SN4711";
        model.partNumber = "P-100";
        model.firmwareVersion = "V 2.10";
        model.romVersion = "V 1.02";
        model.firmwareClass = 210;
        model.setCapabilities(4 | 8);
        model.monitorResponding = true;
        LinkStatistics stats;
        stats.noteLineWritten(0);
        stats.noteAnswer(40);
        stats.noteLineWritten(100);
        stats.noteAnswer(160);
        stats.noteLineWritten(300);
        stats.noteLineWritten(2400);
        stats.noteRejection();
        stats.noteTimeOut();
        stats.noteConnectionLost();
        stats.noteMonitorFound();

        DiagnosticReport::Input in;
        in.toolVersion = "1.0.52";
        in.createdAt = QDateTime(QDate(2026, 12, 7), QTime(14, 30, 5));
        in.model = &model;
        in.statistics = &stats;
        in.port = {2, "/dev/ttyUSB0", "19200,O,8,2", true};
        in.settings = {{"Configs", "CommPort", "2"}, {"StartUp", "RunType", "1"}};
        in.logLines = {"2026-12-07 14:30:01.000 > p", "2026-12-07 14:30:01.040 < p", "2026-12-07 14:30:01.041 < #"};
        in.droppedLogLines = 12;
        const QString report = DiagnosticReport::text(in);

        QVERIFY(report.startsWith("OrvexMon diagnostic report\nCreated: 2026-12-07 14:30:05\nTool version: 1.0.52\n"));
        const QStringList monitor = section(report, "Monitor");
        for (const char* line :
             {"Model number: OX-21", "Serial number: SN4711", "Part number: P-100", "Firmware version: V 2.10",
              "Boot EPROM version: V 1.02", "Firmware class: 210, family 2 (CRT with board identity)",
              "Capability: 0x0c: Video, Deflection", "Operating time: (not read)", "Responding: yes"})
            QVERIFY2(monitor.contains(line), line);
        QCOMPARE(section(report, "Port"),
                 (QStringList{"Port: Com2", "Device: /dev/ttyUSB0", "Line settings: 19200,O,8,2", "Open: yes"}));
        const QStringList link = section(report, "Link statistics since start");
        for (const char* line : {"Requests written: 4", "Answers: 2", "Time-outs: 1", "Rejections (\"!\"): 1",
                                 "Reconnects: 1", "Answer time, median: 50 ms", "Answer time, worst: 60 ms"})
            QVERIFY2(link.contains(line), line);
        QCOMPARE(section(report, "Settings as stored"),
                 (QStringList{"[Configs] CommPort = 2", "[StartUp] RunType = 1"}));
        QCOMPARE(section(report, "Log, last 3 lines (12 earlier lines not kept)"), in.logLines);
        QVERIFY(report.endsWith("< #\n"));
    }

    void firmwareClassText_data() {
        QTest::addColumn<int>("firmwareClass");
        QTest::addColumn<QString>("text");
        QTest::newRow("not read") << 0 << "not read";
        QTest::newRow("CRT") << 138 << "138, family 1 (CRT)";
        QTest::newRow("299 belongs to no family") << 299 << "299, family none known";
        QTest::newRow("flat panel") << 315 << "315, family 3 (flat panel)";
        QTest::newRow("LED backlight") << 498 << "498, family 4 (flat panel with LED backlight)";
    }
    void firmwareClassText() {
        QFETCH(int, firmwareClass);
        QTEST(DiagnosticReport::firmwareClassText(firmwareClass), "text");
    }

    void proposedFileName_data() {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("name");
        QTest::newRow("serial number") << " SN4711 "
                                       << "SN4711-2026-12-07.txt";
        QTest::newRow("not read yet") << ""
                                      << "OrvexMon-2026-12-07.txt";
        QTest::newRow("line noise cannot leave the folder") << "../a/b\\c:\r\n*"
                                                            << "___a_b_c____-2026-12-07.txt";
    }
    void proposedFileName() {
        QFETCH(QString, serial);
        QTEST(DiagnosticReport::fileName(serial, QDate(2026, 12, 7)), "name");
    }

    // The ring: direction marks, lines cut at line ends and prompts, control characters shown, the oldest lines
    // let go at the capacity, and a half-received line reported last.
    void logHistoryKeepsTheLastLines() {
        qint64 now = QDateTime(QDate(2026, 12, 7), QTime(9, 0, 0)).toMSecsSinceEpoch();
        LogHistory log(4, [&now] { return now; });
        log.logWritten("df\r\n");
        now += 45;
        for (QChar c : QString("df\rV 2.10\r#"))
            c == '\r' ? log.logReceivedLineEnd() : log.logReceivedChar(c);
        log.logReceivedLineEnd(); // the CR after the prompt adds no empty line
        QCOMPARE(log.lines(), (QStringList{"2026-12-07 09:00:00.000 > df", "2026-12-07 09:00:00.045 < df",
                                           "2026-12-07 09:00:00.045 < V 2.10", "2026-12-07 09:00:00.045 < #"}));
        QCOMPARE(log.droppedLines(), quint64(0));

        log.logEvent("Received comFrame");
        log.logWritten(QByteArray("c\x08z"));
        log.logReceivedChar('x');
        const QStringList lines = log.lines();
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.first(), "2026-12-07 09:00:00.045 < df");
        QCOMPARE(lines[3], "2026-12-07 09:00:00.045 * Received comFrame");
        QCOMPARE(lines[4], "2026-12-07 09:00:00.045 < x");
        QCOMPARE(lines[5], "2026-12-07 09:00:00.045 > c<08>z");
        QCOMPARE(log.droppedLines(), quint64(1));

        for (int i = 0; i < LogHistory::maxLineChars + 5; ++i)
            log.logReceivedChar('a');
        QCOMPARE(log.lines().filter(QRegularExpression("< a+$")).size(), 1); // "x" and 999 "a"s, then the six left
        QCOMPARE(log.lines().last(), "2026-12-07 09:00:00.045 > c<08>z");
    }
};

QTEST_GUILESS_MAIN(DiagnosticReportTest)
#include "tst_diagnosticreport.moc"
