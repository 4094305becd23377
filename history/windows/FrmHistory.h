#pragma once
// "History" (Monitor menu): the monitors the history knows, one monitor's connections each with its snapshots,
// changes and ends; for a snapshot "Compare" (the Compare window) and "Restore" (its values written back by
// Write File to Monitor, which asks first); the monitor's history saved as CSV, a snapshot as a data file.
#include "history/HistoryRecords.h"
#include "ui/ChildWindow.h"

#include <QHash>

class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
struct WriteBackFile;

class FrmHistory : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmHistory(AppContext& ctx);

    void onActivated() override;
    // Lists the monitors again, keeping the one chosen; the lists fill when the history answers.
    void reload();
    // The snapshot of the chosen item; false when the item is no snapshot.
    bool chosenSnapshot(HistorySnapshot* out) const;
    // Restore writes to the monitor: offered only where Write File to Monitor is.
    void setRestoreOffered(bool offered);

signals:
    void restoreRequested(const WriteBackFile& file);
    // The chosen monitor's connections are listed as the history holds them now.
    void monitorShown();

private:
    void showMonitor();
    void showRecords(const QVector<HistoryConnectionRecords>& records);
    void updateButtons();
    void compare();
    void restore();
    void exportCsv();
    void exportSnapshot();
    bool saveAs(const QString& title, const QString& filter, const QString& proposed, const QByteArray& data);

    QListWidget* m_monitors;
    QTreeWidget* m_tree;
    QPushButton* m_compare;
    QPushButton* m_restore;
    QPushButton* m_exportCsv;
    QPushButton* m_exportSnapshot;
    bool m_restoreOffered = false;
    // The snapshots listed, by id, with every value.
    QHash<QString, HistorySnapshot> m_snapshots;
    // Counts the reads asked for, so that only the answer to the last one is shown.
    int m_monitorsAsked = 0;
    int m_recordsAsked = 0;
};
