#include "app/HistoryHookUp.h"

#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "history/ChangeRecorder.h"
#include "history/HistoryStore.h"
#include "history/windows/FrmHistory.h"
#include "model/FileWriteBack.h"
#include "model/windows/WriteBackCommand.h"
#include "session/MonitorSession.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <memory>

void connectHistory(AppContext& ctx, FrmMain* mainWindow, WriteBackCommand* writeBack, const QString& database,
                    QObject* owner) {
    auto* store = new HistoryStore(HistoryStore::configuredLocation(ctx.settings, database), QString(), owner);
    QObject::connect(store, &HistoryStore::problem, mainWindow,
                     [mainWindow](const QString& message) { mainWindow->statusBar()->showMessage(message); });
    // A change comes from the window the user works in; the main window's own commands name themselves.
    ctx.session->setChangeSource([mainWindow] {
        const QMdiSubWindow* active = mainWindow->mdiArea()->activeSubWindow();
        return active && active->widget() ? active->widget()->objectName() : mainWindow->objectName();
    });
    auto* recorder = new ChangeRecorder(*store, *ctx.session, owner);
    ctx.recorder = recorder;

    // A Restore is a write-back from the History window; any other from the File menu.
    auto source = std::make_shared<QString>();
    recorder->watchWriteBack(*writeBack->sequencer(), [source] {
        return source->isEmpty() ? QStringLiteral("mnuFileWriteToMonitor") : *source;
    });
    QObject::connect(writeBack->sequencer(), &FileWriteBack::finished, recorder, [source] { source->clear(); });
    if (QAction* action = mainWindow->menus()->action(QStringLiteral("mnuMonitorHistory")))
        QObject::connect(action, &QAction::triggered, mainWindow,
                         [mainWindow] { mainWindow->windows()->show<FrmHistory>(); });
    QAction* writeToMonitor = mainWindow->menus()->action(QStringLiteral("mnuFileWriteToMonitor"));
    QObject::connect(mainWindow->windows(), &WindowRegistry::windowCreated, mainWindow,
                     [writeBack, source, writeToMonitor](ChildWindow* w) {
                         auto* history = qobject_cast<FrmHistory*>(w);
                         if (!history)
                             return;
                         QObject::connect(history, &FrmHistory::restoreRequested, writeBack,
                                          [writeBack, source, history](const WriteBackFile& file) {
                                              *source = history->objectName();
                                              writeBack->writeBack(file);
                                          });
                         // Restore is a Write File to Monitor: offered in the same modes and states.
                         if (!writeToMonitor)
                             return;
                         history->setRestoreOffered(writeToMonitor->isEnabled());
                         QObject::connect(writeToMonitor, &QAction::changed, history, [history, writeToMonitor] {
                             history->setRestoreOffered(writeToMonitor->isEnabled());
                         });
                     });
}
