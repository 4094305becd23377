// Firmware downloads against the simulated monitor over a pseudo-terminal with the real clock, started as a
// user does from the Software window: a flash download in boot mode with a diagnostics window open and an image
// with a Ctrl-Z tail, whose programmed image equals the file; an SRAM load then "Run SRAM Program"; a record
// rejected twice then accepted, or seven times; a second "Load" and an Abort; a monitor that falls silent
// half-way or never answers the erase, or a port that vanishes half-way; and a bad image that never reaches the
// monitor.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "diag/StatusWindows.h"
#include "download/DownloadEngine.h"
#include "download/windows/FrmBootProgress.h"
#include "download/windows/FrmSoftware.h"
#include "link/ConnectionSearch.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "link/windows/FrmCommLog.h"
#include "model/MonitorModel.h"
#include "sim/IntelHex.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Bounds that only keep a broken build from hanging; nothing is measured against them.
constexpr int connectWithinMs = 15000;
constexpr int downloadWithinMs = 60000;

using Outcome = DownloadEngine::Outcome;

struct Session {
    ToolHarness h{ToolHarness::Port::Real, QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n")};
    sim::PtySimulator* simulator = nullptr;
    QList<Outcome> outcomes;
    bool retriesSeen = false;

    explicit Session(bool bootMode) {
        sim::SimOptions options;
        options.bootMode = bootMode;
        simulator = h.startWithSimulator(options);
        QObject::connect(h.ctx().download, &DownloadEngine::finished, [this](Outcome o) { outcomes << o; });
    }
    bool connected(ConnectionState state) {
        return h.waitFor([&] { return h.app().mainWindow()->connectionState() == state; }, connectWithinMs);
    }
    // Chooses a menu item as the user does: only when it and its menu are offered.
    bool choose(const char* name) {
        MainMenus* menus = h.app().mainWindow()->menus();
        for (const MainMenus::Entry& e : MainMenus::tree())
            if (QLatin1String(e.name) == QLatin1String(name) && e.parent && !menus->action(e.parent)->isEnabled())
                return false;
        QAction* a = menus->action(QLatin1String(name));
        if (!a || !a->isEnabled())
            return false;
        a->trigger();
        return true;
    }
    FrmSoftware* software() {
        if (!choose("mnuConfigureSoftware"))
            qFatal("\"So&ftware\" is not offered");
        return h.ctx().windows->existing<FrmSoftware>();
    }
    void click(ChildWindow* w, const char* button) { w->findChild<QPushButton*>(QLatin1String(button))->click(); }
    QString box() { return h.dialogs.messages.isEmpty() ? QString() : h.dialogs.messages.last().text; }
    bool progressShown() {
        auto* p = h.ctx().windows->existing<FrmBootProgress>();
        return p && p->parentWidget()->isVisible();
    }
    QString autoPingCaption() {
        return h.ctx().windows->existing<FrmCommLog>()->findChild<QPushButton*>("btnDisableAutoping")->text();
    }
    // The download has ended and its box, if it has one, has been shown.
    bool ended() {
        const DownloadEngine* d = h.ctx().download;
        const auto told = [&] { return d->verdict().text.isEmpty() || box() == d->verdict().text; };
        return h.waitFor([&] { return !outcomes.isEmpty() && !d->inProgress() && told(); }, downloadWithinMs);
    }
    bool linkIdle() {
        const TransmitQueue* q = h.ctx().queue();
        return q->isIdle();
    }
    QString retryText() {
        auto* p = h.ctx().windows->existing<FrmBootProgress>();
        return p ? p->findChild<QLabel*>("RetryLabel")->text() : QString();
    }
};

// Twelve records of 16 bytes from 0x0100 on, in one file, each line ended by lineEnd; tail after the end record.
QString writeImage(const QString& path, QByteArray* bytes = nullptr, const QByteArray& lineEnd = "\r\n",
                   const QByteArray& tail = QByteArray()) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    for (int i = 0; i < 12; ++i) {
        QByteArray data;
        for (int k = 0; k < 16; ++k)
            data.append(char((i * 16 + k) * 7));
        if (bytes)
            *bytes += data;
        f.write(sim::makeHexRecord(0, quint16(0x100 + i * 16), data) + lineEnd);
    }
    f.write(":00000001FF" + lineEnd + tail);
    return path;
}

} // namespace

class DownloadEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    // The sample image shipped for trying a download is one the simulated boot block takes whole.
    void shippedSampleImage() {
        Session s(true);
        QVERIFY(s.connected(ConnectionState::BootMode));
        const QString path = QFINDTESTDATA("../../sim/samples/sample-firmware.hex");
        QVERIFY(!path.isEmpty());
        s.h.dialogs.files.enqueue(path);
        s.click(s.software(), "btnLoadFlash");
        QVERIFY(s.ended());
        QCOMPARE(s.outcomes, QList<Outcome>{Outcome::Completed});
        QCOMPARE(s.simulator->monitor().flashImage().size(), 1024);
    }

    void flashDownloadInBootMode() {
        Session s(true);
        QVERIFY(s.connected(ConnectionState::BootMode));
        // A diagnostics window open on the boot block says why it shows nothing and asks nothing.
        QSignalSpy requests(s.simulator, &sim::PtySimulator::requestHandled);
        QVERIFY(s.choose("mnuDiagnosticsHVLimits"));
        auto* limits = s.h.ctx().windows->existing<FrmHVLimits>();
        QVERIFY(limits->findChild<QLabel*>("lblNotice")->text().contains("boot block"));
        QByteArray bytes;
        const QString path = writeImage(s.h.m_dir.filePath("firmware.hex"), &bytes, " \r\n", "\r\n\x1A");
        s.h.dialogs.files.enqueue(path);
        QCOMPARE(s.autoPingCaption(), QStringLiteral("Disable AutoPing"));
        // While the box that tells the end is open, the keep-alive pings and the answers are taken.
        const LinkStatistics& link = s.h.ctx().link->statistics();
        bool answeredWhileOpen = false;
        s.h.dialogs.whileOpen = [&](const ScriptedDialogs::Message&) {
            const quint64 before = link.answers();
            answeredWhileOpen = s.h.waitFor([&] { return link.answers() > before; }, connectWithinMs);
        };
        s.click(s.software(), "btnLoadFlash");
        QCOMPARE(s.autoPingCaption(), QStringLiteral("Enable AutoPing"));
        QVERIFY(s.ended());
        QCOMPARE(s.outcomes, QList<Outcome>{Outcome::Completed});
        QCOMPARE(s.simulator->monitor().flashImage().toBinary(), bytes);
        for (const QList<QVariant>& r : requests)
            QVERIFY2(!r.at(0).toByteArray().startsWith('d'), r.at(0).toByteArray().constData());
        QCOMPARE(s.h.tone.tones.mid(s.h.tone.tones.size() - 3),
                 (QList<QPair<int, int>>{{250, 250}, {500, 250}, {1000, 250}}));
        QVERIFY(!s.progressShown());
        QCOMPARE(s.box(), QStringLiteral("Flash download complete: 13 records sent."));
        QVERIFY(answeredWhileOpen);
        // Checking was switched off for the download, in boot mode too; auto-ping is back on.
        auto* log = s.h.ctx().windows->existing<FrmCommLog>();
        QVERIFY(log->findChild<QPushButton*>("btnCheckOn")->isEnabled());
        QCOMPARE(s.autoPingCaption(), QStringLiteral("Disable AutoPing"));
        QVERIFY(log->logText().contains("Download flash 'firmware.hex': 13 records, 0 retries"));
        // The new firmware runs.
        QVERIFY(s.choose("mnuMonitorRun"));
        QVERIFY(s.h.waitFor([&] { return !s.simulator->monitor().bootMode(); }, connectWithinMs));
    }

    void sramDownloadThenRun() {
        Session s(false);
        QVERIFY(s.connected(ConnectionState::Online));
        QByteArray bytes;
        s.h.dialogs.files.enqueue(writeImage(s.h.m_dir.filePath("test.hex"), &bytes));
        FrmSoftware* w = s.software();
        s.click(w, "btnLoadSRAM");
        QVERIFY(s.ended());
        QCOMPARE(s.outcomes, QList<Outcome>{Outcome::Completed});
        QCOMPARE(s.simulator->monitor().sramImage().toBinary(), bytes);
        s.click(w, "btnRunSRAM");
        QVERIFY(s.h.waitFor([&] { return s.simulator->monitor().state().sramRunning; }, connectWithinMs));
        QCOMPARE(s.h.dialogs.texts(), QStringList{"SRAM download complete: 13 records sent."});
    }

    void rejectedRecords_data() {
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("retries");
        QTest::addColumn<QString>("box");
        QTest::newRow("twice, then accepted") << 2 << int(Outcome::Completed) << "Retries: 2"
                                              << "Flash download complete: 13 records sent.";
        QTest::newRow("seven times") << 7 << int(Outcome::RetryLimit) << "Retries: 7"
                                     << "Retry Limit exceeded, quitting.\nRecord number was 3";
    }
    void rejectedRecords() {
        QFETCH(int, times);
        QFETCH(int, outcome);
        QFETCH(QString, retries);
        QFETCH(QString, box);
        Session s(true);
        QVERIFY(s.connected(ConnectionState::BootMode));
        s.simulator->setRejectRecord(3, times);
        s.h.dialogs.files.enqueue(writeImage(s.h.m_dir.filePath("firmware.hex")));
        s.click(s.software(), "btnLoadFlash");
        QVERIFY(s.ended());
        QCOMPARE(int(s.outcomes.last()), outcome);
        QCOMPARE(s.retryText(), retries);
        QCOMPARE(s.box(), box);
    }

    // A second "Load" asks before it gives up the running download; Abort then ends it at the next answer.
    void secondLoadAsksThenAbortEnds() {
        Session s(true);
        QVERIFY(s.connected(ConnectionState::BootMode));
        s.simulator->setDelay(150);
        s.h.dialogs.files.enqueue(writeImage(s.h.m_dir.filePath("firmware.hex")));
        s.click(s.software(), "btnLoadFlash");
        QVERIFY(s.h.waitFor([&] { return s.h.ctx().download->recordNumber >= 3; }, downloadWithinMs));
        QVERIFY(s.progressShown());
        s.h.dialogs.answers.enqueue(Dialogs::AnswerNo);
        s.click(s.software(), "btnLoadFlash");
        QCOMPARE(s.h.dialogs.messages.last().title, QStringLiteral("Download Running"));
        QCOMPARE(s.h.dialogs.fileRequests.size(), 1);
        QVERIFY(s.h.ctx().download->inProgress());
        s.click(s.h.ctx().windows->existing<FrmBootProgress>(), "BootAbortButton");
        QVERIFY(s.ended());
        QCOMPARE(s.outcomes, QList<Outcome>{Outcome::Aborted});
        QVERIFY(s.h.ctx().download->recordNumber < 13);
        QVERIFY(!s.progressShown());
        QVERIFY(s.box().startsWith(
            QStringLiteral("The download was aborted at record %1 of 13.").arg(s.h.ctx().download->recordNumber)));
    }

    // A second "Load" while the first still reads a running monitor for its history: those reads end first, with
    // the monitor back on its scan set, then the new download reads what is left and runs whole. Nothing is read
    // once the download's first request is out.
    void secondLoadWhileReading() {
        Session s(false);
        QVERIFY(s.connected(ConnectionState::Online));
        QVERIFY(s.h.waitFor([&] { return s.linkIdle(); }, connectWithinMs));
        const QString home = QStringLiteral("CC%1").arg(s.h.ctx().model->currentScanSet);
        QStringList wire;
        QObject::connect(s.simulator, &sim::PtySimulator::requestHandled, s.simulator,
                         [&wire](const QByteArray& request) { wire << QString::fromLatin1(request.trimmed()); });
        const QString image = writeImage(s.h.m_dir.filePath("firmware.hex"));
        s.h.dialogs.files.enqueue(image);
        s.h.dialogs.files.enqueue(image);
        s.click(s.software(), "btnLoadFlash");
        const QRegularExpression select(QStringLiteral("^CC\\d$"));
        QVERIFY(s.h.waitFor([&] { return !wire.filter(select).isEmpty(); }, connectWithinMs));
        s.h.dialogs.answers.enqueue(Dialogs::AnswerYes); // abandon the running one
        s.click(s.software(), "btnLoadFlash");
        QVERIFY(s.h.waitFor([&] { return s.outcomes.size() == 2; }, downloadWithinMs));
        QCOMPARE(s.outcomes, (QList<Outcome>{Outcome::Abandoned, Outcome::Completed}));
        const qsizetype start = wire.indexOf(QStringLiteral("cz0"));
        QVERIFY2(start > 0 && wire.mid(0, start).filter(select).last() == home, qPrintable(wire.join(' ')));
        for (const QString& request : wire.mid(start))
            QVERIFY2(!request.startsWith(QLatin1String("dd")) && !select.match(request).hasMatch(),
                     qPrintable(wire.join(' ')));
    }

    // The monitor falls silent half-way, or never answers the erase: the download ends and says where. (The
    // download keep-alive interval is shortened to keep the test quick; the engine reads it at each record.)
    // A port that vanishes half-way (the pseudo-terminal closes) ends it at once, without that interval, and the
    // search goes on for the lost port.
    void silentMonitorEndsTheDownload_data() {
        QTest::addColumn<int>("answers"); // answers before the monitor falls silent; 0: silent already
        QTest::addColumn<bool>("vanish"); // then the port goes away
        QTest::addColumn<QString>("where");
        QTest::newRow("half-way") << 6 << false << "record 6 of 13";
        QTest::newRow("erase never answered") << 0 << false << "the erase request (\"bf3\")";
        QTest::newRow("port vanishes half-way") << 6 << true << "record 6 of 13";
    }
    void silentMonitorEndsTheDownload() {
        QFETCH(int, answers);
        QFETCH(bool, vanish);
        QFETCH(QString, where);
        Session s(true);
        QVERIFY(s.connected(ConnectionState::BootMode));
        if (!vanish) {
            s.h.ctx().link->downloadKeepAliveInterval = 1500;
            s.h.ctx().download->startAnswerLimitMs = 1500;
        }
        s.h.dialogs.files.enqueue(writeImage(s.h.m_dir.filePath("firmware.hex")));
        FrmSoftware* w = s.software();
        QVERIFY(s.h.waitFor([&] { return s.linkIdle(); }, connectWithinMs));
        answers > 0 ? s.simulator->setSilentAfter(answers) : s.simulator->setSilent(true);
        s.click(w, "btnLoadFlash");
        const QString device = s.simulator->devicePath();
        if (vanish) {
            QVERIFY(s.h.waitFor([&] { return s.h.ctx().download->recordNumber == answers; }, downloadWithinMs));
            s.simulator->stop();
        }
        QVERIFY(s.ended());
        QCOMPARE(s.outcomes, QList<Outcome>{vanish ? Outcome::PortLost : Outcome::NoAnswer});
        QVERIFY(!s.progressShown());
        const QString why = vanish ? "The port " + device + " was lost at " + where + " (the line hung up)."
                                   : "The monitor did not answer " + where + " within 1.5 s.";
        QCOMPARE(s.box(), why + "\nThe monitor's flash may now be erased, and the monitor stays in its boot block.\n"
                                "The download can simply be started again.");
        QCOMPARE(s.autoPingCaption(), QStringLiteral("Disable AutoPing"));
        if (!vanish)
            return;
        auto* status = s.h.app().mainWindow()->findChild<QLabel*>("lblStatusConnection");
        QCOMPARE(status->text(), "Port " + device + " lost (the line hung up): searching for the monitor");
        QVERIFY(s.h.ctx().search->isSearching());
    }

    // A flash download from a running monitor, stopped or slowed before its first record: an erase that takes
    // longer than a record may (the download keep-alive interval is shortened to keep the test quick; the erase
    // has a limit of its own) completes while the progress window counts the seconds, Abort ends it at once; an
    // abort before the erase switches checking and auto boot back on, auto boot only when the boot block was read.
    void startTakesItsTime_data() {
        QTest::addColumn<int>("eraseMs");
        QTest::addColumn<QString>("abortWhen"); // "erasing", "before the erase" or nothing
        QTest::addColumn<bool>("bootBlockRead");
        QTest::addColumn<QString>("told");
        QTest::newRow("slow erase") << 3000 << "" << true << "Flash download complete: 13 records sent.";
        QTest::newRow("abort while erasing") << 3000 << "erasing" << true << "stays in its boot block.";
        QTest::newRow("abort before the erase")
            << 0 << "before the erase" << true << "as it was.\nFlash checking and auto boot were switched back on.";
        QTest::newRow("abort before the erase, auto boot not known")
            << 0 << "before the erase" << false << "switches it on.\nFlash checking was switched back on.";
    }
    void startTakesItsTime() {
        QFETCH(int, eraseMs);
        QFETCH(QString, abortWhen);
        QFETCH(bool, bootBlockRead);
        QFETCH(QString, told);
        Session s(false);
        QVERIFY(s.connected(ConnectionState::Online));
        QVERIFY(!bootBlockRead || s.choose("mnuInfoBoot"));
        QVERIFY(s.h.waitFor([&] { return s.linkIdle(); }, connectWithinMs));
        s.h.ctx().link->downloadKeepAliveInterval = 1500;
        s.simulator->setEraseTime(eraseMs);
        // Slow answers from the download's first request on ("cz0"): the reads before it go at speed.
        if (eraseMs == 0)
            QObject::connect(s.simulator, &sim::PtySimulator::requestHandled, s.simulator,
                             [&s](const QByteArray& request) {
                                 if (request.trimmed() == "cz0")
                                     s.simulator->setDelay(1000);
                             });
        const sim::MonitorState& monitor = s.simulator->monitor().state();
        s.h.dialogs.files.enqueue(writeImage(s.h.m_dir.filePath("firmware.hex")));
        s.click(s.software(), "btnLoadFlash");
        auto* progress = s.h.ctx().windows->existing<FrmBootProgress>();
        const auto waiting = [&] { return progress->findChild<QLabel*>("lblWaiting")->text(); };
        QVERIFY(s.h.waitFor(
            [&] {
                return eraseMs > 0 ? waiting().startsWith("Erasing\u2026") && waiting() != "Erasing\u2026 0 s"
                                   : !monitor.autoBoot;
            },
            connectWithinMs));
        if (!abortWhen.isEmpty())
            s.click(progress, "BootAbortButton");
        QVERIFY(s.ended());
        QVERIFY2(s.box().endsWith(told), qPrintable(s.box()));
        QCOMPARE(waiting(), QString());
        if (abortWhen == "before the erase")
            QVERIFY(
                s.h.waitFor([&] { return monitor.checking && monitor.autoBoot == bootBlockRead; }, connectWithinMs));
    }

    // An image whose second record runs past the 64 KiB address space.
    void badImageIsRefusedBeforeAnythingIsSent() {
        Session s(false);
        QVERIFY(s.connected(ConnectionState::Online));
        FrmSoftware* w = s.software();
        // Whatever the connection still reads is let through first; no keep-alive meanwhile.
        s.h.ctx().link->setAutoPingEnabled(false);
        QVERIFY(s.h.waitFor([&] { return s.linkIdle(); }, connectWithinMs));
        QSignalSpy requests(s.simulator, &sim::PtySimulator::requestHandled);
        const QString path = s.h.m_dir.filePath("bad.hex");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(sim::makeHexRecord(0, 0, "abcd") + "\r\n" + sim::makeHexRecord(0, 0xFFF8, QByteArray(16, 'x')) +
                "\r\n:00000001FF\r\n");
        f.close();
        s.h.dialogs.files.enqueue(path);
        s.click(w, "btnLoadFlash");
        QTest::qWait(500);
        QStringList handled;
        for (const QList<QVariant>& r : requests)
            handled << QString::fromLatin1(r.at(0).toByteArray());
        QCOMPARE(handled, QStringList());
        QCOMPARE(s.h.dialogs.messages.last().title, QStringLiteral("File Format Error"));
        QVERIFY(s.h.dialogs.messages.last().text.contains("Line 2 runs past the end of the 64 KiB address space"));
        QVERIFY(!s.simulator->monitor().bootMode());
        QCOMPARE(s.outcomes, QList<Outcome>{Outcome::ImageRefused});
    }
};

QTEST_MAIN(DownloadEndToEndTest)
#include "tst_e2e_download.moc"
