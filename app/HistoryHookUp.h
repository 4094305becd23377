#pragma once
// Each monitor's history in the windowed tool: the store (the settings' [History] Database, else the user's
// data folder), the recorder that the adjustment windows and Write File to Monitor tell of their changes, a new
// connection record with each connection to a monitor, the "History" window of the Monitor menu with its
// Restore through Write File to Monitor, and a database problem shown once in the status bar.
class FrmMain;
class QObject;
class WriteBackCommand;
struct AppContext;

void connectHistory(AppContext& ctx, FrmMain* mainWindow, WriteBackCommand* writeBack, QObject* owner);
