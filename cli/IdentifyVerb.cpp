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

// A known text, or null.
QJsonValue knownText(bool known, const QString& text) {
    return known ? QJsonValue(text.trimmed()) : QJsonValue(QJsonValue::Null);
}

// The board's key in the JSON: its name as the identity window's captions give it.
QString boardName(char board) {
    switch (board) {
    case 'l':
        return QStringLiteral("lvps");
    case 'd':
        return QStringLiteral("deflection");
    case 'c':
        return QStringLiteral("convergence");
    case 'v':
        return QStringLiteral("video");
    case 'p':
        return QStringLiteral("cpu");
    case 't':
        return QStringLiteral("crt");
    case 'h':
        return QStringLiteral("hvps");
    case 'f':
        return QStringLiteral("focus");
    default:
        return QStringLiteral("g2");
    }
}

// Each board of a monitor whose boards report their numbers, as an object with its part and serial number (null
// where the board did not report one); null for the other monitors.
QJsonValue boards(const MonitorModel& m) {
    if (m.bootMode || !m.hasBoardIdentity)
        return QJsonValue::Null;
    QJsonObject out;
    for (const BoardIdentity::Row* row : identityRows(m)) {
        if (row->board == 's' || row->board == 'u')
            continue;
        const QChar board = QLatin1Char(row->board);
        const bool serial = row->kind == BoardIdentity::NumberKind::Serial;
        QJsonObject b = out.value(boardName(row->board)).toObject();
        b[serial ? QStringLiteral("serial") : QStringLiteral("part")] =
            knownText(m.known(MonitorModel::boardKey(board, serial)), rowValue(m, *row));
        out[boardName(row->board)] = b;
    }
    return out;
}

// The same keys on every family, in boot mode and on failure: null where the monitor has or told no value.
QJsonObject json(const MonitorModel& m, bool capabilityRead, const QString& device, int status) {
    const bool running = !m.bootMode && m.known(MonitorModel::firmwareVersionKey);
    const QJsonValue null(QJsonValue::Null);
    QJsonObject o;
    o[QStringLiteral("status")] = status;
    o[QStringLiteral("error")] = status == ExitStatus::Done ? null : QJsonValue(ExitStatus::meaning(status));
    o[QStringLiteral("port")] = device;
    o[QStringLiteral("bootMode")] = m.bootMode;
    o[QStringLiteral("bootBlockVersion")] =
        knownText(m.known(MonitorModel::romVersionKey), versionDigits(m.romVersion));
    o[QStringLiteral("firmwareVersion")] = knownText(running, versionDigits(m.firmwareVersion));
    o[QStringLiteral("firmwareClass")] = running ? QJsonValue(m.firmwareClass) : null;
    o[QStringLiteral("family")] = running ? QJsonValue(DataReadHandlers::familyOf(m.firmwareClass)) : null;
    const auto number = [&](char board, bool serial) {
        const QChar b = QLatin1Char(board);
        return knownText(!m.bootMode && m.known(MonitorModel::boardKey(b, serial)), m.boardNumber(b, serial));
    };
    o[QStringLiteral("modelNumber")] = number('s', false);
    o[QStringLiteral("serialNumber")] = number('s', true);
    o[QStringLiteral("partNumber")] = m.hasBoardIdentity ? number('u', false) : null;
    o[QStringLiteral("boards")] = boards(m);
    const bool timed = !m.bootMode && m.known(MonitorModel::operatingTimeKey);
    o[QStringLiteral("operatingTime")] = knownText(timed, m.operatingTime);
    o[QStringLiteral("operatingCycles")] = timed ? QJsonValue(m.operatingCycles.toLongLong()) : null;
    const bool scanSet = !m.bootMode && m.monitorScanSetNumber > 0;
    o[QStringLiteral("scanSet")] = scanSet ? QJsonValue(m.monitorScanSetNumber) : null;
    o[QStringLiteral("scanSetName")] = knownText(scanSet, m.monitorScanSetName);
    o[QStringLiteral("capability")] = capabilityRead ? QJsonValue(m.capabilityMask()) : null;
    return o;
}

void printJson(const QJsonObject& o) {
    std::fputs(QJsonDocument(o).toJson().constData(), stdout);
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

void identifyFailed(Session& session, const CliOptions& options, int status) {
    if (options.json)
        printJson(json(session.model(), false, session.deviceName(), status));
}

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
        if (status == ExitStatus::Interrupted) {
            if (options.json)
                printJson(json(m, capabilityRead, session.deviceName(), status));
            return status;
        }
    }
    if (options.json)
        printJson(json(m, capabilityRead, session.deviceName(), ExitStatus::Done));
    else
        std::fputs((text(m, capabilityRead, session.deviceName()) + QLatin1Char('\n')).toUtf8().constData(), stdout);
    return ExitStatus::Done;
}
