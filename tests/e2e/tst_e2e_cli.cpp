// The command-line tool as a script runs it, against simulated monitors on pseudo-terminals: identify's JSON,
// each family's test points by their captions, a read of each family that equals the file the windowed tool saves
// after Update All Data, a write read back, a flash download the monitor then holds, a silent monitor, and every
// exit status.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "model/DataFile.h"
#include "model/MonitorModel.h"
#include "protocol/FirmwareClass.h"
#include "sim/IntelHex.h"
#include "sim/PtySimulator.h"
#include "support/CliRun.h"
#include "support/KnownValues.h"
#include "support/ToolHarness.h"

#include <QAction>
#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <csignal>

namespace {

// Bounds that only keep a broken build from hanging; nothing is measured against them.
constexpr int runWithinMs = 60000;
constexpr int cycleWithinMs = 120000;

using Run = CliRun;

Run cli(const QStringList& args, const QString& configHome, const std::function<void(QProcess&)>& started = {}) {
    return runCli(args, configHome, runWithinMs, started);
}

std::unique_ptr<sim::PtySimulator> simulator(const QString& profile = QStringLiteral("2.10"),
                                             sim::SimOptions options = sim::SimOptions()) {
    options.profile = profile;
    auto s = std::make_unique<sim::PtySimulator>(options);
    if (!s->start())
        qFatal("no pseudo-terminal");
    return s;
}

// Operating time as the monitor reports it at this moment (days:hh:mm:ss).
QString monitorTime(const sim::SimMonitor& monitor) {
    const sim::OperatingTime& t = monitor.state().time;
    const qint64 s = ((qint64(t.days) * 24 + t.hours) * 60 + t.minutes) * 60 + t.seconds + t.sessionSeconds;
    return QStringLiteral("%1:%2:%3:%4")
        .arg(s / 86400)
        .arg(s / 3600 % 24, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

// Notes the monitor's operating time whenever it answers "dt".
void noteTimes(sim::PtySimulator* s, QString* time) {
    QObject::connect(s, &sim::PtySimulator::requestHandled, s, [s, time](const QByteArray& request) {
        if (request.trimmed() == "dt")
            *time = monitorTime(s->monitor());
    });
}

QStringList fileLines(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
}

// A file's lines without the creation time; the operating time is checked against what the monitor said.
QStringList comparable(QStringList lines, const QString& operatingTime) {
    const QString hours = QStringLiteral("\"Operating Hours: \",\"%1\"").arg(operatingTime);
    for (QString& line : lines)
        if (line.startsWith(QLatin1String("\"File Created: \"")) || line == hours)
            line.clear();
    return lines;
}

// The live value of every DAC line of a data file, by name.
QMap<QString, int> liveValues(const QString& path) {
    QMap<QString, int> out;
    for (const QString& line : fileLines(path)) {
        const QStringList items = line.split(QLatin1Char(','));
        if (items.size() == 4)
            out.insert(items[0], items[1].toInt());
    }
    return out;
}

} // namespace

class CliEndToEndTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // identify --json has one shape: every key on every family, in boot mode and when no monitor answers, null
    // where the monitor has no such value.
    void identifyJson_data() {
        QTest::addColumn<QString>("profile"); // "" for a port with no monitor
        QTest::addColumn<bool>("boot");
        for (const QString& profile : sim::SimProfile::names())
            QTest::newRow(qPrintable(profile)) << profile << false;
        QTest::newRow("boot mode") << "2.10" << true;
        QTest::newRow("no monitor") << "" << false;
    }
    void identifyJson() {
        QFETCH(QString, profile);
        QFETCH(bool, boot);
        sim::SimOptions options;
        options.bootMode = boot;
        auto s = profile.isEmpty() ? nullptr : simulator(profile, options);
        const Run r = cli({"--port", s ? s->devicePath() : "/dev/no-such-port", "identify", "--json"}, m_dir.path());
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        const QStringList keys{
            "boards",        "bootBlockVersion", "bootMode",    "capability",      "error",         "family",
            "firmwareClass", "firmwareVersion",  "modelNumber", "operatingCycles", "operatingTime", "partNumber",
            "port",          "scanSet",          "scanSetName", "serialNumber",    "status"};
        QCOMPARE(o.keys(), keys);
        QCOMPARE(o["status"].toInt(), r.status);
        if (!s) {
            QCOMPARE(r.status, 3);
            QVERIFY(o["error"].toString().startsWith("no monitor found"));
            QVERIFY(o["firmwareVersion"].isNull() && o["boards"].isNull() && o["bootBlockVersion"].isNull());
            return;
        }
        QCOMPARE(r.status, 0);
        QVERIFY(o["error"].isNull());
        const sim::SimProfile& p = s->monitor().profile();
        const auto value = [](bool known, const QJsonValue& v) { return known ? v : QJsonValue(); };
        QCOMPARE(o["bootMode"].toBool(), boot);
        QCOMPARE(o["bootBlockVersion"].toString(), p.romVersion);
        QVERIFY(o["firmwareVersion"] == value(!boot, p.firmwareVersion));
        QVERIFY(o["modelNumber"] == value(!boot, p.modelNumber));
        // The capability of the families that are asked for it.
        const bool asked = !boot && FirmwareClass::asksCapability(qRound(p.firmwareVersion.toDouble() * 100));
        QVERIFY(o["capability"] == value(asked, p.capability));
        QCOMPARE(o["operatingCycles"].isNull(), boot);
        // Part numbers and boards only where the boards report them, each board with its part and serial number.
        const bool boards = p.hasBoardIdentity && !boot;
        QVERIFY(o["partNumber"] == value(boards, p.partNumber));
        QCOMPARE(o["boards"].isNull(), !boards);
        if (boards) {
            const QJsonObject crt = o["boards"].toObject()["crt"].toObject();
            QCOMPARE(crt.keys(), (QStringList{"part", "serial"}));
            QCOMPARE(crt["part"].toString(), p.crtPartNumber);
            QCOMPARE(crt["serial"].toString(), p.crtSerialNumber);
        }
    }

    // Each family at once: the windowed tool, connected to its own simulated monitor, ticks the scan set, runs
    // Update All Data and saves; meanwhile the command line reads a monitor of the same profile.
    void readEqualsUpdateAllAndSave() {
        struct Family {
            QString profile;
            std::unique_ptr<ToolHarness> gui;
            QString guiTime;
            std::unique_ptr<sim::PtySimulator> cliMonitor;
            QString cliTime;
            bool passDone = false;
        };
        std::vector<std::unique_ptr<Family>> families;
        for (const QString& profile : sim::SimProfile::names()) {
            auto f = std::make_unique<Family>();
            f->profile = profile;
            f->gui = std::make_unique<ToolHarness>(ToolHarness::Port::Real,
                                                   "[StartUp]\nRunType=1\nInitialMode=ServiceMode\n");
            sim::SimOptions options;
            options.profile = profile;
            noteTimes(f->gui->startWithSimulator(options), &f->guiTime);
            f->cliMonitor = simulator(profile);
            noteTimes(f->cliMonitor.get(), &f->cliTime);
            families.push_back(std::move(f));
        }
        for (auto& family : families) {
            Family& f = *family;
            ToolHarness& h = *f.gui;
            QVERIFY(h.waitFor([&] { return h.ctx().model->firmwareClass > 0 && h.linkIdle(); }, runWithinMs));
            QVERIFY(h.chooseMenu("mnuConfigureSelectScanSet"));
            const int current = h.ctx().model->currentScanSet;
            QVERIFY(h.waitFor([&] { return h.linkIdle(); }, runWithinMs));
            auto* tick = h.app().mainWindow()->findChild<QCheckBox*>(QStringLiteral("Check1(%1)").arg(current));
            if (tick->checkState() != Qt::Checked)
                tick->click();
            QVERIFY(h.waitFor([&] { return h.linkIdle() && tick->checkState() == Qt::Checked; }, runWithinMs));
            QObject::connect(
                h.simulator.get(), &sim::PtySimulator::requestHandled, h.simulator.get(),
                [&f](const QByteArray& request) { f.passDone = f.passDone || request.trimmed() == "ddfs"; });
            QVERIFY(h.chooseMenu("mnuMonitorUpdate"));
        }
        for (auto& family : families) {
            Family& f = *family;
            const QString cliFile = m_dir.filePath("cli-" + f.profile + ".mdv");
            const Run r = cli({"--port", f.cliMonitor->devicePath(), "read", "-o", cliFile}, m_dir.path());
            QVERIFY2(r.status == 0, qPrintable(r.err));
            ToolHarness& h = *f.gui;
            QVERIFY(h.waitFor([&] { return f.passDone && h.linkIdle(); }, cycleWithinMs));
            const QString guiFile = m_dir.filePath("gui-" + f.profile + ".mdv");
            h.dialogs.files.enqueue(guiFile);
            QVERIFY(h.chooseMenu("mnuFileSaveAs"));
            QVERIFY2(h.dialogs.messages.isEmpty(), qPrintable(h.dialogs.texts().join('\n')));
            QVERIFY(fileLines(cliFile).size() > 20);
            QCOMPARE(comparable(fileLines(cliFile), f.cliTime), comparable(fileLines(guiFile), f.guiTime));
        }
    }

    // A monitor that sends nothing after its prompt, and one whose answer comes back garbled once: each verb ends,
    // and reads (identity, firmware version, values) as against the default simulated monitor; a garbled number
    // is never taken but read again.
    void verbsOnEveryLine_data() {
        QTest::addColumn<bool>("barePrompt");
        QTest::addColumn<QString>("garbled"); // the request whose next answer has a letter in its first number
        QTest::newRow("default") << false << QString();
        QTest::newRow("no line end after the prompt") << true << QString();
        QTest::newRow("garbled DAC values") << false << "ddl";
        QTest::newRow("garbled operating time") << false << "dt";
    }
    void verbsOnEveryLine() {
        QFETCH(bool, barePrompt);
        QFETCH(QString, garbled);
        auto reference = simulator();
        const QString referenceFile = m_dir.filePath("reference.mdv");
        QCOMPARE(cli({"--port", reference->devicePath(), "read", "-o", referenceFile}, m_dir.path()).status, 0);
        sim::SimOptions options;
        options.barePrompt = barePrompt;
        auto s = simulator(QStringLiteral("2.10"), options);
        const sim::SimProfile& p = s->monitor().profile();
        const Run identify = cli({"--port", s->devicePath(), "identify", "--json"}, m_dir.path());
        const Run send = cli({"--port", s->devicePath(), "send", "df"}, m_dir.path());
        const Run testPoints = cli({"--port", s->devicePath(), "testpoints"}, m_dir.path());
        const QString file = m_dir.filePath("line.mdv");
        s->garbleNextAnswer(garbled.toLatin1());
        int asked = 0;
        connect(s.get(), &sim::PtySimulator::requestHandled, this,
                [&](const QByteArray& request) { asked += request.trimmed() == garbled.toLatin1() ? 1 : 0; });
        const Run read = cli({"--port", s->devicePath(), "read", "-o", file}, m_dir.path());
        for (const Run& r : {identify, send, testPoints, read})
            QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(!testPoints.out.trimmed().isEmpty());
        QCOMPARE(QJsonDocument::fromJson(identify.out.toUtf8()).object()["firmwareVersion"].toString(),
                 p.firmwareVersion);
        QVERIFY(send.out.contains(p.firmwareVersion));
        QCOMPARE(liveValues(file), liveValues(referenceFile));
        if (!garbled.isEmpty())
            QCOMPARE(asked, 2);
        QCOMPARE(fileLines(file).filter(QRegularExpression("^\"Operating (Hours|Cycles): \",\"\\d")).size(), 2);
    }

    void writeThenReadRoundTrips() {
        auto s = simulator();
        const QString before = m_dir.filePath("before.mdv");
        QCOMPARE(cli({"--port", s->devicePath(), "read", "-o", before}, m_dir.path()).status, 0);
        const int redGain = s->monitor().dac('l', 2);
        const int wanted = redGain > 100 ? redGain - 40 : redGain + 40;
        QStringList lines = fileLines(before);
        for (QString& line : lines)
            if (line.startsWith(QLatin1String("\"Red Gain\",")))
                line.replace(QRegularExpression("^(\"Red Gain\",)\\d+"), QStringLiteral("\\1%1").arg(wanted));
        QFile f(before);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(lines.join(QStringLiteral("\r\n")).toLatin1());
        f.close();

        const Run w = cli({"--port", s->devicePath(), "write", before, "--yes"}, m_dir.path());
        QVERIFY2(w.status == 0, qPrintable(w.err));
        QVERIFY(w.out.contains(QLatin1String("Completed.")));
        QCOMPARE(s->monitor().dac('l', 2), wanted);
        const QString after = m_dir.filePath("after.mdv");
        QCOMPARE(cli({"--port", s->devicePath(), "read", "-o", after}, m_dir.path()).status, 0);
        QCOMPARE(liveValues(after), liveValues(before));
    }

    void flashHoldsTheImage() {
        auto s = simulator();
        sim::HexImage image;
        image.write(0x1000, QByteArray(200, '\x5a') + QByteArray("firmware"));
        const QString path = m_dir.filePath("small.hex");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(image.toIntelHex());
        f.close();
        const Run r = cli({"--port", s->devicePath(), "--yes", "flash", path}, m_dir.path());
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out.trimmed().split('\n').last(), QStringLiteral("Flash download completed: small.hex"));
        // Not a terminal: plain percentage lines, the last of a completed download at 100.
        const QStringList percentages = r.err.split('\n').filter(QRegularExpression("^\\d+%$"));
        QVERIFY(percentages.size() > 1);
        QCOMPARE(percentages.last(), QStringLiteral("100%"));
        QCOMPARE(s->monitor().flashImage(), image);
    }

    // Each family's readings named by the captions its windows show, alike in the text and the JSON.
    void testPointsByCaption_data() {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("notShown");
        QTest::newRow("1.38") << "1.38" << QStringList{"HV Anode", "LV175", "Horizontal Frequency", "HV Upper Limit"}
                              << QStringList{"+90V", "HV Anode Voltage"};
        QTest::newRow("2.10") << "2.10" << QStringList{"+90V", "-8V", "HV Anode Voltage", "Vertical Deflection"}
                              << QStringList{"HV Anode", "LED+"};
        QTest::newRow("3.15") << "3.15" << QStringList{"+28V", "-5V", "Photocell x10"}
                              << QStringList{"LED+", "Horizontal Frequency"};
        QTest::newRow("4.05") << "4.05" << QStringList{"LED+", "+2.5V", "Brightness Control In"}
                              << QStringList{"+28V", "Photocell x10"};
    }
    void testPointsByCaption() {
        QFETCH(QString, profile);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, notShown);
        auto s = simulator(profile);
        const Run text = cli({"--port", s->devicePath(), "testpoints"}, m_dir.path());
        const Run json = cli({"--port", s->devicePath(), "testpoints", "--json"}, m_dir.path());
        QVERIFY2(text.status == 0 && json.status == 0, qPrintable(text.err + json.err));
        QStringList textCaptions;
        for (const QString& line : text.out.split('\n', Qt::SkipEmptyParts))
            textCaptions << line.section(QRegularExpression("\\s{2,}"), 0, 0);
        QStringList jsonCaptions;
        const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QCOMPARE(o["firmwareClass"].toInt(), qRound(profile.toDouble() * 100));
        for (const QJsonValue& v : o["readings"].toArray()) {
            const QJsonObject r = v.toObject();
            QVERIFY(r["text"].isString() && r["unit"].isString());
            QCOMPARE(r["value"].isNull(), r["unit"].toString().isEmpty());
            jsonCaptions << r["caption"].toString();
        }
        QCOMPARE(jsonCaptions, textCaptions);
        for (const QString& caption : shown)
            QVERIFY2(textCaptions.contains(caption), qPrintable(caption + " missing from\n" + text.out));
        for (const QString& caption : notShown)
            QVERIFY2(!textCaptions.contains(caption), qPrintable(caption));
    }

    // A burn-in watched for ten seconds at the first family's 5 s poll, the anode voltage drifting upwards: every
    // poll's HV value is in the file, each above the one before.
    void watchedTestPointsFollowTheDrift() {
        sim::SimOptions drifting;
        drifting.drift = 20;
        auto s = simulator(QStringLiteral("1.38"), drifting);
        const QString csv = m_dir.filePath("burn-in.csv");
        const Run r = cli({"--port", s->devicePath(), "testpoints", "--watch", "10", "--csv", csv}, m_dir.path());
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QStringList lines = fileLines(csv);
        QCOMPARE(lines.takeFirst(), QStringLiteral("time,reading,value,unit"));
        QVector<double> hv;
        for (const QString& line : std::as_const(lines))
            if (line.section(',', 1, 1) == QLatin1String("HV Val"))
                hv.append(line.section(',', 2, 2).toDouble());
        QCOMPARE(hv.size(), 3);
        for (int k = 1; k < hv.size(); ++k)
            QVERIFY(hv.at(k) - hv.at(k - 1) > 10);
        QCOMPARE(s->monitor().state().adcReads, 3);
    }

    // A silent monitor on a port number of the settings: the search pings the retry limit's number of times.
    void silentMonitorIsNoMonitor() {
        auto s = simulator();
        s->setSilent(true);
        int pings = 0;
        connect(s.get(), &sim::PtySimulator::received, this,
                [&](const QByteArray& b) { pings += int(b.count("p\r\n")); });
        QTemporaryDir config;
        QDir().mkpath(config.filePath("Kestrane"));
        Settings settings(config.filePath("Kestrane/OrvexMon.conf"));
        settings.writeText("Configs", "Com3Device", s->devicePath());
        settings.writeText("Configs", "ConnectRetryLimit", "2");
        settings.sync();
        const QString log = config.filePath("search.mcl");
        const Run r = cli({"--com", "3", "--log", log, "identify"}, config.path());
        QCOMPARE(r.status, 3);
        QVERIFY(r.err.contains(QLatin1String("No monitor answered on ") + s->devicePath()));
        QCOMPARE(pings, 2);
        // The log of the failed run says why it failed.
        QFile logFile(log);
        QVERIFY(logFile.open(QIODevice::ReadOnly));
        QVERIFY(logFile.readAll().endsWith(
            ("No monitor answered on " + s->devicePath() + ": the search gave up after 2 pings\n").toLatin1()));
    }

    void exitStatuses_data() {
        QTest::addColumn<QStringList>("args"); // "PORT" stands for the simulated monitor's device
        QTest::addColumn<QString>("fault");    // "silent after N" answers, "vanish at R" or "ctrl-c at R" request
        QTest::addColumn<int>("status");
        QTest::newRow("done") << QStringList{"--port", "PORT", "send", "p"} << "" << 0;
        QTest::newRow("no verb") << QStringList{"--port", "PORT"} << "" << 2;
        QTest::newRow("unknown verb") << QStringList{"frobnicate"} << "" << 2;
        QTest::newRow("read without a file") << QStringList{"read"} << "" << 2;
        QTest::newRow("bad line settings") << QStringList{"--line", "4800,N,8,1", "identify"} << "" << 2;
        QTest::newRow("port not there") << QStringList{"--port", "/dev/no-such-port", "identify"} << "" << 3;
        QTest::newRow("request refused") << QStringList{"--port", "PORT", "send", "xyz"} << "" << 4;
        QTest::newRow("file unreadable") << QStringList{"--port", "PORT", "write", "/no/such.mdv"} << "" << 5;
        QTest::newRow("csv without testpoints") << QStringList{"--csv", "x.csv", "identify"} << "" << 2;
        QTest::newRow("csv unwritable") << QStringList{"--port", "PORT", "testpoints", "--csv", "/no/such/x.csv"} << ""
                                        << 5;
        QTest::newRow("log unwritable") << QStringList{"--log", "/no/such/dir/x.mcl", "identify"} << "" << 5;
        QTest::newRow("question refused") << QStringList{"--port", "PORT", "write", "NOIDENTITY"} << "" << 6;
        QTest::newRow("monitor falls silent") << QStringList{"--port", "PORT", "identify"} << "silent after 4" << 7;
        QTest::newRow("port vanishes mid-verb")
            << QStringList{"--port", "PORT", "read", "-o", "OUT"} << "vanish at dc" << 7;
        QTest::newRow("Ctrl-C in a read of every scan set")
            << QStringList{"--port", "PORT", "read", "-o", "OUT", "--scan-set", "all"} << "ctrl-c at CC1" << 7;
        QTest::newRow("empty request") << QStringList{"--port", "PORT", "send", ""} << "" << 2;
        QTest::newRow("request holding a line end") << QStringList{"--port", "PORT", "send", "p\r\ndf"} << "" << 2;
        QTest::newRow("empty port") << QStringList{"--port", "", "identify"} << "" << 2;
        QTest::newRow("file ends in its first scan set") << QStringList{"--port", "PORT", "write", "CUT"} << "" << 5;
    }
    void exitStatuses() {
        QFETCH(QStringList, args);
        QFETCH(QString, fault);
        QFETCH(int, status);
        auto s = simulator();
        const int scanSet = s->monitor().state().currentScanSet;
        const QString faultKind = fault.section(' ', 0, 0);
        const QByteArray faultAt = fault.section(' ', -1).toLatin1();
        if (faultKind == "silent")
            s->setSilentAfter(faultAt.toInt());
        // A file saved with no monitor connected: writing it asks first.
        MonitorModel offline;
        offline.scanSetEnabled[0] = 1;
        markAllRead(offline);
        DataFile file(offline);
        const QString noIdentity = m_dir.filePath("noidentity.mdv");
        file.openForWriting(noIdentity);
        QVERIFY(file.writeMdf().ok);
        // The same file broken off at a line within its scan set.
        QFile whole(noIdentity);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QString cut = m_dir.filePath("cut.mdv");
        QFile cutFile(cut);
        QVERIFY(cutFile.open(QIODevice::WriteOnly));
        QByteArray lines = whole.readAll();
        lines.truncate(lines.lastIndexOf("\r\n", lines.size() - 200) + 2);
        cutFile.write(lines);
        cutFile.close();
        args.replaceInStrings(QStringLiteral("PORT"), s->devicePath());
        args.replaceInStrings(QStringLiteral("NOIDENTITY"), noIdentity);
        args.replaceInStrings(QStringLiteral("CUT"), cut);
        args.replaceInStrings(QStringLiteral("OUT"), m_dir.filePath("out.mdv"));
        const Run r = cli(args, m_dir.path(), [&](QProcess& p) {
            connect(s.get(), &sim::PtySimulator::requestHandled, &p, [&](const QByteArray& request) {
                if (request.trimmed() != faultAt)
                    return;
                if (faultKind == "ctrl-c")
                    ::kill(pid_t(p.processId()), SIGINT);
                else if (faultKind == "vanish") // once the simulator's own handling has returned
                    QMetaObject::invokeMethod(s.get(), &sim::PtySimulator::stop, Qt::QueuedConnection);
            });
        });
        QVERIFY2(r.status == status, qPrintable(QStringLiteral("%1: %2").arg(r.status).arg(r.err)));
        // However the verb ended, the monitor runs the scan set it ran before.
        QCOMPARE(s->monitor().state().currentScanSet, scanSet);
    }
};

QTEST_MAIN(CliEndToEndTest)
#include "tst_e2e_cli.moc"
