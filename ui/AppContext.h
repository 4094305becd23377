#pragma once
// What every window of the tool works with: the platform services, the monitor data model, the link and
// the dispatcher. One per process, owned by the Application.
#include <QString>

namespace Catalogue {
struct Setting;
}

class AppModes;
class Clock;
class ConnectionSearch;
class DataFile;
class Dialogs;
class DataReadHandlers;
class DownloadEngine;
class Dispatcher;
class Link;
class MonitorModel;
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
    PortMap* portMap = nullptr;
    SerialPort* port = nullptr;
    MonitorModel* model = nullptr;
    Link* link = nullptr;
    Dispatcher* dispatcher = nullptr;
    // Typed results of the data-read answers; windows connect to its signals.
    DataReadHandlers* handlers = nullptr;
    ConnectionSearch* search = nullptr;
    WindowPlacement* placement = nullptr;
    WindowRegistry* windows = nullptr;
    // The monitor data file and Update All Data of the main window (its File and Monitor menus).
    DataFile* dataFile = nullptr;
    UpdateAllData* updateAll = nullptr;
    AppModes* modes = nullptr;
    // The one download state of the process (Software and progress windows).
    DownloadEngine* download = nullptr;
    // Every reading of the diagnostics answers on this connection (the windows' plots).
    ReadingRecorder* readings = nullptr;

    // Serial port number 1-4 ("CommPort").
    int commPort = 1;
    QString fileSaveInitDir;
    QString codeInitDir;

    TransmitQueue* queue() const;
    // A catalogue command with CR LF appended, through the transmit queue.
    void send(const QString& command) const;
    // A slider's value setting with CR LF appended, through the transmit queue: a newer value of the same key
    // replaces one still waiting there.
    void sendSetting(const Catalogue::Setting& setting) const;
};
