#pragma once
// What every window of the tool works with: the platform services, the monitor session and the parts of it a
// window needs (the model, the link, the handlers' signals...), and the main window's shared objects. One per
// process, owned by the Application; the core parts all come from the one session (attachSession).
#include <QString>

namespace Catalogue {
struct Setting;
}

class AppModes;
class ChangeRecorder;
class Clock;
class ConnectionSearch;
class DataFile;
class Dialogs;
class DataReadHandlers;
class DownloadEngine;
class Dispatcher;
class Link;
class MonitorModel;
class MonitorSession;
class PortMap;
class ReadingRecorder;
class SerialPort;
class Settings;
class Tone;
class TransmitQueue;
class UpdateAllData;
class WindowPlacement;
class WindowRegistry;
class ProgramLauncher;

struct AppContext {
    Settings* settings = nullptr;
    Clock* clock = nullptr;
    Tone* tone = nullptr;
    Dialogs* dialogs = nullptr;
    ProgramLauncher* launcher = nullptr;
    MonitorSession* session = nullptr;
    // Parts of the session, for the windows that need only one of them.
    PortMap* portMap = nullptr;
    SerialPort* port = nullptr;
    MonitorModel* model = nullptr;
    Link* link = nullptr;
    Dispatcher* dispatcher = nullptr;
    // Typed results of the data-read answers; windows connect to its signals.
    DataReadHandlers* handlers = nullptr;
    ConnectionSearch* search = nullptr;
    // The one download state of the process (Software and progress windows).
    DownloadEngine* download = nullptr;
    WindowPlacement* placement = nullptr;
    WindowRegistry* windows = nullptr;
    // The monitor data file and Update All Data of the main window (its File and Monitor menus).
    DataFile* dataFile = nullptr;
    UpdateAllData* updateAll = nullptr;
    AppModes* modes = nullptr;
    // Told of every change just before it is sent, for the monitor's history; none in tests that need none.
    ChangeRecorder* recorder = nullptr;
    // Every reading of the diagnostics answers on this connection (the windows' plots).
    ReadingRecorder* readings = nullptr;

    // Serial port number 1-4 ("CommPort").
    int commPort = 1;
    QString fileSaveInitDir;
    QString codeInitDir;

    // Takes the core parts from the session.
    void attachSession(MonitorSession* s);
    TransmitQueue* queue() const;
    // A catalogue command through the session's queue (it adds the line end).
    void send(const QString& command) const;
    // A slider's value setting through the session's queue: a newer value of the same key replaces one still
    // waiting there.
    void sendSetting(const Catalogue::Setting& setting) const;
};
