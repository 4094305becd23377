#pragma once
// The user guide: opened in the desktop's viewer, or in a help window of the tool when there is none.
#include <QString>

class QWidget;
struct AppContext;

namespace HelpViewer {
// Writes the guide beside the settings when needed and returns its path.
QString guidePath();
void show(AppContext& ctx, QWidget* mainWindow);
} // namespace HelpViewer
