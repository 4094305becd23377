#include "app/HistoryHookUp.h"

#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "history/ChangeRecorder.h"
#include "history/HistoryStore.h"
#include "history/ReportedCells.h"
#include "history/windows/FrmHistory.h"
#include "model/FileWriteBack.h"
#include "model/windows/WriteBackCommand.h"
#include "platform/SerialPort.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QStatusBar>
#include <memory>

void connectHistory(AppContext& ctx, FrmMain* mainWindow, WriteBackCommand* writeBack, QObject* owner) {
    auto* store = new HistoryStore(HistoryStore::configuredLocation(ctx.settings), QString(), owner);
    QObject::connect(store, &HistoryStore::problem, mainWindow,
                     [mainWindow](const QString& message) { mainWindow->statusBar()->showMessage(message); });
    auto* recorder = new ChangeRecorder(*store, *ctx.model, owner);
    auto* reported = new ReportedCells(*ctx.handlers, owner);
    recorder->setReported(reported->filter());
    ctx.recorder = recorder;
    // Only a monitor that answers is changed: demonstration mode records nothing.
    QObject::connect(mainWindow, &FrmMain::connectionStateChanged, recorder,
                     [recorder, reported, &ctx](ConnectionState s) {
                         recorder->newConnection();
                         reported->clear();
                         recorder->setActive(s == ConnectionState::Online);
                         recorder->setPort(ctx.port ? ctx.port->deviceName() : QString());
                     });
    recorder->setActive(false);

    // A Restore is a write-back from the History window; any other from the File menu.
    auto source = std::make_shared<QString>();
    recorder->watchWriteBack(*writeBack->sequencer(), [source] {
        return source->isEmpty() ? QStringLiteral("mnuFileWriteToMonitor") : *source;
    });
    QObject::connect(writeBack->sequencer(), &FileWriteBack::finished, recorder, [source] { source->clear(); });
    if (QAction* action = mainWindow->menus()->action(QStringLiteral("mnuMonitorHistory")))
        QObject::connect(action, &QAction::triggered, mainWindow,
                         [mainWindow] { mainWindow->windows()->show<FrmHistory>(); });
    QObject::connect(mainWindow->windows(), &WindowRegistry::windowCreated, mainWindow,
                     [writeBack, source](ChildWindow* w) {
                         if (auto* history = qobject_cast<FrmHistory*>(w))
                             QObject::connect(history, &FrmHistory::restoreRequested, writeBack,
                                              [writeBack, source, history](const WriteBackFile& file) {
                                                  *source = history->objectName();
                                                  writeBack->writeBack(file);
                                              });
                     });
}
