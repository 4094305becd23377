#pragma once
// Each monitor's history in the windowed tool: the store (--database, else the settings' [History] Database,
// else the user's data folder), the recorder that guards the session's changes, each change named by the window
// it came from, the "History" window of the Monitor menu with its Restore through Write File to Monitor
// (offered where that is), and a database problem shown once in the status bar.
#include <QString>

class FrmMain;
class QObject;
class WriteBackCommand;
struct AppContext;

void connectHistory(AppContext& ctx, FrmMain* mainWindow, WriteBackCommand* writeBack, const QString& database,
                    QObject* owner);
