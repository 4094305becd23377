#pragma once
// The user guide: opened in the desktop's viewer, or in a help window of the tool when there is none.
#include <QString>

class QWidget;
struct AppContext;

namespace HelpViewer {
// The guide installed with the program (or in the build folder), else a copy written beside the settings.
QString guidePath();
void show(AppContext& ctx, QWidget* mainWindow);
} // namespace HelpViewer
