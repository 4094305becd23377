#include "link/DiagnosticReport.h"

#include "link/LinkStatistics.h"
#include "model/MonitorModel.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/TextHelpers.h"

namespace DiagnosticReport {
namespace {
QString orNotRead(const QString& text) {
    const QString t = text.trimmed();
    return t.isEmpty() ? QStringLiteral("(not read)") : t;
}

QString yesNo(bool on) {
    return on ? QStringLiteral("yes") : QStringLiteral("no");
}

QString milliseconds(double ms) {
    return QString::number(ms, 'f', ms == qint64(ms) ? 0 : 1) + QStringLiteral(" ms");
}

void heading(QStringList& out, const QString& title) {
    out << QString() << QStringLiteral("== ") + title + QStringLiteral(" ==");
}

void row(QStringList& out, const QString& caption, const QString& value) {
    out << caption + QStringLiteral(": ") + value;
}
} // namespace

QVector<StatisticRow> statisticsRows(const LinkStatistics& s) {
    QString median = QStringLiteral("none");
    QString worst = QStringLiteral("none");
    if (s.timedAnswers()) {
        median = s.medianBeyondRange() ? QStringLiteral("over ") + milliseconds(LinkStatistics::answerTimeRangeMs)
                                       : milliseconds(s.medianAnswerMs());
        worst = milliseconds(double(s.worstAnswerMs()));
    }
    return {
        {QStringLiteral("Requests"), QStringLiteral("Requests written"), QString::number(s.requests())},
        {QStringLiteral("Typed"), QStringLiteral("Characters typed past the queue"),
         QString::number(s.directCharacters())},
        {QStringLiteral("Answers"), QStringLiteral("Answers"), QString::number(s.answers())},
        {QStringLiteral("TimeOuts"), QStringLiteral("Time-outs"), QString::number(s.timeOuts())},
        {QStringLiteral("Retries"), QStringLiteral("Retries"), QString::number(s.retries())},
        {QStringLiteral("Rejections"), QStringLiteral("Rejections (\"!\")"), QString::number(s.rejections())},
        {QStringLiteral("Lost"), QStringLiteral("Connections lost"), QString::number(s.connectionsLost())},
        {QStringLiteral("Reconnects"), QStringLiteral("Reconnects"), QString::number(s.reconnects())},
        {QStringLiteral("Timed"), QStringLiteral("Answers timed"), QString::number(s.timedAnswers())},
        {QStringLiteral("Median"), QStringLiteral("Answer time, median"), median},
        {QStringLiteral("Worst"), QStringLiteral("Answer time, worst"), worst},
    };
}

QString firmwareClassText(int c) {
    if (c <= 0)
        return QStringLiteral("not read");
    static const char* const families[] = {"none known", "1 (CRT)", "2 (CRT with board identity)", "3 (flat panel)",
                                           "4 (flat panel with LED backlight)"};
    // The family as the family set-up knows it, which decides the menus the tool offers.
    return QString::number(c) + QStringLiteral(", family ") +
           QLatin1String(families[DataReadHandlers::familyOf(c)]);
}

QString capabilityText(const MonitorModel& m) {
    const QPair<bool, const char*> flags[] = {
        {m.hasLowVoltageSupply, "Low Voltage Supply"},
        {m.hasPowerDistribution, "Power Distribution"},
        {m.hasVideo, "Video"},
        {m.hasDeflection, "Deflection"},
        {m.hasNorthSouth, "North-South"},
        {m.hasConvergence, "Convergence"},
        {m.hasG2Adjustment, "G2 Adjustment"},
        {m.hasExpansionLeds, "Expansion LEDs"},
    };
    QStringList names;
    for (const auto& f : flags)
        if (f.first)
            names << QString::fromLatin1(f.second);
    const QString mask = QStringLiteral("0x%1").arg(m.capabilityMask(), 2, 16, QLatin1Char('0'));
    return names.isEmpty() ? mask + QStringLiteral(" (none)") : mask + QStringLiteral(": ") + names.join(", ");
}

QString text(const Input& in) {
    QStringList out;
    out << QStringLiteral("OrvexMon diagnostic report");
    row(out, QStringLiteral("Created"), in.createdAt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    row(out, QStringLiteral("Tool version"), in.toolVersion);

    if (const MonitorModel* m = in.model) {
        heading(out, QStringLiteral("Monitor"));
        row(out, QStringLiteral("Model number"), orNotRead(m->modelNumber));
        row(out, QStringLiteral("Serial number"), orNotRead(m->serialNumber));
        row(out, QStringLiteral("Part number"), orNotRead(m->partNumber));
        if (!m->crtSerialNumber.trimmed().isEmpty() || !m->crtPartNumber.trimmed().isEmpty()) {
            row(out, QStringLiteral("CRT serial number"), orNotRead(m->crtSerialNumber));
            row(out, QStringLiteral("CRT part number"), orNotRead(m->crtPartNumber));
        }
        row(out, QStringLiteral("Firmware version"), orNotRead(m->firmwareVersion));
        row(out, QStringLiteral("Boot EPROM version"), orNotRead(m->romVersion));
        row(out, QStringLiteral("Firmware class"), firmwareClassText(m->firmwareClass));
        row(out, QStringLiteral("Capability"), capabilityText(*m));
        row(out, QStringLiteral("Operating time"), orNotRead(m->operatingTime));
        row(out, QStringLiteral("Operating cycles"), orNotRead(m->operatingCycles));
        row(out, QStringLiteral("Responding"), yesNo(m->monitorResponding));
        row(out, QStringLiteral("Boot mode"), yesNo(m->bootMode));
    }

    heading(out, QStringLiteral("Port"));
    row(out, QStringLiteral("Port"), QStringLiteral("Com") + QString::number(in.port.number));
    row(out, QStringLiteral("Device"), orNotRead(in.port.device));
    row(out, QStringLiteral("Line settings"), orNotRead(in.port.lineSettings));
    row(out, QStringLiteral("Open"), yesNo(in.port.open));

    if (in.statistics) {
        heading(out, QStringLiteral("Link statistics since start"));
        for (const StatisticRow& r : statisticsRows(*in.statistics))
            row(out, r.caption, r.value);
    }

    heading(out, QStringLiteral("Settings as stored"));
    for (const Settings::Entry& e : in.settings)
        out << QStringLiteral("[%1] %2 = %3").arg(e.section, e.key, e.value);

    QString logTitle = QStringLiteral("Log, last %1 lines").arg(in.logLines.size());
    if (in.droppedLogLines)
        logTitle += QStringLiteral(" (%1 earlier lines not kept)").arg(in.droppedLogLines);
    heading(out, logTitle);
    out << in.logLines;
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString fileName(const QString& serialNumber, const QDate& date) {
    QString name = Text::fileNamePart(serialNumber);
    if (name.isEmpty())
        name = QStringLiteral("OrvexMon");
    return name + QLatin1Char('-') + date.toString(Qt::ISODate) + QStringLiteral(".txt");
}

} // namespace DiagnosticReport
