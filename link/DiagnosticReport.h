#pragma once
// The diagnostic report a technician saves and sends: the tool's version, who the monitor is (identity,
// versions, firmware class, capability), the port, the link statistics, the settings and the last lines of the
// link's log, as one plain text. Built from plain values so that it is put together the same way in a test.
#include "platform/Settings.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

class LinkStatistics;
class MonitorModel;

namespace DiagnosticReport {

struct PortInfo {
    int number = 0;
    QString device;
    QString lineSettings;
    bool open = false;
};

struct Input {
    QString toolVersion;
    QDateTime createdAt;
    const MonitorModel* model = nullptr;
    const LinkStatistics* statistics = nullptr;
    PortInfo port;
    QVector<Settings::Entry> settings;
    QStringList logLines;
    // Older log lines that were no longer kept.
    quint64 droppedLogLines = 0;
};

struct StatisticRow {
    QString key; // names the link report's value label: "lbl" + key + "Value"
    QString caption;
    QString value;
};
// Each statistic, in the order the link report shows them.
QVector<StatisticRow> statisticsRows(const LinkStatistics& statistics);
// "2 (CRT with board identity)" for class 210; "not read" before a firmware-version answer.
QString firmwareClassText(int firmwareClass);
// "0x34: Video, Deflection, North-South" style; the names of the flags that are set.
QString capabilityText(const MonitorModel& model);

QString text(const Input& input);
// The proposed file name: the monitor's serial number (characters a file name cannot hold replaced) and the
// date, e.g. "SN12345-2026-12-07.txt"; "OrvexMon-2026-12-07.txt" while the serial number is not known.
QString fileName(const QString& serialNumber, const QDate& date);

} // namespace DiagnosticReport
