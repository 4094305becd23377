#pragma once
// Where the typed results of the answer handlers go: to the windows that show them, each created hidden when
// it does not exist yet, so that an answer sets its controls before the user opens it.
struct AppContext;
class QObject;

// Connects the handlers' results to the windows; the connections live as long as owner, the main window, whose
// menu items (found by their names) the capability answer enables.
void connectAnswerRoutes(AppContext& ctx, QObject* owner);
// Connects what the data-file reader loads (scan-set names, identity, operating time) to the windows that show it
// (once the data file exists).
void connectDataFileRoutes(AppContext& ctx, QObject* owner);
