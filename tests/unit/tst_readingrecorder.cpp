// The recording of the readings: the ring that keeps a day at the poll rate and averages what is older, the
// samples reduced for drawing, the CSV file, and the HV limits marking the samples outside them, fed through
// dispatch as the monitor's answers go.
#include "model/MonitorModel.h"
#include "model/ReadingRecorder.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/DiagnosticHandlers.h"
#include "protocol/Dispatcher.h"

#include <QDateTime>
#include <QtTest>

#include <cmath>

namespace {
// The fields of one CSV line, quotes undone.
QStringList csvFields(const QString& line) {
    QStringList fields{QString()};
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('"') && quoted && i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"'))
            fields.last() += line.at(++i);
        else if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(',') && !quoted)
            fields.append(QString());
        else
            fields.last() += c;
    }
    return fields;
}
} // namespace

class ReadingRecorderTest : public QObject {
    Q_OBJECT
private slots:
    void ringKeepsNewestAndAveragesOlder_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("fed");
        QTest::newRow("part of a day") << 240 << 100;
        QTest::newRow("a full day") << 240 << 240;
        QTest::newRow("two days") << 240 << 480;
        QTest::newRow("beyond the older ring") << 240 << 240 + 12 * 240 + 30;
    }
    void ringKeepsNewestAndAveragesOlder() {
        QFETCH(int, capacity);
        QFETCH(int, fed);
        ReadingRecorder r(capacity);
        for (int i = 0; i < fed; ++i)
            r.record(QStringLiteral("+24V"), i, QStringLiteral("V"), qint64(i) * 1000);
        const QVector<ReadingRecorder::Sample> s = r.samples(QStringLiteral("+24V"));
        QVERIFY(s.size() <= 2 * capacity);
        const int newest = std::min(fed, capacity);
        for (int k = 0; k < s.size(); ++k) {
            if (k > 0)
                QVERIFY(s.at(k).timeMs > s.at(k - 1).timeMs);
            const double first = double(s.at(k).timeMs / 1000);
            // The newest samples as read; each older one the mean of the twelve read from its time on.
            QCOMPARE(double(s.at(k).value), k >= s.size() - newest ? first : first + 5.5);
        }
        QCOMPARE(s.last().timeMs, qint64(fed - 1) * 1000);
    }

    void drawingKeepsExtremesOfEachSlice() {
        ReadingRecorder r;
        const int day = ReadingRecorder::defaultCapacity;
        for (int i = 0; i < day; ++i)
            r.record(QStringLiteral("G2 Voltage"), i == 7777 ? 900 : 500 + 50 * std::sin(i / 300.0),
                     QStringLiteral("V"), qint64(i) * 5000);
        const auto drawn = r.samplesFor(QStringLiteral("G2 Voltage"), 0, qint64(day) * 5000, 600);
        QVERIFY(drawn.size() <= 602);
        const auto [low, high] = std::minmax_element(drawn.begin(), drawn.end(),
                                                     [](const auto& a, const auto& b) { return a.value < b.value; });
        QCOMPARE(high->value, 900.0f);
        QCOMPARE(high->timeMs, qint64(7777) * 5000);
        QVERIFY(low->value < 450.01f);
        // A minute, fewer samples than points: each sample as read, and the next one to carry the line on.
        QCOMPARE(r.samplesFor(QStringLiteral("G2 Voltage"), 0, 60000, 600).size(), 60000 / 5000 + 2);
    }

    void csvHoldsTheWindowsReadingsInTimeOrder() {
        ReadingRecorder r;
        const qint64 t0 = QDateTime(QDate(2026, 3, 29), QTime(0, 59, 58)).toMSecsSinceEpoch();
        const QString odd = QStringLiteral("Photocell, \"raw\"");
        r.record(odd, 1.5, QStringLiteral("V"), t0 + 2500);
        r.record(QStringLiteral("-8V"), -7.97, QStringLiteral("V"), t0);
        r.record(QStringLiteral("+24V"), 23.96, QStringLiteral("V"), t0 + 2500);
        r.record(QStringLiteral("Vertical Frequency"), 59.94, QStringLiteral("Hz"), t0);
        const QStringList lines = QString::fromUtf8(r.csv({odd, QStringLiteral("-8V"), QStringLiteral("+24V")}))
                                      .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), QStringLiteral("time,reading,value,unit"));
        const QList<QStringList> expected = {{QStringLiteral("-8V"), QStringLiteral("-7.97")},
                                             {odd, QStringLiteral("1.5")},
                                             {QStringLiteral("+24V"), QStringLiteral("23.96")}};
        QCOMPARE(lines.size(), expected.size() + 1);
        for (int k = 0; k < expected.size(); ++k) {
            const QStringList f = csvFields(lines.at(k + 1));
            QCOMPARE(f.mid(1), expected.at(k) + QStringList{QStringLiteral("V")});
            QCOMPARE(QDateTime::fromString(f.at(0), Qt::ISODateWithMs).toMSecsSinceEpoch(), k ? t0 + 2500 : t0);
        }
    }

    void anotherMonitorStartsANewRecording() {
        ReadingRecorder r;
        const auto record = [&r](qint64 t) { r.record(QStringLiteral("+24V"), 24, QStringLiteral("V"), t); };
        r.setMonitor(QStringLiteral("D21-010203"));
        record(1);
        r.setMonitor(QStringLiteral("D21-010203"));
        record(2);
        QCOMPARE(r.samples(QStringLiteral("+24V")).size(), 2);
        r.setMonitor(QStringLiteral("D21-777777"));
        QVERIFY(r.captions().isEmpty());
    }

    void hvLimitsMarkTheSamplesOutside_data() {
        QTest::addColumn<QString>("limits");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("outside");
        const QString reported = QStringLiteral("Upper Limit = 230\r\nLower Limit = 150");
        QTest::newRow("above") << reported << 231 << true;
        QTest::newRow("below") << reported << 149 << true;
        QTest::newRow("at the limit") << reported << 230 << false;
        QTest::newRow("none reported") << QString() << 231 << false;
        QTest::newRow("not ordered") << QStringLiteral("Upper Limit = 150\r\nLower Limit = 230") << 100 << false;
    }
    void hvLimitsMarkTheSamplesOutside() {
        QFETCH(QString, limits);
        QFETCH(int, count);
        QFETCH(bool, outside);
        MonitorModel model;
        model.firmwareClass = 210;
        DataReadHandlers handlers(model);
        Dispatcher dispatcher(model, &handlers);
        ReadingRecorder r;
        r.setTimeSource([] { return qint64(1000); });
        connect(handlers.diagnostics(), &DiagnosticHandlers::diagnosticsChanged, &r,
                [&r, &model] { r.take(model.diagnostics.latest()); });
        dispatcher.dispatchAnswer(QStringLiteral("dh\r\nHV Control Value = 182, 180\r\n%1\r\n#").arg(limits));
        dispatcher.dispatchAnswer(QStringLiteral("da\r\n159,160,160,120\r\nAnode Voltage %1\r\n#").arg(count));
        const auto hv = r.samples(DiagnosticCaptions::hvValue());
        QCOMPARE(hv.size(), 1);
        QCOMPARE(double(hv.first().value), double(count));
        QCOMPARE(hv.first().outside, outside);
        // Measured readings are recorded; the HV controls' settings are not.
        QVERIFY(r.captions().contains(QStringLiteral("HV Anode Voltage")));
        QVERIFY(!r.captions().contains(DiagnosticCaptions::hvControl(0)));
    }
};

QTEST_GUILESS_MAIN(ReadingRecorderTest)
#include "tst_readingrecorder.moc"
