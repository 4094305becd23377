#pragma once
// The main window's data-file commands ("&New", "&Open ...", "&Save", "S&ave As ...", "&Close") and "&Update
// All Data": owns
// the data file and the Update All Data sequencer (tmrSave) for the main window, asks the save question,
// shows every failure in a message box and the busy pointer while a file is read or written.
#include <QObject>
#include <QString>

class DataFile;
class MainWindowHost;
class UpdateAllData;
struct AppContext;
struct DataFileResult;

class DataFileCommands : public QObject {
    Q_OBJECT
public:
    // Connects to the main window's menu items by their names; the object belongs to the main window.
    DataFileCommands(AppContext& ctx, MainWindowHost* mainWindow);
    ~DataFileCommands() override;

    DataFile* dataFile() const { return m_dataFile; }
    UpdateAllData* updateAll() const { return m_updateAll; }

    static QString saveQuestion() { return QStringLiteral("The data has been changed. Do you wish to save changes?"); }
    // Shown before writing a file that would hold no adjustment values.
    static QString noScanSetWarning() {
        return QStringLiteral("No scan set is ticked in \"Scan Selection\" (Configure menu) with values "
                              "read from the monitor or loaded from a file, so the file will hold no adjustment "
                              "values. Tick the current scan set's Enable box and open its adjustment windows (or "
                              "Update All Data) to save its values.\n\nSave without adjustment values?");
    }
    // The same warning where the mode does not offer "Scan Selection" (Installation).
    static QString noScanSetWarningInThisMode() {
        return QStringLiteral("No scan set is ticked in \"Scan Selection\" with values read from the monitor or "
                              "loaded from a file, so the file will hold no adjustment values. Scan sets are ticked "
                              "under Configure, Scan Selection, which the Maintenance "
                              "and Factory modes offer (Configure, Application Mode).\n\nSave without "
                              "adjustment values?");
    }
    // Filters as description and pattern pairs separated by "|".
    static QString openFilterText();
    static QString saveFilterText();
    // The same filter in the file dialog's form: "Description (pattern);;...".
    static QString dialogFilter(const QString& pairs);
    // The directory part of a chosen file, up to and including its last separator.
    static QString directoryOf(const QString& path);

    // mnuMonitorUpdate: starts Update All Data, or stops it while it runs (the item then reads as below).
    void updateAllData();
    static QString stopUpdateCaption() { return QStringLiteral("&Stop Update All Data"); }
    // mnuFileNew: settles the changes and starts with no file, as Close does.
    void newFile();
    // mnuFileOpen.
    void openFile();
    // mnuFileSave: writes the file the caption names, or asks for a name as Save As does when there is none.
    // False when cancelled or not written.
    bool save();
    // mnuFileSaveAs. False when cancelled or not written.
    bool saveAs();
    // mnuFileClose.
    void closeFile();

private:
    // The save question when the data has changed; false when the command must not go on (Cancel, or the
    // changes could not be saved).
    bool settleChanges();
    // Whether to go on with a save: true when a scan set is ticked (its values are written), otherwise the
    // user's answer to the warning that the file will hold no adjustment values.
    bool confirmAdjustmentValues();
    // Writes the open file; a failure is shown.
    bool write();
    // Writes the model to path as the named file; on failure the file state goes back to what it was.
    bool writeTo(const QString& path);
    void read();
    void report(const DataFileResult& result);

    AppContext& m_ctx;
    MainWindowHost* m_main;
    DataFile* m_dataFile;
    UpdateAllData* m_updateAll;
    // The file the caption names (opened or saved last); empty for none.
    QString m_namedFile;
};
