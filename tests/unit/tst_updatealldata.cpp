#include "model/MonitorModel.h"
#include "model/UpdateAllData.h"
#include "support/FakeClock.h"

#include <QtTest>

namespace {

const QStringList firstPass{"da",   "db",   "dc",   "ddv",  "ddfv", "ddpv", "ddh",  "ddph", "ddfh", "ddl",  "ddpl",
                            "ddfl", "ddb",  "ddpb", "ddfb", "de",   "df",   "dh",   "dms",  "dps",  "dss",  "dt",
                            "dw",   "dda",  "ddpa", "ddfa", "ddd",  "ddpd", "ddfd", "dde",  "ddpe", "ddfe", "ddg",
                            "ddpg", "ddfg", "ddi",  "ddpi", "ddfi", "ddk",  "ddpk", "ddfk", "dds",  "ddps", "ddfs"};

struct Rig {
    MonitorModel model;
    FakeClock clock;
    QStringList sent;
    UpdateAllData update{model, clock, [this](const QString& r) { sent << r; }};

    // One tick at a time, returning what each tick queued.
    QStringList ticks(int n) {
        QStringList perTick;
        for (int i = 0; i < n; ++i) {
            const int before = sent.size();
            clock.advance(1000);
            if (sent.size() - before > 1)
                return {QStringLiteral("more than one request in a tick")};
            perTick << (sent.size() > before ? sent.last() : QString());
        }
        return perTick;
    }
};

} // namespace

class TestUpdateAllData : public QObject {
    Q_OBJECT

private slots:
    void stepTable_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("request");
        QTest::newRow("3 sends nothing") << 3 << QString();
        QTest::newRow("-1 is the reset step") << -1 << QString();
        QTest::newRow("45 is the reset step") << 45 << QString();
        QTest::newRow("32767") << 32767 << QString();
        for (int step = 0; step <= 44; ++step)
            if (step != 3)
                QTest::addRow("step %d", step) << step << firstPass.at(step < 3 ? step : step - 1);
    }

    void stepTable() {
        QFETCH(int, step);
        QFETCH(QString, request);
        QCOMPARE(UpdateAllData::stepRequest(step), request);
        Rig r;
        r.model.monitorResponding = true;
        r.update.updateAllStep(step);
        QCOMPARE(r.sent, request.isEmpty() ? QStringList() : QStringList{request});
        QCOMPARE(r.update.timer()->isActive(), step < 44);
        QCOMPARE(r.update.timer()->interval(), 1000);
        if (step < 0 || step > 44)
            QCOMPARE(r.update.sendCount(), 1);
    }

    // The data file holds the part number and the CRT's numbers: a monitor whose boards report them is asked for
    // them with its serial number.
    void identityStepReadsWhatTheFileHolds() {
        Rig r;
        r.model.monitorResponding = true;
        r.model.hasBoardIdentity = true;
        r.update.updateAllStep(21);
        QCOMPARE(r.sent, (QStringList{"dss", "dmu", "dmt", "dst"}));
    }

    void nothingWithoutAMonitor() {
        Rig r;
        r.update.start();
        r.update.updateAllStep(5);
        r.update.readConvergenceData();
        QVERIFY(!r.update.timer()->isActive());
        r.clock.advance(60000);
        QVERIFY(r.sent.isEmpty());
    }

    void firstPassThenCycle() {
        Rig r;
        r.model.monitorResponding = true;
        r.update.start();
        QCOMPARE(r.sent, QStringList{"da"});
        QVERIFY(r.update.timer()->isActive());
        QCOMPARE(r.update.timer()->interval(), 1000);

        // Steps 1 to 44, one per tick, step 3 silent.
        const QStringList pass = r.ticks(44);
        QStringList expected = firstPass.mid(1, 2);
        expected << QString();
        expected << firstPass.mid(3);
        QCOMPARE(pass, expected);
        QCOMPARE(r.sent, firstPass);

        // The reset tick sends nothing; the cycle then repeats steps 2 to 44 without "da" and "db".
        QStringList cycle{QString(), "dc", QString()};
        cycle << firstPass.mid(3);
        QCOMPARE(r.ticks(44), cycle);
        QCOMPARE(r.ticks(44), cycle);
    }

    void startDuringTheCycleBeginsAgain() {
        Rig r;
        r.model.monitorResponding = true;
        r.update.start();
        r.clock.advance(10500);
        r.sent.clear();
        r.update.start();
        QCOMPARE(r.sent, QStringList{"da"});
        r.clock.advance(999);
        QCOMPARE(r.sent.size(), 1);
        r.clock.advance(1);
        QCOMPARE(r.sent, (QStringList{"da", "db"}));
    }

    void silentMonitorThenBack() {
        Rig r;
        r.model.monitorResponding = true;
        r.update.start();
        r.ticks(19); // next is step 20
        r.model.monitorResponding = false;
        r.sent.clear();
        r.ticks(5);
        QVERIFY(r.sent.isEmpty());
        QCOMPARE(r.update.sendCount(), 25);
        r.model.monitorResponding = true;
        QCOMPARE(r.ticks(2), (QStringList{"ddpa", "ddfa"})); // steps 25 and 26
    }

    void counterStaysInRangeForAnyRunLength() {
        Rig r;
        r.model.monitorResponding = true;
        r.update.start();
        r.model.monitorResponding = false;
        // Eleven hours of ticks without an answering monitor: far beyond a 16-bit count of steps.
        for (int hour = 0; hour < 11; ++hour) {
            r.clock.advance(3600 * 1000);
            QVERIFY(r.update.sendCount() >= 0 && r.update.sendCount() <= 45);
        }
        QVERIFY(r.update.timer()->isActive());
        QCOMPARE(r.sent, QStringList{"da"});
        r.model.monitorResponding = true;
        QCOMPARE(r.ticks(3), (QStringList{QString(), "dc", QString()}));
    }

    void convergenceReads_data() {
        QTest::addColumn<bool>("responding");
        QTest::addColumn<int>("capability");
        QTest::addColumn<bool>("sent");
        QTest::newRow("no monitor") << false << 32 << false;
        QTest::newRow("no convergence") << true << (255 & ~32) << false;
        QTest::newRow("convergence") << true << 32 << true;
    }

    void convergenceReads() {
        QFETCH(bool, responding);
        QFETCH(int, capability);
        QFETCH(bool, sent);
        Rig r;
        r.model.monitorResponding = responding;
        r.model.setCapabilities(capability);
        r.update.readConvergenceData();
        const QStringList expected{"dda", "ddpa", "ddfa", "ddd", "ddpd", "ddfd", "dde", "ddpe", "ddfe",
                                   "ddg", "ddpg", "ddfg", "ddi", "ddpi", "ddfi", "ddk", "ddpk", "ddfk"};
        QCOMPARE(r.sent, sent ? expected : QStringList());
        QCOMPARE(UpdateAllData::convergenceReadList(), expected);
        QVERIFY(!r.update.timer()->isActive());
    }
};

QTEST_GUILESS_MAIN(TestUpdateAllData)
#include "tst_updatealldata.moc"
