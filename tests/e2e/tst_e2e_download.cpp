// Firmware downloads against the simulated monitor over a pseudo-terminal with the real clock, started as a
// user does from the Software window: a flash download in boot mode whose programmed image equals the file, an
// SRAM load then "Run SRAM Program", a record rejected twice then accepted, a record rejected seven times, an
// Abort, and a bad image that never reaches the monitor.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "download/DownloadEngine.h"
#include "download/windows/FrmBootProgress.h"
#include "download/windows/FrmSoftware.h"
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
    bool ended() {
        return h.waitFor([&] { return !outcomes.isEmpty() && !h.ctx().download->inProgress(); }, downloadWithinMs);
    }
    bool linkIdle() {
        const TransmitQueue* q = h.ctx().queue();
        return !q->awaitingAnswer() && !q->writePending() && q->transmitQueue().isEmpty();
    }
    QString retryText() {
        auto* p = h.ctx().windows->existing<FrmBootProgress>();
        return p ? p->findChild<QLabel*>("RetryLabel")->text() : QString();
    }
};

// Twelve records of 16 bytes from 0x0100 on, in one file.
QString writeImage(const QString& path, QByteArray* bytes = nullptr) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    for (int i = 0; i < 12; ++i) {
        QByteArray data;
        for (int k = 0; k < 16; ++k)
            data.append(char((i * 16 + k) * 7));
        if (bytes)
            *bytes += data;
        f.write(sim::makeHexRecord(0, quint16(0x100 + i * 16), data) + "\r\n");
    }
    f.write(":00000001FF\r\n");
    return path;
}

} // namespace

class DownloadEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void flashDownloadInBootMode() {
        Session s(true);
        QVERIFY(s.connected(ConnectionState::BootMode));
        const QString path = writeImage(s.h.m_dir.filePath("firmware.hex"));
        s.h.dialogs.files.enqueue(path);
        s.click(s.software(), "btnLoadFlash");
        QVERIFY(s.ended());
        QCOMPARE(s.outcomes, QList<Outcome>{Outcome::Completed});
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        sim::HexImage fromFile;
        QVERIFY(sim::HexImage::fromIntelHex(f.readAll(), &fromFile));
        QCOMPARE(s.simulator->monitor().flashImage(), fromFile);
        QCOMPARE(s.h.tone.tones.mid(s.h.tone.tones.size() - 3),
                 (QList<QPair<int, int>>{{250, 250}, {500, 250}, {1000, 250}}));
        QVERIFY(!s.h.ctx().windows->existing<FrmBootProgress>()->parentWidget()->isVisible());
        // Checking and auto-ping were switched off for the download, in boot mode too.
        auto* log = s.h.ctx().windows->existing<FrmCommLog>();
        QVERIFY(log->findChild<QPushButton*>("btnCheckOn")->isEnabled());
        QCOMPARE(log->findChild<QPushButton*>("btnDisableAutoping")->text(), QStringLiteral("Enable AutoPing"));
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
        QVERIFY(s.h.dialogs.messages.isEmpty());
    }

    void rejectedRecords_data() {
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("retries");
        QTest::addColumn<QString>("box");
        QTest::newRow("twice, then accepted") << 2 << int(Outcome::Completed) << "Retries: 2" << QString();
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
        QCOMPARE(s.h.dialogs.messages.last().text, box.isEmpty() ? s.h.dialogs.messages.first().text : box);
    }

    void abortEndsAtTheNextAnswer() {
        Session s(true);
        QVERIFY(s.connected(ConnectionState::BootMode));
        s.simulator->setDelay(150);
        s.h.dialogs.files.enqueue(writeImage(s.h.m_dir.filePath("firmware.hex")));
        s.click(s.software(), "btnLoadFlash");
        QVERIFY(s.h.waitFor([&] { return s.h.ctx().download->recordNumber >= 3; }, downloadWithinMs));
        auto* progress = s.h.ctx().windows->existing<FrmBootProgress>();
        QVERIFY(progress->parentWidget()->isVisible());
        s.click(progress, "BootAbortButton");
        QVERIFY(s.ended());
        QCOMPARE(s.outcomes, QList<Outcome>{Outcome::Aborted});
        QVERIFY(s.h.ctx().download->recordNumber < 13);
        QVERIFY(!progress->parentWidget()->isVisible());
        QCOMPARE(s.h.dialogs.messages.size(), 1); // the confirmation only: an abort shows no box
    }

    void badImageIsRefusedBeforeAnythingIsSent() {
        Session s(false);
        QVERIFY(s.connected(ConnectionState::Online));
        FrmSoftware* w = s.software();
        // Whatever the connection still reads is let through first; no keep-alive meanwhile.
        s.h.ctx().link->autoPingEnabled = false;
        QVERIFY(s.h.waitFor([&] { return s.linkIdle(); }, connectWithinMs));
        QSignalSpy requests(s.simulator, &sim::PtySimulator::requestHandled);
        const QString path = s.h.m_dir.filePath("bad.hex");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(sim::makeHexRecord(0, 0, "abcd") + "\r\n:0400000061626364FF\r\n:00000001FF\r\n");
        f.close();
        s.h.dialogs.files.enqueue(path);
        s.click(w, "btnLoadFlash");
        QTest::qWait(500);
        QStringList handled;
        for (const QList<QVariant>& r : requests)
            handled << QString::fromLatin1(r.at(0).toByteArray());
        QCOMPARE(handled, QStringList());
        QCOMPARE(s.h.dialogs.messages.last().title, QStringLiteral("File Format Error"));
        QVERIFY(s.h.dialogs.messages.last().text.contains("Line 2 has a bad checksum"));
        QVERIFY(!s.simulator->monitor().bootMode());
        QCOMPARE(s.outcomes, QList<Outcome>{Outcome::ImageRefused});
    }
};

QTEST_MAIN(DownloadEndToEndTest)
#include "tst_e2e_download.moc"
