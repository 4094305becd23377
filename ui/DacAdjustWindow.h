#pragma once
// The base of the DAC adjustment windows (colour balance, geometry, convergence details, brightness and contrast,
// high voltage), in parts: its layout (DacAdjustLayout.cpp), its send policy (DacSendPolicy.h, applied here) and
// its buttons (DacAdjustButtons.cpp). A window is mostly a table of row groups built with the builders here, plus a few hooks; it
// inherits the common behaviour:
// - a slider change of the user's shows the position, writes the group's value table at the current scan set,
//   marks the data changed and sends the set request when a monitor responds, as a setting whose newer value
//   replaces one of the same DAC still waiting in the queue; a drag shows each position on the way but sends
//   once, on release; Enter in a present box moves the slider (and so sends), a number outside the range is
//   refused with the range said;
// - loading and activation show the model's known values (with a monitor, those it reported on this
//   connection) and queue the reads with a monitor;
// - deactivation disables the sliders and the setting buttons, activation enables them again;
// - factory, initial, save, OK and Cancel, each only from known values; rows hidden by the monitor family or
//   locked by the application mode are never moved.
// A programmatic slider change raises the same valueChanged as a user's: whatever shows a value does so inside
// the send policy's Showing scope (DacSendPolicy), so that a value shown is never sent back.
//
// A slider that does not show the value the monitor holds never sends: with a monitor, a row sends only once an
// answer has shown the monitor's value on it (Held::Shown) or the user has set a value of their own on it
// (typed, or a button that sets values). Until then its slider is locked with a note; so is a row whose monitor
// value lies beyond its slider's range, whose present column shows the real value. Without a monitor nothing is
// sent and the rows stay free for editing the model.
//
// Hooks, per row group (DacRowGroup, DacRowNames): control names (arrays "Name(i)", a per-column element offset,
// or single names), the set and save requests, a display offset for signed values, walking by the
// group's count, conditions for moving (factory, initial) and saving, where the buttons take their values (the
// model or the window's columns), a leading blank before the present value, whether rows are committed, filled
// from the model, enabled on activation and disabled on deactivation. A group may have no model group at all.
// Per window (virtual): queueReads, fillFromModel, setAdjustable, sliderChanged, buttonValuesReady (a check
// before the factory and initial buttons move anything), and the buttons themselves.
#include "protocol/AnswerHandlers.h"
#include "ui/ChildWindow.h"
#include "ui/DacRow.h"
#include "ui/DacSendPolicy.h"

#include <QHash>
#include <QList>
#include <QVector>

class MonitorModel;
class QLabel;
class QPushButton;
class QScrollBar;

class DacAdjustWindow : public ChildWindow {
    Q_OBJECT
public:
    DacAdjustWindow(AppContext& ctx, const QString& objectName, const QString& caption, QWidget* parent = nullptr);
    // Shows the model's scanSetCaption (also when the monitor's current scan set is followed).
    void showScanSetCaption();

    // Each time the window becomes active: show the scan set, queue the reads (monitor) or fill from the model
    // (no monitor), enable the sliders and setting buttons.
    void onActivated() override;
    // Another window became active: only the active window can be adjusted.
    void onDeactivated() override;

    // The buttons. Each moved slider sends its DAC through the slider change rule.
    virtual void goBackToFactoryDefaults();
    virtual void goBackToInitialSettings();
    virtual void saveInitialSettings();
    virtual void ok();
    virtual void cancel();
    // What the factory and initial buttons say when no row has a known value to go to.
    static QString noValuesToGoBackTo(bool factory);

    // Values of a group read from the monitor (the DAC-value answers; upper- or lower-case letter), from DAC
    // index 0 upward. Current values are slider positions: they move the sliders and their present boxes and
    // become the committed values that Cancel returns to. Factory and initial values fill those boxes (the
    // handler has stored them in the model already). Groups and indices this window does not show are ignored.
    void showDacValues(QChar group, DacKind kind, const QVector<int>& values);
    // One value of a group at a DAC index (the "Horiz S Cap" value that follows the horizontal group's list).
    virtual void showDacValue(QChar group, DacKind kind, int index, int value);
    // One value read from the monitor into a row of a group.
    void showRowValue(DacRowGroup& group, DacRow& row, DacKind kind, int value);
    // The monitor's present value of a row as a slider position (see Held): shown on the slider when it fits,
    // otherwise in the present column only, with the row locked.
    void showHeldPosition(DacRowGroup& group, DacRow& row, int position);
    // The monitor connected now may be another one, or none: nothing the rows showed is known of it. A shown
    // window reads its values again.
    virtual void forgetMonitorValues();
    // The row's slider shows what the monitor holds, or no monitor responds: a change of it may be sent.
    bool showsMonitorValue(const DacRow& row) const;
    // The row of a slider of this window, with its group; nullptr for none.
    DacRow* rowOfSlider(const QObject* slider, DacRowGroup** group = nullptr) const;

    const QList<DacRowGroup*>& rowGroups() const { return m_groups; }
    // A row is shown when its slider or its present column is; a row with neither is hidden whole.
    static bool rowShown(const DacRow* row);
    // The rows of a group letter (either case); nullptr when the window has none.
    DacRowGroup* rowGroup(QChar letter) const;
    // The rows of a model group; nullptr when the window has none.
    DacRowGroup* rowGroup(const DacGroup* group) const;

protected:
    // Builders. Widgets are created as children of the window with their documented names; the window places
    // them (placeRow, place).
    DacRowGroup* addRowGroup(DacGroup* group, QChar letter, const DacRowNames& names);
    DacRow* addRow(DacRowGroup* group, const DacRowDefinition& def);
    QLabel* addLabel(const QString& name, const QString& text);
    // The scan-set caption label (named scanSetLabelName), the scale "0" to "255" above the sliders ("Label2",
    // "Label3") and the headings of the three value columns ("Label4" to "Label6"), at the pattern's places.
    void addScaleAndHeadings(const QString& scanSetLabelName, const QString& factoryHeading,
                             const QString& initialHeading);
    QPushButton* addButton(const QString& name, const QString& text);
    // The factory, initial and save buttons: enabled by activation, disabled by deactivation; any may be null.
    void setSettingButtons(QPushButton* factory, QPushButton* initial, QPushButton* save);
    // The label that shows the model's scanSetCaption on loading and activation.
    void setScanSetLabel(QLabel* label) { m_scanSetLabel = label; }

    // Loading: call at the end of the derived constructor, once the rows exist.
    void load();
    // The reads queued on activation with a monitor: by default, per group with a letter, the present, initial
    // and factory reads.
    virtual void queueReads();
    // Rows of the groups filled from the model: slider and present box from committedValue, factory and
    // initial boxes from their tables, at the current scan set. Sends nothing and leaves the data unchanged.
    virtual void fillFromModel();
    // Activation (true) and deactivation (false) of the sliders and the setting buttons.
    virtual void setAdjustable(bool on);
    // The slider change rule.
    virtual void sliderChanged(DacRowGroup& group, DacRow& row, int position);
    // A value the user chose for a row (typed, or a button that sets values): the monitor will hold it, so it is
    // sent even when the slider already stands there. A position outside the slider's range moves nothing;
    // false then.
    bool setRowDeliberately(DacRowGroup& group, DacRow& row, int position);
    DacSendPolicy& sendPolicy() { return m_policy; }

    // Asked before the factory and initial buttons move anything; a window that cannot tell where to go says
    // so to the user and returns false.
    virtual bool buttonValuesReady() { return true; }
    // The value a factory or initial button moves a row to (a slider position); false when there is none.
    bool buttonValue(const DacRowGroup& group, const DacRow& row, DacTable table, int* position) const;

    // Per-group steps of the buttons. Rows the monitor family hides are not moved; rows outside the group's walk
    // are not touched.
    // Returns how many rows moved.
    int moveRowsTo(DacRowGroup& group, DacTable table);
    // Every group; says so when no row had a known value to go to.
    void moveAllRowsTo(DacTable table);

    void copyRowsToInitial(DacRowGroup& group);
    void commitRows(DacRowGroup& group);

    MonitorModel& model() const;
    int scanSet() const;

    // Enabling kept apart from the control's own enabled state, which belongs to the application mode: a
    // control is usable only when neither the mode nor a lock of this window disables it. Sliders and setting
    // buttons sit in a gate that carries the locks; other controls carry them on themselves.
    // Inactive: another window is active. Family: the monitor family does not offer it. Rule: a rule of the
    // window (firmware class, capability) disables it for now.
    // Held: the slider does not show the monitor's value (see Held).
    enum class Lock { Inactive = 1, Family = 2, Rule = 4, Held = 8 };
    void setLocked(QWidget* control, Lock reason, bool locked);
    bool isLocked(QWidget* control, Lock reason) const;
    // Every control of the walked rows of a group (caption, slider, value columns) under one lock.
    void setRowsLocked(DacRowGroup& group, Lock reason, bool locked);
    // Shows or hides a whole row; a hidden row's slider is never moved by the buttons.
    void setRowShown(DacRow* row, bool shown);

    // Layout in twips, through the window's font (layoutPixels).
    int twips(int value) const { return layoutPixels(value); }
    void place(QWidget* control, int left, int top, int width, int height);
    // Caption, slider and value boxes of a row at the given top, in the standard columns.
    void placeRow(DacRow* row, int top);
    // Height of the window's frame, never less than the shown controls need.
    void setWindowHeightTwips(int height) { fitFrame(height); }
    int windowHeightTwips() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Locks or frees a row by what it knows of the monitor's value, with the note that says why.
    void updateHeldLock(DacRowGroup& group, DacRow& row);
    // Nothing but the monitor's value keeps the row's slider from being adjusted.
    bool adjustableButForHeld(DacRow& row);
    QWidget* gate(QWidget* control);
    // Enter in a present box: the typed number moves the slider.
    void takeTypedValue(DacRowGroup& group, DacRow& row);
    QWidget* outer(QWidget* control) const;

    DacSendPolicy m_policy;
    QList<DacRowGroup*> m_groups;
    QList<QPushButton*> m_settingButtons;
    QLabel* m_scanSetLabel = nullptr;
    QHash<QWidget*, QWidget*> m_gates;
    QHash<QWidget*, int> m_locks;
};
