// The File menu's data-file commands and "&Update All Data" in the whole tool, with scripted dialogs, a fake
// port and the fake clock: files written and read back, the caption, the save question, every failure shown
// to the user, the busy pointer, and the one-read-per-second cycle.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "model/DataFile.h"
#include "model/MonitorModel.h"
#include "model/UpdateAllData.h"
#include "model/windows/DataFileCommands.h"
#include "platform/Clock.h"
#include "protocol/DataReadHandlers.h"
#include "support/KnownValues.h"
#include "support/ToolHarness.h"

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString defaultSaveDir = QStringLiteral("C:\\Program Files\\OrvexMon3");
const QString question = QStringLiteral("The data has been changed. Do you wish to save changes?");

QString caption(const QString& text) {
    return QStringLiteral("Orvex Monitor Adjustment Tool V1.0.52 -- ") + text;
}

// Plays a monitor on the fake port: every line the tool writes is answered with its echo and a prompt.
struct EchoMonitor {
    explicit EchoMonitor(ToolHarness& harness) : h(harness) {}
    ToolHarness& h;
    int answered = 0;
    QStringList requests; // every line answered, pings included

    void pump() {
        while (answered < h.fakePort->written.size()) {
            const QByteArray line = h.fakePort->written.at(answered++).trimmed();
            requests << QString::fromLatin1(line);
            h.fakePort->receive(line + "\r\n#");
        }
    }
    void run(int ms) {
        for (int t = 0; t < ms; t += 100) {
            h.fakeClock.advance(100);
            pump();
        }
    }
    // The reads answered since the last call, without the keep-alive pings.
    QStringList takeReads() {
        QStringList reads;
        for (const QString& r : std::as_const(requests))
            if (r != QLatin1String("p"))
                reads << r;
        requests.clear();
        return reads;
    }
};

QAction* item(ToolHarness& h, const char* name) {
    return h.app().mainWindow()->menus()->action(QLatin1String(name));
}

// Chooses a menu item as the user would; false when it is missing or disabled.
bool choose(ToolHarness& h, const char* name) {
    QAction* a = item(h, name);
    if (!a || !a->isEnabled())
        return false;
    a->trigger();
    return true;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The DAC line of a name in a file's contents, without its line end.
QByteArray dacLine(const QByteArray& contents, const QByteArray& name) {
    for (const QByteArray& line : contents.split('\n'))
        if (line.startsWith('"' + name + "\","))
            return line.trimmed();
    return QByteArray();
}

// Values as the answers of a monitor would have left them; scan set 0 is ticked in the scan-set window.
void fillModel(MonitorModel& m) {
    m.modelNumber = QStringLiteral("KM-2110D");
    m.serialNumber = QStringLiteral("D21-010203");
    m.partNumber = QStringLiteral("900-2110-03");
    m.crtSerialNumber = QStringLiteral("T9921577");
    m.crtPartNumber = QStringLiteral("CRT-21-P43");
    m.firmwareVersion = QStringLiteral("V 2.10");
    m.romVersion = QStringLiteral("V 2.03");
    m.firmwareClass = 210;
    m.operatingTime = QStringLiteral("412:07:23:05");
    m.operatingCycles = QStringLiteral("1287");
    m.scanSetEnabled[0] = 1;
    m.scanSetNames[0] = QStringLiteral("640x480 60Hz");
    int n = 3;
    for (DacGroup* g : m.fileGroups())
        for (int dac = 0; dac < DacGroup::dacSlots; ++dac) {
            g->value[dac][0] = qint16(n % 250);
            g->factoryValue[dac][0] = qint16((n + 1) % 250);
            g->initialValue[dac][0] = qint16((n + 2) % 250);
            n += 5;
        }
    markAllRead(m);
}

QString cursorShape() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c ? QString::number(int(c->shape())) : QStringLiteral("normal");
}

} // namespace

class FileMenuTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // A tool with a file saved under name and opened again; its red gain (video index 2) is value.
    static bool openSavedFile(ToolHarness& h, const QString& file, int redGain) {
        for (DacTable t : {DacTable::Value, DacTable::Factory, DacTable::Initial})
            h.ctx().model->videoGroup.set(t, 2, 0, t == DacTable::Value ? redGain : 0);
        h.ctx().model->scanSetEnabled[0] = 1;
        h.dialogs.files.enqueue(file);
        if (!choose(h, "mnuFileSaveAs"))
            return false;
        h.dialogs.files.enqueue(file);
        return choose(h, "mnuFileOpen") && h.ctx().model->FileIsOpen && h.dialogs.messages.isEmpty();
    }

private slots:
    void saveAsWritesTheFileAndNamesItInTheCaption() {
        ToolHarness h;
        h.start();
        MonitorModel& m = *h.ctx().model;
        fillModel(m);
        m.dataChanged = true;
        QStringList pointerWhileWriting;
        h.ctx().dataFile->setTimestamp([&pointerWhileWriting] {
            pointerWhileWriting << cursorShape();
            return QStringLiteral("07/12/2026 08:30:00");
        });

        const QString target = path(QStringLiteral("unit-one.mdv"));
        h.dialogs.files.enqueue(target);
        QVERIFY(choose(h, "mnuFileSaveAs"));

        QCOMPARE(h.dialogs.fileRequests.size(), 1);
        const Dialogs::FileRequest& r = h.dialogs.fileRequests.first();
        QCOMPARE(r.filter, QStringLiteral("Monitor Data Files (*.mdv);;All Files (*.*)"));
        QCOMPARE(r.proposedName, QStringLiteral("*.mdv"));
        QCOMPARE(r.startDir, defaultSaveDir);
        QVERIFY(r.overwritePrompt);
        QVERIFY(h.dialogs.messages.isEmpty());

        const QByteArray written = fileBytes(target);
        QVERIFY(written.startsWith("\"Kestrane Monitor DAC Value File\"\r\n\"Version 2.0\"\r\n"
                                   "\"File Created: \",\"07/12/2026 08:30:00\"\r\n\"NumScanSets\",6\r\n"));
        QCOMPARE(dacLine(written, "Red Gain"), QByteArray("\"Red Gain\",13,14,15"));
        QCOMPARE(h.app().mainWindow()->windowTitle(), caption(QStringLiteral("unit-one.mdv")));
        QVERIFY(!m.FileIsOpen);
        QVERIFY(!m.dataChanged);
        QCOMPARE(pointerWhileWriting, QStringList{QString::number(int(Qt::WaitCursor))});
        QCOMPARE(cursorShape(), QStringLiteral("normal"));

        // The directory is remembered for the next save, in this run and in the settings.
        const QString dir = QDir(m_dir.path()).absolutePath() + QLatin1Char('/');
        QCOMPARE(h.ctx().fileSaveInitDir, dir);
        QCOMPARE(h.readBackSettings()->readText("Configs", "FileSaveInitDir", QString()), dir);
        QVERIFY(choose(h, "mnuFileSaveAs")); // cancelled: nothing changes
        QCOMPARE(h.dialogs.fileRequests.last().startDir, dir);
        QCOMPARE(h.app().mainWindow()->windowTitle(), caption(QStringLiteral("unit-one.mdv")));
    }

    void theSaveDirectoryComesFromTheSettings() {
        ToolHarness h(ToolHarness::Port::Fake, "[Configs]\nFileSaveInitDir=/srv/monitors/\n");
        h.start();
        QCOMPARE(h.ctx().fileSaveInitDir, QStringLiteral("/srv/monitors/"));
        QVERIFY(choose(h, "mnuFileSaveAs"));
        QCOMPARE(h.dialogs.fileRequests.size(), 1);
        QCOMPARE(h.dialogs.fileRequests.first().startDir, QStringLiteral("/srv/monitors/"));
        // No scan set is ticked: the only message is the warning that the file would hold no adjustment values,
        // in the words of Installation mode, which does not offer "Scan Selection".
        QCOMPARE(h.dialogs.texts(), QStringList{DataFileCommands::noScanSetWarningInThisMode()});
        QCOMPARE(h.readBackSettings()->readText("Configs", "FileSaveInitDir", "unset"),
                 QStringLiteral("/srv/monitors/"));
    }

    void openReadsTheFileBackIntoTheModel() {
        const QString file = path(QStringLiteral("connected.mdv"));
        {
            // Written while a monitor answers, so that the identity and versions are in the file.
            ToolHarness writer;
            writer.start();
            EchoMonitor monitor{writer};
            monitor.run(3000);
            QCOMPARE(writer.app().mainWindow()->connectionState(), ConnectionState::Online);
            fillModel(*writer.ctx().model);
            writer.dialogs.files.enqueue(file);
            QVERIFY(choose(writer, "mnuFileSaveAs"));
            QVERIFY(writer.dialogs.messages.isEmpty());
        }

        ToolHarness h;
        h.start();
        MonitorModel& m = *h.ctx().model;
        m.dataChanged = false;
        QStringList pointerWhileReading;
        connect(h.ctx().handlers, &DataReadHandlers::firmwareVersionRead, this,
                [&pointerWhileReading] { pointerWhileReading << cursorShape(); });
        h.dialogs.files.enqueue(file);
        QVERIFY(choose(h, "mnuFileOpen"));

        QVERIFY2(h.dialogs.messages.isEmpty(), qPrintable(h.dialogs.texts().join(" / ")));
        const Dialogs::FileRequest& r = h.dialogs.fileRequests.first();
        QCOMPARE(r.filter, QStringLiteral("Monitor Data Files(*.mdv);;Text Files(*.txt);;All files(*.*)"));
        QVERIFY(r.mustExist);
        QCOMPARE(h.app().mainWindow()->windowTitle(), caption(QStringLiteral("connected.mdv")));
        QVERIFY(m.FileIsOpen);
        QVERIFY(m.fileOpenForReading);
        QVERIFY(!m.dataChanged);
        QCOMPARE(pointerWhileReading, QStringList{QString::number(int(Qt::WaitCursor))});
        QCOMPARE(cursorShape(), QStringLiteral("normal"));

        MonitorModel expected;
        expected.initialise();
        fillModel(expected);
        QCOMPARE(m.modelNumber, expected.modelNumber);
        QCOMPARE(m.serialNumber, expected.serialNumber);
        QCOMPARE(m.crtPartNumber, expected.crtPartNumber);
        QCOMPARE(m.firmwareVersion, expected.firmwareVersion);
        QCOMPARE(m.firmwareClass, 210);
        QCOMPARE(m.romVersion, expected.romVersion);
        QCOMPARE(m.operatingTime, expected.operatingTime);
        QCOMPARE(m.operatingCycles, expected.operatingCycles);
        QCOMPARE(m.scanSetNames[0], expected.scanSetNames[0]);
        for (int g = 0; g < m.fileGroups().size(); ++g) {
            const DacGroup& want = *expected.fileGroups()[g];
            const DacGroup& got = *m.fileGroups()[g];
            for (int dac = 0; dac < DacGroup::dacSlots; ++dac) {
                if (want.names[dac].isEmpty() || (dac >= want.count && dac != MonitorModel::horizontalSCapIndex))
                    continue;
                QCOMPARE(got.value[dac][0], want.value[dac][0]);
                QCOMPARE(got.committedValue[dac][0], want.value[dac][0]);
                QCOMPARE(got.factoryValue[dac][0], want.factoryValue[dac][0]);
                QCOMPARE(got.initialValue[dac][0], want.initialValue[dac][0]);
            }
        }

        // Cancelling the dialog keeps the open file.
        QVERIFY(choose(h, "mnuFileOpen"));
        QVERIFY(m.FileIsOpen);
        QCOMPARE(h.app().mainWindow()->windowTitle(), caption(QStringLiteral("connected.mdv")));
    }

    void saveQuestion_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saved");     // the open file holds the changed value afterwards
        QTest::addColumn<bool>("carriedOn"); // the command went on after the question
        QTest::newRow("close, yes") << "mnuFileClose" << int(Dialogs::AnswerYes) << true << true;
        QTest::newRow("close, no") << "mnuFileClose" << int(Dialogs::AnswerNo) << false << true;
        QTest::newRow("close, cancel") << "mnuFileClose" << int(Dialogs::AnswerCancel) << false << false;
        QTest::newRow("open, yes") << "mnuFileOpen" << int(Dialogs::AnswerYes) << true << true;
        QTest::newRow("open, no") << "mnuFileOpen" << int(Dialogs::AnswerNo) << false << true;
        QTest::newRow("open, cancel") << "mnuFileOpen" << int(Dialogs::AnswerCancel) << false << false;
        // "New" starts with no file, as Close does.
        QTest::newRow("new, yes") << "mnuFileNew" << int(Dialogs::AnswerYes) << true << true;
        QTest::newRow("new, cancel") << "mnuFileNew" << int(Dialogs::AnswerCancel) << false << false;
    }
    void saveQuestion() {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(bool, saved);
        QFETCH(bool, carriedOn);
        ToolHarness h;
        h.start();
        MonitorModel& m = *h.ctx().model;
        const QString first = path(QStringLiteral("first.mdv"));
        const QString second = path(QStringLiteral("second.mdv"));
        QVERIFY(openSavedFile(h, second, 55));
        QVERIFY(openSavedFile(h, first, 40));
        const int requestsBefore = h.dialogs.fileRequests.size();

        // An adjustment window changes the red gain.
        m.videoGroup.value[2][0] = 77;
        m.dataChanged = true;
        h.dialogs.answers.enqueue(Dialogs::Answer(answer));
        h.dialogs.files.enqueue(second);
        QVERIFY(choose(h, command.toLatin1().constData()));

        QCOMPARE(h.dialogs.texts(), QStringList{question});
        QCOMPARE(h.dialogs.messages.first().buttons, Dialogs::YesNoCancel);
        QCOMPARE(dacLine(fileBytes(first), "Red Gain"),
                 saved ? QByteArray("\"Red Gain\",77,0,0") : QByteArray("\"Red Gain\",40,0,0"));
        const bool opening = command == QLatin1String("mnuFileOpen");
        QCOMPARE(h.dialogs.fileRequests.size(), requestsBefore + (opening && carriedOn ? 1 : 0));
        if (!carriedOn) {
            QCOMPARE(h.app().mainWindow()->windowTitle(), caption(QStringLiteral("first.mdv")));
            QVERIFY(m.FileIsOpen);
            QVERIFY(m.dataChanged);
            QCOMPARE(m.videoGroup.value[2][0], qint16(77));
        } else if (opening) {
            QCOMPARE(h.app().mainWindow()->windowTitle(), caption(QStringLiteral("second.mdv")));
            QCOMPARE(m.videoGroup.value[2][0], qint16(55));
            QVERIFY(m.FileIsOpen);
            QVERIFY(!m.dataChanged);
        } else {
            QCOMPARE(h.app().mainWindow()->windowTitle(), caption(QStringLiteral("(No File)")));
            QVERIFY(!m.FileIsOpen);
            QCOMPARE(m.videoGroup.value[2][0], qint16(77)); // closing keeps the values on screen
        }
        QCOMPARE(dacLine(fileBytes(second), "Red Gain"), QByteArray("\"Red Gain\",55,0,0"));
    }

    void noQuestionForUnchangedData_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("close") << "mnuFileClose";
        QTest::newRow("open") << "mnuFileOpen";
    }
    void noQuestionForUnchangedData() {
        QFETCH(QString, command);
        ToolHarness h;
        h.start();
        QVERIFY(openSavedFile(h, path(QStringLiteral("plain.mdv")), 12));
        QVERIFY(choose(h, command.toLatin1().constData()));
        QVERIFY(h.dialogs.messages.isEmpty());
    }

    // Saving changes with no file open asks for a file name: the changes are never dropped behind an error.
    void yesWithNoFileOpenSavesUnderAChosenName_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("nameGiven");
        QTest::newRow("close, saved") << "mnuFileClose" << true;
        QTest::newRow("close, save cancelled") << "mnuFileClose" << false;
        QTest::newRow("open, saved") << "mnuFileOpen" << true;
        QTest::newRow("open, save cancelled") << "mnuFileOpen" << false;
    }
    void yesWithNoFileOpenSavesUnderAChosenName() {
        QFETCH(QString, command);
        QFETCH(bool, nameGiven);
        ToolHarness h;
        h.start();
        MonitorModel& m = *h.ctx().model;
        const QString other = path(QStringLiteral("other.mdv"));
        QVERIFY(openSavedFile(h, other, 21));
        QVERIFY(choose(h, "mnuFileClose"));
        QVERIFY(!m.FileIsOpen);
        const int requestsBefore = h.dialogs.fileRequests.size();

        const QString chosen = path(QStringLiteral("chosen-%1.mdv").arg(QTest::currentDataTag()).replace(' ', '-'));
        m.videoGroup.value[2][0] = 99;
        m.dataChanged = true;
        h.dialogs.answers.enqueue(Dialogs::AnswerYes);
        if (nameGiven) {
            h.dialogs.files.enqueue(chosen);
            h.dialogs.files.enqueue(other);
        }
        QVERIFY(choose(h, command.toLatin1().constData()));

        QCOMPARE(h.dialogs.texts(), QStringList{question});
        QVERIFY(!h.dialogs.fileRequests.isEmpty());
        QCOMPARE(h.dialogs.fileRequests.at(requestsBefore).proposedName, QStringLiteral("*.mdv")); // Save As
        QCOMPARE(dacLine(fileBytes(chosen), "Red Gain"), nameGiven ? QByteArray("\"Red Gain\",99,0,0") : QByteArray());
        if (!nameGiven) {
            QCOMPARE(h.dialogs.fileRequests.size(), requestsBefore + 1); // the command stopped
            QVERIFY(m.dataChanged);
            QCOMPARE(m.videoGroup.value[2][0], qint16(99));
        } else if (command == QLatin1String("mnuFileOpen")) {
            QCOMPARE(m.videoGroup.value[2][0], qint16(21));
            QCOMPARE(h.app().mainWindow()->windowTitle(), caption(QStringLiteral("other.mdv")));
        } else {
            QCOMPARE(h.app().mainWindow()->windowTitle(), caption(QStringLiteral("(No File)")));
        }
    }

    void readerFailuresAreShownWithTheirLine_data() {
        const QByteArray head = "\"Kestrane Monitor DAC Value File\"\r\n\"Version 2.0\"\r\n"
                                "\"File Created: \",\"07/12/2026 08:30:00, padded to pass the size check\"\r\n";
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("too short") << QByteArray(99, 'x') << "File bad.mdv is not a valid .mdv file" << false;
        QTest::newRow("first line in another case") << QByteArray(head).replace("Kestrane Monitor", "KESTRANE Monitor")
                                                    << "File bad.mdv is not in .mdv format" << false;
        QTest::newRow("wrong version") << QByteArray(head).replace("Version 2.0", "Version 1.0")
                                       << "File bad.mdv is a wrong version number" << false;
        QTest::newRow("too many scan sets") << head + "\"NumScanSets\",9\r\n"
                                            << "Bad Input - NumScanSets Value Too Large\rLine 4" << true;
        QTest::newRow("unnamed scan set") << head + "\"NumScanSets\",6\r\n\"ScanSet\",0\r\n\"ScanSetName\",\"\"\r\n"
                                          << "Bad Input - ScanSetName Has No Name Assigned\rLine 6" << true;
        QTest::newRow("unknown key") << head + "\"NumScanSets\",6\r\n\"ScanSet\",2\r\n\"Part Number\",\"x\"\r\n"
                                     << "Name Not Found: Part Number\r\nLine 6\r\nScanSetReading: 2" << true;
        QTest::newRow("number that is not one") << head + "\"Red Gain\",12,abc,7\r\n"
                                                << "In ReadMDF, Error # 13: Type mismatch" << true;
    }
    void readerFailuresAreShownWithTheirLine() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, message);
        QFETCH(bool, staysOpen);
        const QString file = path(QStringLiteral("bad.mdv"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(contents);
        f.close();

        ToolHarness h;
        h.start();
        h.dialogs.files.enqueue(file);
        QVERIFY(choose(h, "mnuFileOpen"));
        QCOMPARE(h.dialogs.texts(), QStringList{message});
        QCOMPARE(h.dialogs.messages.first().buttons, Dialogs::Ok);
        QCOMPARE(h.ctx().model->FileIsOpen, staysOpen);
        QCOMPARE(h.app().mainWindow()->windowTitle(),
                 caption(staysOpen ? QStringLiteral("bad.mdv") : QStringLiteral("(No File)")));
        QCOMPARE(cursorShape(), QStringLiteral("normal"));
    }

    void readStopsAtTheFailureAndKeepsWhatCameBefore() {
        const QString file = path(QStringLiteral("partial.mdv"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("\"Kestrane Monitor DAC Value File\"\r\n\"Version 2.0\"\r\n\"File Created: \",\"07/12/2026\"\r\n"
                "\"NumScanSets\",6\r\n\"ScanSet\",1\r\n\"Red Gain\",201,202,203\r\n\"Green Gainz\",1,2,3\r\n"
                "\"Blue Gain\",204,205,206\r\n");
        f.close();
        ToolHarness h;
        h.start();
        h.dialogs.files.enqueue(file);
        QVERIFY(choose(h, "mnuFileOpen"));
        QCOMPARE(h.dialogs.texts(), QStringList{"Name Not Found: Green Gainz\r\nLine 7\r\nScanSetReading: 1"});
        const MonitorModel& m = *h.ctx().model;
        QCOMPARE(m.videoGroup.value[2][1], qint16(201));
        QCOMPARE(m.videoGroup.initialValue[2][1], qint16(203));
        QCOMPARE(m.videoGroup.value[4][1], qint16(0));
    }

    void failedSaveKeepsThePreviousFile_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("setup");
        QTest::newRow("missing directory") << "missing/deeper/unit.mdv"
                                           << "";
        QTest::newRow("directory in the way") << "taken.mdv"
                                              << "directory";
        QTest::newRow("read-only directory and file") << "locked/unit.mdv"
                                                      << "read-only";
    }
    void failedSaveKeepsThePreviousFile() {
        QFETCH(QString, target);
        QFETCH(QString, setup);
        QTemporaryDir dir;
        const QString previous = dir.filePath(QStringLiteral("previous.mdv"));
        const QString targetPath = dir.filePath(target);
        QByteArray targetBefore;
        if (setup == QLatin1String("directory")) {
            QVERIFY(QDir(dir.path()).mkpath(target));
        } else if (setup == QLatin1String("read-only")) {
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("locked")));
            QFile old(targetPath);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("the target's earlier contents");
            old.close();
            targetBefore = fileBytes(targetPath);
            // A writable file in a read-only folder would be written in place: this one is read-only too.
            QFile::setPermissions(targetPath, QFileDevice::ReadOwner);
            QFile::setPermissions(dir.filePath(QStringLiteral("locked")),
                                  QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            QFile probe(dir.filePath(QStringLiteral("locked/probe")));
            if (probe.open(QIODevice::WriteOnly)) {
                probe.close();
                probe.remove();
                QSKIP("this user may write into read-only directories");
            }
        }

        ToolHarness h;
        h.start();
        MonitorModel& m = *h.ctx().model;
        QVERIFY(openSavedFile(h, previous, 40));
        const QByteArray previousBytes = fileBytes(previous);
        const QString savedDir = h.readBackSettings()->readText("Configs", "FileSaveInitDir", QString());
        m.videoGroup.value[2][0] = 66;
        m.dataChanged = true;

        h.dialogs.files.enqueue(targetPath);
        QVERIFY(choose(h, "mnuFileSaveAs"));
        QCOMPARE(h.dialogs.messages.size(), 1);
        const QString shown = h.dialogs.messages.first().text;
        QVERIFY2(
            shown.startsWith(
                QStringLiteral("In WriteMDF, the file %1 could not be written").arg(QFileInfo(targetPath).fileName())),
            qPrintable(shown));
        QCOMPARE(cursorShape(), QStringLiteral("normal"));

        // Nothing changed but the message: the earlier file, the caption, the open file and the unsaved changes.
        QCOMPARE(fileBytes(previous), previousBytes);
        if (setup == QLatin1String("read-only"))
            QCOMPARE(fileBytes(targetPath), targetBefore);
        if (setup == QLatin1String("directory"))
            QVERIFY(QFileInfo(targetPath).isDir());
        QCOMPARE(h.app().mainWindow()->windowTitle(), caption(QStringLiteral("previous.mdv")));
        QVERIFY(m.FileIsOpen);
        QCOMPARE(m.filePath, previous);
        QVERIFY(m.dataChanged);
        QCOMPARE(h.readBackSettings()->readText("Configs", "FileSaveInitDir", QString()), savedDir);

        // The save question then offers the open file again; Yes writes it.
        h.dialogs.answers.enqueue(Dialogs::AnswerYes);
        QVERIFY(choose(h, "mnuFileClose"));
        QCOMPARE(dacLine(fileBytes(previous), "Red Gain"), QByteArray("\"Red Gain\",66,0,0"));
        QFile::setPermissions(dir.filePath(QStringLiteral("locked")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void aFailedSaveStopsTheCommandThatAskedForIt() {
        QTemporaryDir dir;
        const QString sub = dir.filePath(QStringLiteral("sub"));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub")));
        ToolHarness h;
        h.start();
        MonitorModel& m = *h.ctx().model;
        QVERIFY(openSavedFile(h, sub + QStringLiteral("/gone.mdv"), 40));
        QVERIFY(QDir(sub).removeRecursively());
        m.videoGroup.value[2][0] = 66;
        m.dataChanged = true;
        h.dialogs.answers.enqueue(Dialogs::AnswerYes);
        QVERIFY(choose(h, "mnuFileClose"));
        QCOMPARE(h.dialogs.messages.size(), 2);
        QCOMPARE(h.dialogs.messages.at(0).text, question);
        QVERIFY(h.dialogs.messages.at(1).text.startsWith(QStringLiteral("In WriteMDF, the file gone.mdv")));
        QVERIFY(m.FileIsOpen);
        QVERIFY(m.dataChanged);
        QCOMPARE(h.app().mainWindow()->windowTitle(), caption(QStringLiteral("gone.mdv")));
    }

    void updateAllDataQueuesOneReadPerSecond() {
        ToolHarness h;
        h.start();
        EchoMonitor monitor{h};
        monitor.run(3000);
        QCOMPARE(h.app().mainWindow()->connectionState(), ConnectionState::Online);
        auto* tmrSave = h.app().mainWindow()->findChild<Timer*>(QStringLiteral("tmrSave"));
        QVERIFY(tmrSave);
        QVERIFY(!tmrSave->isActive());
        monitor.takeReads();

        QVERIFY(choose(h, "mnuMonitorUpdate"));
        QVERIFY(tmrSave->isActive());
        QCOMPARE(tmrSave->interval(), 1000);
        // One second per step: "da" at once, step 3 sends nothing, and after "ddfs" the reset tick leads to "dc".
        const QStringList expected{"da",   "db",   "dc",   "",     "ddv",  "ddfv", "ddpv", "ddh",  "ddph", "ddfh",
                                   "ddl",  "ddpl", "ddfl", "ddb",  "ddpb", "ddfb", "de",   "df",   "dh",   "dms",
                                   "dps",  "dss",  "dt",   "dw",   "dda",  "ddpa", "ddfa", "ddd",  "ddpd", "ddfd",
                                   "dde",  "ddpe", "ddfe", "ddg",  "ddpg", "ddfg", "ddi",  "ddpi", "ddfi", "ddk",
                                   "ddpk", "ddfk", "dds",  "ddps", "ddfs", "",     "dc",   "",     "ddv"};
        QStringList perSecond;
        QSignalSpy passes(h.ctx().updateAll, &UpdateAllData::cycleEnded);
        monitor.run(500);
        for (int second = 0; second < expected.size(); ++second) {
            perSecond << monitor.takeReads().join(QLatin1Char(','));
            monitor.run(1000);
        }
        QCOMPARE(perSecond, expected);
        QCOMPARE(passes.count(), 1);
        monitor.takeReads();
        // While it runs the same item stops it.
        QCOMPARE(item(h, "mnuMonitorUpdate")->text(), DataFileCommands::stopUpdateCaption());
        QVERIFY(choose(h, "mnuMonitorUpdate"));
        QVERIFY(!tmrSave->isActive());
        QCOMPARE(item(h, "mnuMonitorUpdate")->text(), QString("&Update All Data"));
        monitor.run(3000);
        QCOMPARE(monitor.takeReads(), QStringList());

        // Saving restarts the cycle at its first read.
        h.dialogs.files.enqueue(path(QStringLiteral("cycle.mdv")));
        QVERIFY(choose(h, "mnuFileSaveAs"));
        monitor.takeReads();
        monitor.run(500);
        QCOMPARE(monitor.takeReads(), QStringList{"da"});
        monitor.run(1000);
        QCOMPARE(monitor.takeReads(), QStringList{"db"});
    }

    void updateAllDataSendsNothingWithoutAMonitor() {
        ToolHarness h;
        h.start();
        QVERIFY(!item(h, "mnuMonitorUpdate")->isEnabled());
        // Demonstration mode offers the item with no monitor behind it.
        h.app().mainWindow()->setDemo();
        QVERIFY(choose(h, "mnuMonitorUpdate"));
        h.dialogs.files.enqueue(path(QStringLiteral("offline.mdv")));
        QVERIFY(choose(h, "mnuFileSaveAs"));
        QVERIFY(QFile::exists(path(QStringLiteral("offline.mdv"))));
        h.fakeClock.advance(60000);
        QStringList sent = h.fakePort->writtenText().split('|', Qt::SkipEmptyParts);
        sent.removeAll(QStringLiteral("p"));
        QCOMPARE(sent, QStringList());
        QVERIFY(!h.app().mainWindow()->findChild<Timer*>(QStringLiteral("tmrSave"))->isActive());
    }
};

QTEST_MAIN(FileMenuTest)
#include "tst_filemenu.moc"
