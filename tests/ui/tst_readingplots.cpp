// The plots of the diagnostics windows as a user meets them: each window opened from its menu plots the
// readings it shows; a day of readings is drawn within the view's point budget with the HV limits and the
// samples outside them marked, named in the status bar, and saved whole as CSV.
#include "diag/DiagnosticWindow.h"
#include "diag/ReadingPlot.h"
#include "model/ReadingRecorder.h"
#include "protocol/Dispatcher.h"
#include "support/OnlineTool.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtTest>

namespace {

const QHash<QString, QStringList> replies = {
    {"da", {"159,160,160,120,100,50,70,159,206,204,204,52", "Video_+80V 243", "Anode Voltage 182", "-8V 125"}},
    {"dv", {"Vsync Frequency = 59.94", "Hsync Frequency = 30.73"}},
    {"dh", {"HV Control Value = 182, 180", "Upper Limit = 230", "Lower Limit = 150"}},
};

// Opens the window from its menu and shows its plot.
ReadingPlot* openPlot(OnlineTool& tool, const QString& menu, const QString& window) {
    if (!tool.choose(menu))
        return nullptr;
    tool.monitor->settle();
    auto* w = qobject_cast<DiagnosticWindow*>(tool.window(window));
    w->findChild<QPushButton*>(QStringLiteral("btnPlot"))->click();
    return w->plot();
}

template <class S> S* seriesNamed(ReadingPlot* plot, const QString& name) {
    for (QAbstractSeries* s : plot->findChild<QChartView*>()->chart()->series())
        if (s->name() == name)
            return qobject_cast<S*>(s);
    return nullptr;
}

} // namespace

class ReadingPlotsTest : public QObject {
    Q_OBJECT
private slots:
    void eachWindowPlotsItsReadings_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("line");
        QTest::newRow("first family") << "1.38"
                                      << "mnuDiagnosticsOperating"
                                      << "frmTestPoint"
                                      << "HV Anode (kV)";
        QTest::newRow("second family") << "2.10"
                                       << "mnuDiagnosticsOperating"
                                       << "frmMDITestPoints"
                                       << "-8V (V)";
        QTest::newRow("voltages") << "2.10"
                                  << "mnuDiagnosticsVoltages"
                                  << "frmCRTVoltages"
                                  << "Video +80V (V)";
        QTest::newRow("flat panel") << "3.15"
                                    << "mnuDiagnosticsFPControls"
                                    << "frmFlatPanelTestPoints"
                                    << "-5V (V)";
        QTest::newRow("HV limits") << "2.10"
                                   << "mnuDiagnosticsHVLimits"
                                   << "frmHVLimits"
                                   << "HV Upper Limit (count)";
        QTest::newRow("deflection") << "2.10"
                                    << "frmDiagnosticsDeflectionStatus"
                                    << "frmDeflectionStatus"
                                    << "Horizontal Frequency (kHz)";
    }
    void eachWindowPlotsItsReadings() {
        QFETCH(QString, version);
        QFETCH(QString, menu);
        QFETCH(QString, window);
        QFETCH(QString, line);
        OnlineTool tool(version, replies);
        ReadingPlot* plot = openPlot(tool, menu, window);
        QVERIFY(plot && plot->isVisible());
        auto* series = seriesNamed<QLineSeries>(plot, line);
        QVERIFY2(series, qPrintable(line));
        QVERIFY(series->count() > 0);
    }

    void aDayOfReadingsIsDrawnMarkedAndSaved() {
        OnlineTool tool(QStringLiteral("2.10"), replies);
        ReadingPlot* plot =
            openPlot(tool, QStringLiteral("mnuDiagnosticsOperating"), QStringLiteral("frmMDITestPoints"));
        QVERIFY(plot);
        ReadingRecorder* recorder = tool.h.ctx().readings;
        recorder->clear();
        qint64 now = QDateTime(QDate(2026, 12, 7), QTime(6, 0)).toMSecsSinceEpoch();
        recorder->setTimeSource([&now] { return now; });
        // A day at the window's 10 s poll; the HV value wanders across its upper limit.
        Dispatcher* dispatcher = tool.h.ctx().dispatcher;
        dispatcher->dispatchAnswer(QStringLiteral("dh\r\nUpper Limit = 230\r\nLower Limit = 150\r\n#"));
        const int polls = 24 * 360;
        QVector<int> fed;
        for (int k = 0; k < polls; ++k, now += 10000) {
            fed.append(150 + (k * 37 + 60) % 97);
            dispatcher->dispatchAnswer(
                QStringLiteral("da\r\n159,160,160,120\r\nAnode Voltage %1\r\n+24V 204\r\n#").arg(fed.last()));
        }
        while (plot->spanMs() < qint64(polls) * 10000)
            plot->findChild<QPushButton*>(QStringLiteral("btnPlotZoomOut"))->click();
        auto* hv = seriesNamed<QLineSeries>(plot, QStringLiteral("HV Val (count)"));
        auto* marks = seriesNamed<QScatterSeries>(plot, QStringLiteral("HV Val outside its limits"));
        QVERIFY(hv && marks && seriesNamed<QLineSeries>(plot, QStringLiteral("HV Lower Limit (count)")));
        QVERIFY(hv->count() < polls / 4);
        double low = 1e9, high = -1e9;
        for (const QPointF& p : hv->points()) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
        QCOMPARE(low, double(*std::min_element(fed.begin(), fed.end())));
        QCOMPARE(high, double(*std::max_element(fed.begin(), fed.end())));
        QVERIFY(marks->count() > 0);
        for (const QPointF& p : marks->points())
            QVERIFY(p.y() > 230);
        const QString status = plot->findChild<QStatusBar*>()->currentMessage();
        QCOMPARE(status.startsWith(QStringLiteral("HV Val")), fed.last() > 230);
        // A plot opened later names it as well (its window's reads unanswered, so the day stays as fed).
        tool.monitor->answering = false;
        auto* voltages = openPlot(tool, QStringLiteral("mnuDiagnosticsHVLimits"), QStringLiteral("frmHVLimits"));
        QCOMPARE(voltages->findChild<QStatusBar*>()->currentMessage(), status);

        const QString path = tool.h.m_dir.filePath(QStringLiteral("day.csv"));
        tool.h.dialogs.files.enqueue(path);
        QSignalSpy written(plot, &ReadingPlot::csvFinished);
        plot->findChild<QPushButton*>(QStringLiteral("btnPlotSaveCsv"))->click();
        QVERIFY(written.wait(30000));
        QCOMPARE(written.first().first().toBool(), true);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVector<int> saved;
        for (const QByteArray& row : file.readAll().split('\n'))
            if (row.contains(",HV Val,"))
                saved.append(row.split(',').at(2).toInt());
        QCOMPARE(saved, fed);
    }
};

QTEST_MAIN(ReadingPlotsTest)
#include "tst_readingplots.moc"
