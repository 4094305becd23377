#pragma once
// The base of the small windows that send single settings to the monitor (backlight, heater and fan, video
// source, deflection and HV enable): controls built by name, each queuing its requests when the user chooses it,
// and a "Done" button that hides the window. Nothing is sent merely by showing a window, and nothing is queued
// while no monitor answers: a request left in the queue would reach whichever monitor is connected next.
#include "ui/ChildWindow.h"

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

class SettingWindow : public ChildWindow {
    Q_OBJECT
public:
    SettingWindow(AppContext& ctx, const QString& objectName, const QString& caption, QWidget* parent = nullptr);

protected:
    // Queues the requests in order when a monitor responds; empty texts are skipped.
    void sendToMonitor(const QStringList& requests) const;

    // A frame of option buttons, added to the window's column.
    QGroupBox* addFrame(const QString& name, const QString& caption);
    // An option in a frame. Choosing it queues the requests, unless an answer is selecting it
    // (suppressControlEvents): showing the monitor's state never sends it back.
    QRadioButton* addOption(QGroupBox* frame, const QString& name, const QString& text, const QStringList& requests);
    // A caption, a text box and its "Set" button on one line of a grid; the button queues request(box text).
    QLineEdit* addSetRow(QGridLayout* grid, const QString& caption, const QString& boxName, const QString& buttonName,
                         const std::function<QString(const QString&)>& request);
    QCheckBox* addCheckBox(const QString& name, const QString& text);
    QLabel* addNote(const QString& name, const QString& text);
    QPushButton* addButton(const QString& name, const QString& text);
    // "Done": hides the window. Ends the window's column.
    void addDoneButton();

    QVBoxLayout* column() const { return m_column; }

private:
    QVBoxLayout* m_column;
};
