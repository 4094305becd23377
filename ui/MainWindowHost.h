#pragma once
// What the main window offers to the pieces beneath it that work with its menus and caption, so that they
// need not know the main window itself (which knows every window).
#include <QString>

class QAction;
class QWidget;

class MainWindowHost {
public:
    virtual ~MainWindowHost() = default;
    // The main window as the parent of message boxes and file dialogs.
    virtual QWidget* hostWidget() = 0;
    // A menu item by its name, or null.
    virtual QAction* menuAction(const QString& name) const = 0;
    // The caption: the title, " -- " and the text, or the title and " -- (No File)" for an empty text.
    virtual void setTitle(const QString& text) = 0;
};
