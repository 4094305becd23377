#pragma once
// The tool on the fake port, in factory mode, connected to a scripted monitor of a firmware version: what the
// window tests of the adjustment and setting windows start from. Windows are reached through the menus.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "support/ScriptedMonitor.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <memory>

struct OnlineTool {
    ToolHarness h{ToolHarness::Port::Fake, QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n")};
    std::unique_ptr<ScriptedMonitor> monitor;

    // replies are in place before the tool asks anything (the family set-up's capability read included).
    explicit OnlineTool(const QString& version, const QHash<QString, QStringList>& replies = {}) {
        h.start();
        monitor = std::make_unique<ScriptedMonitor>(h);
        monitor->replies = replies;
        if (!monitor->goOnline(version))
            qFatal("the tool did not come online");
    }
    // Chooses a menu item as the user does; false when the monitor's family does not offer it or its menu.
    bool choose(const QString& item) {
        MainMenus* menus = h.app().mainWindow()->menus();
        QAction* a = menus->action(item);
        for (const MainMenus::Entry& e : MainMenus::tree())
            if (item == QLatin1String(e.name) && e.parent && !menus->action(QLatin1String(e.parent))->isEnabled())
                return false;
        if (!a || !a->isEnabled())
            return false;
        a->trigger();
        return true;
    }
    ChildWindow* window(const QString& name) { return h.ctx().windows->find(name); }
    template <class T> T* get(const QString& windowName, const QString& name) {
        ChildWindow* w = window(windowName);
        T* c = w ? w->findChild<T*>(name) : nullptr;
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    // Lines written since the last call, after the link has drained its queue.
    QString sent() { return monitor->sent(); }
};
