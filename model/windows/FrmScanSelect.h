#pragma once
// "Scan Selection": the scan set that every adjustment window works on, which scan sets are switched on in the
// monitor, their names, and copies of scan set 1's settings to another scan set. The check boxes are the tool's
// record of the ticked scan sets (the model's scanSetEnabled follows them): the data file saves a scan set only
// while its box is ticked (1), and activation greys (2) every ticked box but the current scan set's. The tick that
// saves is the user's: a scan set the monitor's list reports switched on shows greyed until the user ticks it.
#include "ui/ChildWindow.h"

#include <QList>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QRadioButton;

class FrmScanSelect : public ChildWindow {
    Q_OBJECT
public:
    static constexpr int rows = 6;
    // The current index after "DeSelect": no scan set, outside every table.
    static constexpr int deselected = 7;

    explicit FrmScanSelect(AppContext& ctx, QWidget* parent = nullptr);

    void onActivated() override;

    // ScanSelectChoice click: makes scan set i (0 to 5) the current one.
    void chooseOption(int i);
    // Check1 click by the user.
    void checkClicked(int i);
    void copyFirstTo(int copyButton);
    void deselect();
    void rename();
    void ok();

    // A line of the scan-set list answer, or a name read from a data file.
    void showEntry(int index, const QString& name, int enabled);
    void showName(int index, const QString& name);

    // Whether an index names one of the six scan sets.
    static bool isScanSet(int index) { return index >= 0 && index < rows; }

private:
    // Shows an option as selected (or none for an index outside 0 to 5) without running the option choice.
    void markOption(int index);
    void setBox(int i, int value);
    int boxValue(int i) const;
    // Who gave a scan set's tick, kept in the model under its key: the user (or a loaded file), or nobody.
    static QString tickKey(int i);
    void noteUsersTick(int i);
    bool usersTick(int i) const;
    // The name and the caption of the selection after "OK" or the option choice.
    void describeSelection();

    bool m_settling = false;
    QButtonGroup* m_options = nullptr;
    QList<QRadioButton*> m_choices;
    QList<QLabel*> m_names;
    QList<QCheckBox*> m_boxes;
};
