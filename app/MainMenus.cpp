#include "app/MainMenus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

MainMenus::MainMenus(QMainWindow* mainWindow) : m_main(mainWindow) {
    QMenu* file = addMenu(nullptr, "mnuFile", "&File");
    addItem(file, "mnuFileExit", "E&xit");

    QMenu* monitor = addMenu(nullptr, "mnuMonitor", "&Monitor");
    addItem(monitor, "mnuMonitorOnline", "Go O&nline");
    addItem(monitor, "mnuMonitorOffline", "Go O&ffline");

    QMenu* window = addMenu(nullptr, "mnuWindow", "&Window");
    addItem(window, "mnuWindowCascade", "&Cascade");
    addItem(window, "mnuWindowTileHorizontal", "Tile &Horizontally");
    addItem(window, "mnuWindowTileVertical", "Tile &Verticlly");
    addItem(window, "mnuWindowArrangeIcons", "Arrange &Icons");

    QMenu* help = addMenu(nullptr, "mnuHelp", "&Help");
    addItem(help, "mnuHelpTopics", "&Kestrane Help Topics ...");
    addItem(help, "mnuHelpAbout", "&About OrvexMon");
}

QMenu* MainMenus::addMenu(QMenu* parent, const QString& name, const QString& caption) {
    QMenu* m = parent ? parent->addMenu(caption) : m_main->menuBar()->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    m_menus.insert(name, m);
    m_actions.insert(name, m->menuAction());
    return m;
}

QAction* MainMenus::addItem(QMenu* menu, const QString& name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    m_actions.insert(name, a);
    return a;
}
