// Throughput of the hot paths: receive framing with dispatch, the transmit queue, and the monitor data file.
#include "link/Link.h"
#include "link/LogSink.h"
#include "link/TransmitQueue.h"
#include "model/DataFile.h"
#include "model/MonitorModel.h"
#include "platform/Tone.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/DiagnosticHandlers.h"
#include "protocol/Dispatcher.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPort.h"

#include <QTemporaryDir>
#include <QtTest>

class Nothing : public Tone {
public:
    void play(int, int) override {}
};

class BenchCore : public QObject {
    Q_OBJECT
private slots:
    // One "dd" answer of eight DAC values, received in one piece, framed and dispatched into the model.
    void receiveAndDispatchDacAnswer() {
        FakeClock clock;
        FakeSerialPort port;
        Nothing tone;
        MonitorModel model;
        DataReadHandlers handlers(model);
        Dispatcher dispatcher(model, &handlers);
        Link link(&port, &clock, &tone, &model);
        link.setDispatch([&](const QString& a) { dispatcher.dispatchAnswer(a); });
        const QString answer = QStringLiteral("ddl\r\n128,130,125,127,129,131,126,124\r\n#");
        QBENCHMARK {
            link.processReceived(answer);
        }
    }

    // The longest test-point answer (second family, 18 readings), framed, dispatched and decoded into the
    // model's readings.
    void receiveAndDecodeTestPoints() {
        FakeClock clock;
        FakeSerialPort port;
        Nothing tone;
        MonitorModel model;
        model.firmwareClass = 210;
        DataReadHandlers handlers(model);
        Dispatcher dispatcher(model, &handlers);
        Link link(&port, &clock, &tone, &model);
        link.setDispatch([&](const QString& a) { dispatcher.dispatchAnswer(a); });
        int shown = 0;
        QObject::connect(handlers.diagnostics(), &DiagnosticHandlers::diagnosticsChanged,
                         [&shown, &model] { shown += int(model.diagnostics.latest().size()); });
        const QString answer = QStringLiteral(
            "da\r\n159,160,160,120\r\nVideo_+80V 243\r\nAnode Voltage 182\r\nAnode Current 123\r\n"
            "Focus Voltage 100\r\nG2 Voltage 60\r\n-8V 125\r\n+90V 200\r\n+24V 204\r\n+12V 205\r\n+6.3V 203\r\n"
            "+5V 204\r\n-12V 204\r\n-100V 204\r\n#");
        QBENCHMARK {
            link.processReceived(answer);
        }
        QVERIFY(shown > 0);
    }

    // A busy line with the window log on: characters logged one by one.
    void receiveWithLogging() {
        FakeClock clock;
        FakeSerialPort port;
        Nothing tone;
        MonitorModel model;
        LineKeepingLog log;
        Link link(&port, &clock, &tone, &model);
        link.setLog(&log);
        link.logToWindow = true;
        const QString chunk = QStringLiteral("da\r\nTP1 = 123\r\nTP2 = 456\r\nTP3 = 789\r\n#");
        QBENCHMARK {
            link.processReceived(chunk);
            if (log.lines.size() > 10000)
                log.lines.clear();
        }
    }

    // A line that never prompts: 1 MiB in 4 KiB reads, then a prompt. The answer is capped, so time grows
    // linearly with the bytes and memory stays at the cap.
    void receiveFloodWithoutPrompt() {
        FakeClock clock;
        FakeSerialPort port;
        Nothing tone;
        MonitorModel model;
        LineKeepingLog log;
        Link link(&port, &clock, &tone, &model);
        link.setLog(&log);
        int answerSize = 0;
        link.setDispatch([&](const QString& a) { answerSize = int(a.size()); });
        const QString chunk(4096, QLatin1Char('x'));
        QBENCHMARK {
            for (int i = 0; i < 256; ++i)
                link.processReceived(chunk);
            link.processReceived(QStringLiteral("#"));
        }
        QCOMPARE(answerSize, Link::maxAnswerChars + 1);
    }

    // Queue, write after the pause, answer: one request's full round on the fake clock.
    void queueRoundTrip() {
        FakeClock clock;
        FakeSerialPort port;
        Nothing tone;
        MonitorModel model;
        Link link(&port, &clock, &tone, &model);
        port.open(1, QStringLiteral("9600,N,8,1"));
        QBENCHMARK {
            link.queue()->queueCommand(QStringLiteral("p"));
            clock.advance(100);
            port.receive("p\r\n#");
            if (port.written.size() > 10000)
                port.written.clear();
        }
    }

    void writeDataFile() {
        QTemporaryDir dir;
        MonitorModel model;
        DataFile file(model);
        const QString path = dir.filePath(QStringLiteral("bench.mdv"));
        QBENCHMARK {
            file.openForWriting(path);
            QVERIFY(file.writeMdf().ok);
        }
    }

    // A file as a connected monitor with all six scan sets ticked leaves it: about 320 lines.
    void readFullDataFile() {
        QTemporaryDir dir;
        MonitorModel model;
        model.monitorResponding = true;
        model.firmwareClass = 210;
        model.firmwareVersion = QStringLiteral("V 2.10");
        for (int i = 0; i < MonitorModel::scanSetWindowRows; ++i) {
            model.scanSetEnabled[i] = 1;
            // Values the monitor reported: a file holds known values only.
            for (DacGroup* g : model.fileGroups())
                for (int dac = 0; dac < DacGroup::dacSlots; ++dac)
                    for (DacTable t : {DacTable::Value, DacTable::Factory, DacTable::Initial})
                        g->set(t, dac, i, 128, Origin::Read);
        }
        DataFile writer(model);
        const QString path = dir.filePath(QStringLiteral("full.mdv"));
        writer.openForWriting(path);
        QVERIFY(writer.writeMdf().ok);
        DataFile reader(model);
        QBENCHMARK {
            reader.openForReading(path);
            QVERIFY(reader.readMdf().ok);
        }
    }

    void readDataFile() {
        QTemporaryDir dir;
        MonitorModel model;
        DataFile writer(model);
        const QString path = dir.filePath(QStringLiteral("bench.mdv"));
        writer.openForWriting(path);
        QVERIFY(writer.writeMdf().ok);
        DataFile reader(model);
        QBENCHMARK {
            reader.openForReading(path);
            QVERIFY(reader.readMdf().ok);
        }
    }
};

QTEST_GUILESS_MAIN(BenchCore)
#include "bench_core.moc"
