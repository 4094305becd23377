#pragma once
// The main window's menu tree. Every item is an action named by its documented name (mnuFileOpen, ...).
#include <QHash>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;

class MainMenus {
public:
    // Builds the whole menu bar of the main window.
    explicit MainMenus(QMainWindow* mainWindow);

    QAction* action(const QString& name) const { return m_actions.value(name); }
    QMenu* menu(const QString& name) const { return m_menus.value(name); }
    const QHash<QString, QAction*>& actions() const { return m_actions; }
    const QHash<QString, QMenu*>& menus() const { return m_menus; }

private:
    QMenu* addMenu(QMenu* parent, const QString& name, const QString& caption);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption);

    QMainWindow* m_main;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
};
