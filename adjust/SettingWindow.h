#pragma once
// The base of the small windows that send single settings to the monitor (backlight, heater and fan, video
// source, deflection and HV enable): controls built by name, each queuing its requests when the user chooses it,
// and a "Done" button that hides the window. The controls show the model's monitor states (StateView); nothing is
// sent merely by showing a window or a state, and nothing is queued while no monitor answers: a request left in
// the queue would reach whichever monitor is connected next.
#include "ui/ChildWindow.h"
#include "ui/StateView.h"

#include <QStringList>
#include <functional>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

class SettingWindow : public ChildWindow, public StateView {
    Q_OBJECT
public:
    SettingWindow(AppContext& ctx, const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    // Shows the window's states as the model holds them.
    void onActivated() override { showStates(); }

protected:
    // Queues the requests in order when a monitor responds; empty texts are skipped. False when nothing could go.
    bool sendToMonitor(const QStringList& requests) const;
    // The user's choice went to the monitor: record(model states) takes it into the model as set by the user, and
    // every window that shows those parts shows it.
    void takeChoice(MonitorStates::Parts parts, const std::function<void(MonitorStates&)>& record);

    // A frame of option buttons, added to the window's column.
    QGroupBox* addFrame(const QString& name, const QString& caption);
    // An option in a frame. The user's choice of it queues the requests and, once they went out, records the
    // choice (takeChoice). Showing a state selects options without either.
    QRadioButton* addOption(QGroupBox* frame, const QString& name, const QString& text, const QStringList& requests,
                            MonitorStates::Parts parts = {}, const std::function<void(MonitorStates&)>& record = {});
    // A caption, a text box and its "Set" button on one line of a grid; the button queues request(box text) and
    // records the text. An empty box sends nothing: there is no value to set.
    QLineEdit* addSetRow(QGridLayout* grid, const QString& caption, const QString& boxName, const QString& buttonName,
                         const std::function<QString(const QString&)>& request, MonitorStates::Parts parts,
                         const std::function<void(MonitorStates&, const QString&)>& record);
    // The note under the options that says why they show nothing selected.
    QLabel* addStateNote(const QString& text);
    QCheckBox* addCheckBox(const QString& name, const QString& text);
    QLabel* addNote(const QString& name, const QString& text);
    QPushButton* addButton(const QString& name, const QString& text);
    // "Done": hides the window. Ends the window's column.
    void addDoneButton();

    QVBoxLayout* column() const { return m_column; }

private:
    QVBoxLayout* m_column;
};
