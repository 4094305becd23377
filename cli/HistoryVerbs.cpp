// history, diff and restore: each monitor's history on the command line. history reads the database alone;
// diff reads the monitor's values of the scan sets concerned and sets them beside a snapshot's or a data
// file's; restore writes a snapshot back with Write File to Monitor's sequence and checks.
#include "cli/ExitStatus.h"
#include "cli/Session.h"
#include "cli/Verbs.h"
#include "history/HistoryStore.h"
#include "history/SnapshotModel.h"
#include "model/MonitorModel.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <memory>

namespace {

std::unique_ptr<HistoryStore> openStore(const CliOptions& options) {
    auto store = std::make_unique<HistoryStore>(HistoryStore::configuredLocation(nullptr, options.database));
    QObject::connect(store.get(), &HistoryStore::problem,
                     [](const QString& message) { std::fprintf(stderr, "%s\n", qPrintable(message)); });
    store->open();
    return store;
}

void printJson(const QJsonValue& value) {
    const QByteArray text = value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented)
                                            : QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented);
    std::fputs(text.constData(), stdout);
}

QString timeText(const QDateTime& t) {
    return t.toUTC().toString(Qt::ISODate);
}

QString setsText(const QVector<int>& sets) {
    QStringList out;
    for (int s : sets)
        out << QString::number(s + 1);
    return out.join(QLatin1Char(','));
}

QJsonObject connectionJson(HistoryStore& store, const HistoryConnection& c) {
    QJsonArray snapshots, changes, ends;
    for (const HistorySnapshot& s : store.snapshots(c.id))
        snapshots.append(QJsonObject{{"id", s.id},
                                     {"taken", timeText(s.taken)},
                                     {"scanSets", setsText(s.scanSets)},
                                     {"values", int(s.values.size())}});
    for (const HistoryChange& ch : store.changes(c.id))
        changes.append(QJsonObject{{"what", ch.what},
                                   {"old", ch.oldValue},
                                   {"new", ch.newValue},
                                   {"source", ch.source},
                                   {"when", timeText(ch.when)}});
    for (const HistoryEnd& e : store.ends(c.id))
        ends.append(QJsonObject{{"kind", e.kind}, {"summary", e.summary}, {"when", timeText(e.when)}});
    return {{"id", c.id},       {"started", timeText(c.started)}, {"port", c.port},
            {"bench", c.bench}, {"snapshots", snapshots},         {"changes", changes},
            {"ends", ends}};
}

void printConnection(const QJsonObject& c) {
    std::printf("  connection %s on %s at %s\n", qPrintable(c["started"].toString()), qPrintable(c["port"].toString()),
                qPrintable(c["bench"].toString()));
    for (const QJsonValue& v : c["snapshots"].toArray())
        std::printf("    snapshot %s  scan sets %s, %d values\n", qPrintable(v["id"].toString()),
                    qPrintable(v["scanSets"].toString()), v["values"].toInt());
    for (const QJsonValue& v : c["changes"].toArray())
        std::printf("    change   %s  %s %s -> %s  (%s)\n", qPrintable(v["when"].toString()),
                    qPrintable(v["what"].toString()), qPrintable(v["old"].toString()), qPrintable(v["new"].toString()),
                    qPrintable(v["source"].toString()));
    for (const QJsonValue& v : c["ends"].toArray())
        std::printf("    end      %s  %s: %s\n", qPrintable(v["when"].toString()), qPrintable(v["kind"].toString()),
                    qPrintable(v["summary"].toString().replace(QLatin1Char('\n'), QLatin1Char(' '))));
}

// A snapshot of the history, or the values a data file holds.
bool reference(HistoryStore& store, const QString& name, HistorySnapshot* out) {
    QString error;
    const bool ok =
        QFileInfo(name).isFile() ? SnapshotModel::fromDataFile(name, out, &error) : store.snapshot(name, out, &error);
    if (!ok)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return ok;
}

} // namespace

int runHistory(Session&, const CliOptions& options) {
    auto store = openStore(options);
    const QString serial = options.arguments.value(0);
    const QVector<HistoryMonitor> monitors = serial.isEmpty() ? store->monitors() : store->monitorsMatching(serial);
    if (!serial.isEmpty() && monitors.isEmpty())
        std::fprintf(stderr, "No monitor with serial number %s in the history.\n", qPrintable(serial));
    QJsonArray all;
    for (const HistoryMonitor& m : monitors) {
        QJsonArray connections;
        for (const HistoryConnection& c : store->connections(m.id))
            connections.append(connectionJson(*store, c));
        all.append(QJsonObject{{"id", m.id},
                               {"model", m.modelNumber},
                               {"serial", m.serialNumber},
                               {"firmwareClass", m.firmwareClass},
                               {"connections", connections}});
        if (!options.json) {
            std::printf("%s (%s)\n", qPrintable(m.label()), qPrintable(m.id));
            for (const QJsonValue& c : connections)
                printConnection(c.toObject());
        }
    }
    if (options.json)
        printJson(all);
    return ExitStatus::Done;
}

int runDiff(Session& session, const CliOptions& options) {
    auto store = openStore(options);
    HistorySnapshot other;
    if (!reference(*store, options.arguments.value(0), &other))
        return ExitStatus::FileError;
    const int status = readScanSets(
        session, [&other](const MonitorModel&) { return other.scanSets; }, true);
    if (status != ExitStatus::Done)
        return status;
    const HistorySnapshot now = SnapshotModel::take(session.model(), other.scanSets);
    const QVector<SnapshotModel::Difference> cells = SnapshotModel::compare({now, other});
    QJsonArray rows;
    int differing = 0;
    for (const SnapshotModel::Difference& d : cells) {
        differing += d.differs() ? 1 : 0;
        QJsonObject row{{"scanSet", d.scanSet + 1}, {"name", d.name}, {"differs", d.differs()}};
        if (d.has[0])
            row["monitor"] = d.values[0];
        if (d.has[1])
            row["reference"] = d.values[1];
        rows.append(row);
    }
    if (options.json) {
        printJson(QJsonObject{{"reference", other.id}, {"differences", differing}, {"values", rows}});
        return ExitStatus::Done;
    }
    std::printf("%-4s %-28s %8s %10s\n", "set", "value", "monitor", "reference");
    for (const QJsonValue& v : rows)
        std::printf("%-4d %-28s %8s %10s%s\n", v["scanSet"].toInt(), qPrintable(v["name"].toString()),
                    v["monitor"].isUndefined() ? "-" : qPrintable(QString::number(v["monitor"].toInt())),
                    v["reference"].isUndefined() ? "-" : qPrintable(QString::number(v["reference"].toInt())),
                    v["differs"].toBool() ? "  *" : "");
    std::printf("%d of %d values differ\n", differing, int(rows.size()));
    return ExitStatus::Done;
}

int runRestore(Session& session, const CliOptions& options) {
    HistorySnapshot snapshot;
    {
        auto store = openStore(options);
        QString error;
        if (!store->snapshot(options.arguments.value(0), &snapshot, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return ExitStatus::FileError;
        }
    }
    return writeBack(session, options, SnapshotModel::writeBackFile(snapshot), QStringLiteral("orvexmon-cli restore"));
}
