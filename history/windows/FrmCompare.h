#pragma once
// "Compare": the monitor's values now (as the tool holds them), a snapshot's and a data file's side by side,
// scan set by scan set, each value whose columns disagree marked and listed first; "Only differences" hides the
// others.
#include "history/HistoryRecords.h"
#include "ui/ChildWindow.h"

class QCheckBox;
class QLabel;
class QTableWidget;

class FrmCompare : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmCompare(AppContext& ctx);

    void onActivated() override;
    void compareWith(const HistorySnapshot& snapshot);
    // "Data File ...": asks for a data file for the third column.
    void chooseDataFile();
    // Rows marked as differing.
    int differences() const { return m_differences; }

private:
    void refresh();
    void showOnlyDifferences();

    HistorySnapshot m_snapshot;
    HistorySnapshot m_file;
    QTableWidget* m_table;
    QLabel* m_summary;
    QCheckBox* m_onlyDifferences;
    int m_differences = 0;
};
