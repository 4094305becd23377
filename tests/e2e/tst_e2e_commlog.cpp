// The communication log against the simulated monitor over a pseudo-terminal: requests typed into the log in
// bypass and in queue mode reach the monitor, its echo and reply come back into the log, and the log file
// keeps the same lines behind timestamps; a request from the request line shows both directions in hex.
#include "app/FrmMain.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "link/windows/FrmCommLog.h"
#include "sim/PtySimulator.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {
// Generous bounds: they only keep a broken build from hanging, nothing is measured against them.
constexpr int kWithinMs = 10000;

QString fileText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromLatin1(f.readAll());
}
} // namespace

class CommLogEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void typedRequestsAndTheirAnswers() {
        ToolHarness h(ToolHarness::Port::Real);
        sim::SimOptions options;
        options.profile = "2.10";
        sim::PtySimulator* simulator = h.startWithSimulator(options);
        QList<QByteArray> handled;
        QObject::connect(simulator, &sim::PtySimulator::requestHandled, simulator,
                         [&](const QByteArray& request, const QByteArray&) { handled << request.trimmed(); });
        FrmMain* main = h.app().mainWindow();
        QVERIFY(QTest::qWaitFor([&] { return main->connectionState() == ConnectionState::Online; }, kWithinMs));
        // Keep the link to what the test types.
        h.ctx().link->setAutoPingEnabled(false);

        QVERIFY(h.chooseMenu("mnuDiagnosticsCommLogging"));
        FrmCommLog* log = h.ctx().windows->existing<FrmCommLog>();
        QVERIFY(log && log->logWindowOpen());
        QTemporaryDir dir;
        const QString path = dir.filePath("session.mcl");
        h.dialogs.files.enqueue(path);
        log->findChild<QPushButton*>("BtnLogFile")->click();
        QVERIFY(log->fileLogEnabled());
        auto* text = log->findChild<QPlainTextEdit*>("txtCommLog");

        // Bypass (the first-run default): each key goes to the line at once.
        QVERIFY(h.ctx().link->bypassQueue);
        QVERIFY(QTest::qWaitFor([&] { return !h.ctx().queue()->awaitingAnswer(); }, kWithinMs));
        log->clearLog();
        QTest::keyClicks(text, "CV");
        QTest::keyClick(text, Qt::Key_Return);
        QVERIFY(QTest::qWaitFor([&] { return handled.contains("CV"); }, kWithinMs));
        QVERIFY(QTest::qWaitFor([&] { return log->logText().contains("Verbose messages"); }, kWithinMs));
        QVERIFY2(log->logText().startsWith("CV\r\n"), qPrintable(log->logText()));

        // Queue mode: the typed line goes as one request.
        log->findChild<QCheckBox*>("ckXmitQueueOverride")->setChecked(false);
        QTest::keyClicks(text, "CU\r");
        QVERIFY(QTest::qWaitFor([&] { return handled.contains("CU"); }, kWithinMs));
        QVERIFY(QTest::qWaitFor([&] { return log->logText().contains("Terse messages"); }, kWithinMs));

        // The file has the same lines, each behind its time.
        QVERIFY(QTest::qWaitFor([&] { return fileText(path).contains(" Terse messages\n"); }, kWithinMs));
        const QRegularExpression stamped(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "));
        const QStringList lines = fileText(path).split('\n', Qt::SkipEmptyParts);
        for (const QString& line : lines)
            QVERIFY2(stamped.match(line).hasMatch(), qPrintable(line));
        QVERIFY(lines.filter(QRegularExpression(" CV$")).size() == 1);
        QVERIFY(lines.filter(QRegularExpression(" CU$")).size() == 1);

        // The request line in the hex view: what is written and what comes back, each on lines of their own.
        log->findChild<QComboBox*>("cboLogView")->setCurrentIndex(2);
        QVERIFY(QTest::qWaitFor([&] { return h.linkIdle(); }, kWithinMs));
        log->clearLog();
        auto* line = log->findChild<QLineEdit*>("txtRequest");
        QTest::keyClicks(line, "CV");
        QTest::keyClick(line, Qt::Key_Return);
        QVERIFY(QTest::qWaitFor([&] { return handled.count("CV") == 2; }, kWithinMs));
        // Up to the prompt ("#" at the start of a line).
        QVERIFY(QTest::qWaitFor([&] { return log->logText().contains("\r\n23 "); }, kWithinMs));
        QVERIFY2(log->logText().startsWith("Sent 43 56 0D 0A\r\n43 56 0D 0A\r\n"),
                 qPrintable(log->logText().toUtf8().toPercentEncoding(" ")));
    }
};

QTEST_MAIN(CommLogEndToEndTest)
#include "tst_e2e_commlog.moc"
