// identify: who the monitor is, read with the requests the identity, version and operating-time windows send,
// and printed from the monitor data model.
#include "cli/ExitStatus.h"
#include "cli/Session.h"
#include "cli/Verbs.h"
#include "link/DiagnosticReport.h"
#include "model/BoardIdentity.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/FirmwareClass.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

QStringList identifyReads(const MonitorModel& m) {
    QStringList reads{Catalogue::readBootEpromVersion(), Catalogue::readPartNumber(QLatin1Char('s')),
                      Catalogue::readSerialNumber(QLatin1Char('s'))};
    for (const QString& r : BoardIdentity::identityReads(m.firmwareClass, m.hasBoardIdentity))
        if (!reads.contains(r))
            reads << r;
    reads << Catalogue::readOperatingTime() << Catalogue::readCurrentScanSet();
    if (FirmwareClass::asksCapability(m.firmwareClass))
        reads << Catalogue::readCapability();
    return reads;
}

// "V 2.10" as the model keeps it, without the "V ".
QString versionDigits(const QString& shown) {
    return shown.startsWith(QLatin1String("V ")) ? shown.mid(2).trimmed() : shown.trimmed();
}

// The rows of the identity window that this monitor shows: its own numbers, and the boards' on a monitor
// whose boards report their numbers.
std::vector<const BoardIdentity::Row*> identityRows(const MonitorModel& m) {
    std::vector<const BoardIdentity::Row*> out;
    for (const BoardIdentity::Row& row : BoardIdentity::rows())
        if (row.board && row.kind != BoardIdentity::NumberKind::Model &&
            (m.hasBoardIdentity || !row.boardOnlyOnIdWindow))
            out.push_back(&row);
    return out;
}

QString rowValue(const MonitorModel& m, const BoardIdentity::Row& row) {
    return m.boardNumber(QLatin1Char(row.board), row.kind == BoardIdentity::NumberKind::Serial).trimmed();
}

QJsonObject json(const MonitorModel& m, bool capabilityRead, const QString& device) {
    QJsonObject o;
    o[QStringLiteral("port")] = device;
    o[QStringLiteral("bootMode")] = m.bootMode;
    o[QStringLiteral("bootBlockVersion")] = versionDigits(m.romVersion);
    if (m.bootMode)
        return o;
    o[QStringLiteral("firmwareVersion")] = versionDigits(m.firmwareVersion);
    o[QStringLiteral("firmwareClass")] = m.firmwareClass;
    o[QStringLiteral("family")] = DataReadHandlers::familyOf(m.firmwareClass);
    o[QStringLiteral("modelNumber")] = m.modelNumber.trimmed();
    o[QStringLiteral("serialNumber")] = m.serialNumber.trimmed();
    if (m.hasBoardIdentity) {
        o[QStringLiteral("partNumber")] = m.partNumber.trimmed();
        QJsonArray boards;
        for (const BoardIdentity::Row* row : identityRows(m)) {
            if (row->board == 's' || row->board == 'u')
                continue;
            QJsonObject b;
            b[QStringLiteral("board")] = QString(QLatin1Char(row->board));
            b[QStringLiteral("caption")] = QString::fromLatin1(row->caption).chopped(1);
            b[QStringLiteral("value")] = rowValue(m, *row);
            boards.append(b);
        }
        o[QStringLiteral("boards")] = boards;
    }
    o[QStringLiteral("operatingTime")] = m.operatingTime;
    o[QStringLiteral("operatingCycles")] = m.operatingCycles.toLongLong();
    if (m.monitorScanSetNumber > 0) {
        o[QStringLiteral("scanSet")] = m.monitorScanSetNumber;
        o[QStringLiteral("scanSetName")] = m.monitorScanSetName;
    }
    if (capabilityRead)
        o[QStringLiteral("capability")] = m.capabilityMask();
    return o;
}

QString text(const MonitorModel& m, bool capabilityRead, const QString& device) {
    QStringList lines;
    auto row = [&lines](const QString& caption, const QString& value) {
        lines << caption.leftJustified(28) + (value.isEmpty() ? QStringLiteral("(not read)") : value);
    };
    row(QStringLiteral("Port:"), device);
    if (m.bootMode) {
        row(QStringLiteral("Boot Block Version:"), versionDigits(m.romVersion));
        lines << QStringLiteral("The monitor is in its boot block: it answers with \"$\" and runs no firmware.");
        return lines.join(QLatin1Char('\n'));
    }
    row(QStringLiteral("Firmware Version:"), versionDigits(m.firmwareVersion));
    row(QStringLiteral("Firmware Class:"), DiagnosticReport::firmwareClassText(m.firmwareClass));
    row(QStringLiteral("Boot Block Version:"), versionDigits(m.romVersion));
    for (const BoardIdentity::Row* r : identityRows(m))
        row(QString::fromLatin1(r->caption), rowValue(m, *r));
    row(QStringLiteral("Operating Time:"), m.operatingTime.isEmpty() ? QString() : m.operatingTime + " (ddd:hh:mm:ss)");
    row(QStringLiteral("On-Off Cycles:"), m.operatingCycles);
    if (m.monitorScanSetNumber > 0)
        row(QStringLiteral("Scan Set Running:"),
            QStringLiteral("%1 (%2)").arg(m.monitorScanSetNumber).arg(m.monitorScanSetName.trimmed()));
    if (capabilityRead)
        row(QStringLiteral("Capability:"), DiagnosticReport::capabilityText(m));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

int runIdentify(Session& session, const CliOptions& options) {
    MonitorModel& m = session.model();
    bool capabilityRead = false;
    QObject::connect(session.handlers(), &DataReadHandlers::capabilityRead, &session,
                     [&capabilityRead] { capabilityRead = true; });
    // The boot block answers its own version only.
    const QStringList reads = m.bootMode ? QStringList{Catalogue::readBootEpromVersion()} : identifyReads(m);
    for (const QString& request : reads) {
        // A value this monitor does not keep is refused; the others are still worth showing.
        const int status = session.request(request);
        if (status == ExitStatus::Interrupted)
            return status;
    }
    const QString out = options.json
                            ? QString::fromUtf8(QJsonDocument(json(m, capabilityRead, session.deviceName())).toJson())
                            : text(m, capabilityRead, session.deviceName()) + QLatin1Char('\n');
    std::fputs(out.toUtf8().constData(), stdout);
    return ExitStatus::Done;
}
