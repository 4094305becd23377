// Writes the seed corpus of every fuzz target from the simulated monitor's own answers:
//   fuzz_seeds DIR   writes DIR/receive, DIR/datafile, DIR/text, DIR/simmonitor and DIR/intelhex.
// The seeds are what the tool really meets: the answers of a whole Update All Data for each monitor profile,
// the data files saved from them, the request lines of a session and of both downloads, and an image.
#include "model/DataFile.h"
#include "model/MonitorModel.h"
#include "model/UpdateAllData.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/Dispatcher.h"
#include "sim/IntelHex.h"
#include "sim/SimMonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

QDir targetDir(const QString& root, const QString& target) {
    QDir dir(root);
    dir.mkpath(target);
    return QDir(dir.filePath(target));
}

bool writeSeed(const QDir& dir, const QString& name, const QByteArray& contents) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size()) {
        QTextStream(stderr) << "cannot write " << file.fileName() << "\n";
        return false;
    }
    return true;
}

// Seeds of count items each, every one after the same opening.
bool writeChunks(const QDir& dir, const QString& prefix, const QByteArray& opening, const QByteArrayList& items,
                 char separator, int count) {
    bool ok = true;
    for (int first = 0; first < items.size(); first += count)
        ok &= writeSeed(dir, QStringLiteral("%1-%2").arg(prefix).arg(first / count + 1, 2, 10, QLatin1Char('0')),
                        opening + items.mid(first, count).join(separator));
    return ok;
}

QByteArray line(const QString& request) {
    return request.toLatin1() + "\r\n";
}

// The read requests of a whole Update All Data, with the identity and capability reads around it.
QStringList sessionReads(const sim::SimProfile& profile) {
    QStringList reads{Catalogue::ping(), Catalogue::readCapability()};
    for (int step = 0; step <= UpdateAllData::lastStep; ++step)
        if (!UpdateAllData::stepRequest(step).isEmpty())
            reads << UpdateAllData::stepRequest(step);
    if (profile.hasBoardIdentity)
        for (const QChar board : Catalogue::partNumberBoards())
            reads << Catalogue::readPartNumber(board) << Catalogue::readSerialNumber(board);
    reads << Catalogue::readDac(QLatin1Char('n'), DacKind::Current) << Catalogue::readOffsets(DacKind::Current)
          << Catalogue::readOffsets(DacKind::Factory) << Catalogue::readSyncFrequencies();
    return reads;
}

// Requests that change the monitor, as the adjustment and diagnostics windows send them.
QStringList sessionSettings() {
    return {Catalogue::setDac(QLatin1Char('l'), 2, 140),
            Catalogue::setDac(QLatin1Char('a'), 1, 30),
            Catalogue::setContrast(200),
            Catalogue::setOffset(3, 100),
            Catalogue::saveDacs(QLatin1Char('l')),
            Catalogue::selectScanSet(2),
            Catalogue::setScanSetEnabled(4, false),
            Catalogue::renameScanSet(QStringLiteral("1280x1024 75Hz")),
            Catalogue::setPartNumber(QLatin1Char('s'), QStringLiteral("KM-2110")),
            Catalogue::setOperatingField(Catalogue::OperatingField::Hours, QStringLiteral("12")),
            Catalogue::setHvControl(Catalogue::HvControl::Focus, 77),
            Catalogue::setPeekAddress(QStringLiteral("0x1F00")),
            Catalogue::writeByte(QStringLiteral("0x5A")),
            Catalogue::readByte(),
            Catalogue::readWord(),
            Catalogue::probe(0x40),
            Catalogue::degauss()};
}

// A small program image over two 64 KiB pages, so that it needs an extended address record.
sim::HexImage sampleImage(quint32 base) {
    sim::HexImage image;
    QByteArray code;
    for (int i = 0; i < 40; ++i)
        code += char((i * 37 + 11) & 0xFF);
    image.write(base + 0x0100, code);
    image.write(base + 0xFFF0, code.left(32)); // runs over into the next page
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: fuzz_seeds DIR\n";
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QDir receive = targetDir(root, QStringLiteral("receive"));
    const QDir datafile = targetDir(root, QStringLiteral("datafile"));
    const QDir text = targetDir(root, QStringLiteral("text"));
    const QDir simmonitor = targetDir(root, QStringLiteral("simmonitor"));
    const QDir intelhex = targetDir(root, QStringLiteral("intelhex"));
    bool ok = true;

    const QStringList profiles = sim::SimProfile::names();
    for (int p = 0; p < profiles.size(); ++p) {
        const sim::SimProfile profile = sim::SimProfile::byName(profiles.at(p));
        const bool fullSeeds = profile.name == sim::SimProfile::defaultName();
        sim::SimMonitor monitor(profile);
        MonitorModel model;
        DataReadHandlers handlers(model);
        Dispatcher dispatcher(model, &handlers);

        // One receive event per answer, as the port delivers them.
        QByteArrayList answers;
        QByteArray requests(1, char(p));
        for (const QString& read : sessionReads(profile)) {
            requests += line(read);
            for (const sim::Exchange& exchange : monitor.feed(line(read))) {
                answers << exchange.answer;
                dispatcher.dispatchAnswer(QString::fromLatin1(exchange.answer));
                if (fullSeeds && !exchange.request.isEmpty())
                    ok &= writeSeed(text, QStringLiteral("answer-%1").arg(read), exchange.answer);
            }
        }
        for (const QString& setting : sessionSettings())
            requests += line(setting);
        ok &= writeSeed(simmonitor, QStringLiteral("session-%1").arg(profile.name), requests);
        // Short seeds keep the fuzzer fast; each starts with the ping and firmware answers, as a session does
        // (the firmware class decides how test points are read).
        QByteArray opening = answers.at(0) + '\0';
        for (const QByteArray& answer : std::as_const(answers))
            if (answer.startsWith("df\r\n"))
                opening += answer + '\0';
        ok &= writeChunks(receive, QStringLiteral("answers-%1").arg(profile.name), opening, answers, '\0', 6);
        if (fullSeeds)
            ok &= writeSeed(receive, QStringLiteral("session-%1").arg(profile.name), answers.join('\0'));

        DataFile file(model);
        file.setTimestamp([] { return QStringLiteral("1/2/2026 3:04:05 AM"); });
        const QByteArray contents = file.contents();
        if (fullSeeds)
            ok &= writeSeed(datafile, QStringLiteral("monitor-%1.mdv").arg(profile.name), contents);
        QByteArrayList lines = contents.split('\n');
        const QByteArray header = lines.takeFirst() + '\n' + lines.takeFirst() + '\n';
        ok &= writeChunks(datafile, QStringLiteral("part-%1").arg(profile.name), header, lines, '\n', 24);
    }

    // The monitor in its boot block, a garbled prompt answer and an error answer.
    sim::SimMonitor boot(sim::SimProfile::byName(sim::SimProfile::defaultName()), true);
    QByteArray bootAnswers;
    for (const QString& read : {Catalogue::ping(), Catalogue::readBootEpromVersion(), Catalogue::readBootBlock()})
        for (const sim::Exchange& exchange : boot.feed(line(read)))
            bootAnswers += exchange.answer + '\0';
    ok &= writeSeed(receive, QStringLiteral("boot-block"), bootAnswers);
    ok &= writeSeed(receive, QStringLiteral("garbled-prompt"), QByteArrayLiteral("p\r\n#\0Px$\0\0\0dt\r\n"));
    ok &= writeSeed(receive, QStringLiteral("error-answer"), QByteArrayLiteral("zz\r\nUnknown command\r\n!\0p\r\n#"));

    // Both downloads: the flash from the boot block, the SRAM program from the firmware.
    const sim::HexImage image = sampleImage(0);
    const QByteArray hex = image.toIntelHex();
    const QByteArray hexLines = QByteArray(hex).replace("\n", "\r\n");
    ok &= writeSeed(simmonitor, QStringLiteral("flash-download"),
                    QByteArray(1, char(0x81)) + line(Catalogue::eraseFlash()) + hexLines +
                        line(Catalogue::runFirmware()));
    ok &=
        writeSeed(simmonitor, QStringLiteral("sram-download"),
                  QByteArray(1, char(0x02)) + line(Catalogue::startSramLoad()) + hexLines + line(Catalogue::runSram()));
    // A record whose address wraps past 4 GiB after an extended address record must be refused, not written.
    const QByteArray wrapping = sim::makeHexRecord(sim::HexExtendedLinearAddress, 0, QByteArray(2, char(0xFF))) +
                                "\r\n" + sim::makeHexRecord(sim::HexData, 0xFFF8, QByteArray(16, 0)) + "\r\n";
    ok &= writeSeed(simmonitor, QStringLiteral("flash-download-wrapping"),
                    QByteArray(1, char(0x81)) + line(Catalogue::eraseFlash()) + wrapping);
    ok &= writeSeed(intelhex, QStringLiteral("image"), hex);
    ok &= writeSeed(intelhex, QStringLiteral("image-high"), sampleImage(0x00120000).toIntelHex(32));
    return ok ? 0 : 1;
}
