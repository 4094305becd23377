#pragma once
// The main window's menu tree. Every menu and item is an action named by its documented name (mnuFileOpen, ...);
// a menu's action is its QMenu's menuAction, so disabling it disables the whole menu.
#include <QHash>
#include <QList>
#include <QString>
#include <initializer_list>

class QAction;
class QMainWindow;
class QMenu;

class MainMenus {
public:
    // One row of the tree: a top-level menu when parent is null, otherwise an item of the menu named parent.
    struct Entry {
        const char* parent;
        const char* name;
        const char* caption;
    };
    // The whole tree in menu-bar order.
    static const QList<Entry>& tree();

    // Builds the whole menu bar of the main window from tree().
    explicit MainMenus(QMainWindow* mainWindow);

    QAction* action(const QString& name) const { return m_actions.value(name); }
    QMenu* menu(const QString& name) const { return m_menus.value(name); }
    const QHash<QString, QAction*>& actions() const { return m_actions; }
    const QHash<QString, QMenu*>& menus() const { return m_menus; }

    // Enables or disables the named items and menus; unknown names are ignored.
    void setEnabled(std::initializer_list<const char*> names, bool on);
    void setAllEnabled(bool on);

private:
    QMenu* addMenu(const QString& name, const QString& caption);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption);

    QMainWindow* m_main;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
};
