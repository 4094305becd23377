#pragma once
// What each monitor's history is made of, as plain values: the monitor (known by model and serial number, or
// by port and firmware when it reports none), one connection to it, a snapshot of its values before the first
// change, each change and each end of a longer job. Every record carries its own id, made where it is written,
// so a record kept locally while a shared server is away keeps its id when it reaches the server.
#include <QChar>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QVector>

struct HistoryMonitor {
    QString id; // the identity key (see key())
    QString modelNumber;
    QString serialNumber;
    QString port;
    int firmwareClass = 0;
    QDateTime firstSeen;

    // "serial:MODEL/SERIAL", or "port:PORT/CLASS" for a monitor that reports no serial number.
    static QString key(const QString& modelNumber, const QString& serialNumber, const QString& port, int firmwareClass);
    QString label() const;
};

struct HistoryConnection {
    QString id;
    QString monitorId;
    QString port;
    int firmwareClass = 0;
    QString bench; // the host the tool ran on, so that a shared server tells the benches apart
    QDateTime started;
};

struct SnapshotValue {
    QChar group; // read letter of the DAC group, lower case
    int dac = 0;
    int scanSet = 0;
    int value = 0;
    int factory = 0;
    int initial = 0;
};

struct HistorySnapshot {
    QString id;
    QString connectionId;
    QString monitorId;
    QString modelNumber;
    QString serialNumber;
    int firmwareClass = 0;
    QVector<int> scanSets;
    QHash<QChar, int> counts; // DAC count per group letter, for the write-back's checks
    QDateTime taken;
    QVector<SnapshotValue> values;

    // The value of one cell, false when the snapshot does not hold it.
    bool find(QChar group, int dac, int scanSet, int* value) const;
};

struct HistoryChange {
    QString id;
    QString connectionId;
    QString what; // the setting's request key ("cdl0") or the job ("write-back")
    QString oldValue;
    QString newValue;
    QString source; // the window's objectName or the command line's verb
    QDateTime when;
};

// The end of a longer job: a write-back's summary, a download's verdict.
struct HistoryEnd {
    QString id;
    QString connectionId;
    QString kind;
    QString summary;
    QDateTime when;
};

// One connection with everything recorded under it, as the History window lists it.
struct HistoryConnectionRecords {
    HistoryConnection connection;
    QVector<HistorySnapshot> snapshots; // with every value
    QVector<HistoryChange> changes;
    QVector<HistoryEnd> ends;
};
