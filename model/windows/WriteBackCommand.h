#pragma once
// The main window's "&Write File to Monitor ...": asks for a data file, reads it without touching the tool's
// own model, writes its adjustment values to the monitor through the write-back sequencer with the progress
// window, and sums up in a message box. Update All Data pauses while the file is written (its reads would land
// in whatever scan set the write has selected) and starts again afterwards, so that the windows show what the
// monitor now holds.
#include <QObject>

class FileWriteBack;
class FrmWriteBack;
class MainWindowHost;
struct AppContext;
struct WriteBackFile;
struct WriteBackSummary;

class WriteBackCommand : public QObject {
    Q_OBJECT
public:
    WriteBackCommand(AppContext& ctx, MainWindowHost* mainWindow);

    static QString title() { return QStringLiteral("Write File to Monitor"); }
    static QString noMonitorMessage() {
        return QStringLiteral("No monitor is online: a data file can only be written to a connected monitor.");
    }

    FileWriteBack* sequencer() const { return m_writeBack; }
    // mnuFileWriteToMonitor.
    void writeFileToMonitor();
    // Writes these values (a file's or a snapshot's) with the same checks, question, progress and summary.
    void writeBack(const WriteBackFile& file);

private:
    FrmWriteBack* progressWindow();
    void finished(const WriteBackSummary& summary);

    AppContext& m_ctx;
    MainWindowHost* m_main;
    FileWriteBack* m_writeBack;
    bool m_updateAllWasRunning = false;
};
