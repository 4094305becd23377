#pragma once
// The main window's status bar: always says where the user is, whatever the caption shows after a file action.
// Four fields, each a label with its own name so that tests find it: the connection state with the port's
// device, the monitor's model, serial number and firmware version once reported, the running job (Update All
// Data with its step and cycle, a write-back with its count, a download with its record) and the last link event.
#include <QObject>

class FileWriteBack;
class FrmMain;
class QLabel;
struct AppContext;

class MainStatusBar : public QObject {
    Q_OBJECT
public:
    MainStatusBar(AppContext& ctx, FrmMain* mainWindow, FileWriteBack* writeBack);

    // Shows the connection and the monitor again from the main window's state and the model.
    void refresh();

private:
    QLabel* addField(const QString& name, int stretch);
    QString connectionText() const;
    QString monitorText() const;
    void showJob(const QString& text);
    void showUpdateAllStep(int step, int cycle);

    AppContext& m_ctx;
    FrmMain* m_main;
    QLabel* m_connection;
    QLabel* m_monitor;
    QLabel* m_job;
    QLabel* m_linkEvent;
    // A write-back or a download shows instead of Update All Data while it runs.
    bool m_exclusiveJob = false;
    // The monitor stopped answering (or its port went away) and has not been found again.
    bool m_lost = false;
    // Why the port went away, while it is the reason of the loss.
    QString m_portLostWhy;
};
