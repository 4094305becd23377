#include "model/windows/WriteBackCommand.h"

#include "model/FileWriteBack.h"
#include "model/MonitorModel.h"
#include "model/UpdateAllData.h"
#include "model/windows/DataFileCommands.h"
#include "model/windows/FrmWriteBack.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "session/MonitorSession.h"
#include "ui/AppContext.h"
#include "ui/MainWindowHost.h"
#include "ui/WindowRegistry.h"

#include <QAction>

WriteBackCommand::WriteBackCommand(AppContext& ctx, MainWindowHost* mainWindow)
    : QObject(mainWindow->hostWidget()), m_ctx(ctx), m_main(mainWindow) {
    setObjectName(QStringLiteral("writeBackCommand"));
    FileWriteBack::LinkAccess link;
    link.send = [&ctx](const QString& request) { ctx.send(request); };
    link.idle = [&ctx] { return ctx.session && ctx.session->linkIdle(); };
    m_writeBack = new FileWriteBack(*ctx.model, *ctx.clock, link, this);
    m_writeBack->setConfirm([this](const QString& question) {
        return m_ctx.dialogs->message(m_main->hostWidget(), question, title(), Dialogs::YesNo, Dialogs::Question) ==
               Dialogs::AnswerYes;
    });
    connect(m_writeBack, &FileWriteBack::progress, this, [this](int done, int total) {
        FrmWriteBack* w = progressWindow();
        if (!w->isVisible())
            w->showInFront();
        w->setProgress(done, total);
    });
    connect(m_writeBack, &FileWriteBack::finished, this, &WriteBackCommand::finished);
    if (QAction* action = m_main->menuAction(QStringLiteral("mnuFileWriteToMonitor")))
        connect(action, &QAction::triggered, this, &WriteBackCommand::writeFileToMonitor);
}

FrmWriteBack* WriteBackCommand::progressWindow() {
    FrmWriteBack* w = m_ctx.windows->window<FrmWriteBack>();
    connect(w, &FrmWriteBack::cancelRequested, m_writeBack, &FileWriteBack::cancel, Qt::UniqueConnection);
    return w;
}

void WriteBackCommand::writeFileToMonitor() {
    if (m_writeBack->isRunning()) {
        progressWindow()->showInFront();
        return;
    }
    QWidget* parent = m_main->hostWidget();
    if (!m_ctx.model->monitorResponding) {
        m_ctx.dialogs->message(parent, noMonitorMessage(), title(), Dialogs::Ok, Dialogs::Warning);
        return;
    }
    Dialogs::FileRequest request;
    request.title = title();
    request.filter = DataFileCommands::dialogFilter(DataFileCommands::openFilterText());
    request.startDir =
        m_ctx.model->filePath.isEmpty() ? m_ctx.fileSaveInitDir : DataFileCommands::directoryOf(m_ctx.model->filePath);
    request.mustExist = true;
    request.overwritePrompt = false;
    const QString path = m_ctx.dialogs->openFile(parent, request);
    if (path.isEmpty())
        return;

    WriteBackFile file;
    const DataFileResult read = WriteBackFile::read(path, &file);
    if (!read.ok) {
        m_ctx.dialogs->message(parent, read.message, title(), Dialogs::Ok, Dialogs::Warning);
        return;
    }
    // The monitor may have gone while the user chose the file.
    if (!m_ctx.model->monitorResponding) {
        m_ctx.dialogs->message(parent, noMonitorMessage(), title(), Dialogs::Ok, Dialogs::Warning);
        return;
    }

    writeBack(file);
}

void WriteBackCommand::writeBack(const WriteBackFile& file) {
    if (m_writeBack->isRunning()) {
        progressWindow()->showInFront();
        return;
    }
    if (!m_ctx.model->monitorResponding) {
        m_ctx.dialogs->message(m_main->hostWidget(), noMonitorMessage(), title(), Dialogs::Ok, Dialogs::Warning);
        return;
    }
    UpdateAllData* updateAll = m_ctx.updateAll;
    m_updateAllWasRunning = updateAll && updateAll->timer()->isActive();
    if (updateAll)
        updateAll->timer()->stop();
    progressWindow()->begin(file.title);
    m_writeBack->start(file);
}

void WriteBackCommand::finished(const WriteBackSummary& summary) {
    if (FrmWriteBack* w = m_ctx.windows->existing<FrmWriteBack>())
        w->hideWindow();
    UpdateAllData* updateAll = m_ctx.updateAll;
    QWidget* parent = m_main->hostWidget();
    if (summary.declined) {
        if (updateAll && m_updateAllWasRunning)
            updateAll->timer()->start();
        if (!summary.stoppedBecause.isEmpty())
            m_ctx.dialogs->message(parent, summary.stoppedBecause, title(), Dialogs::Ok, Dialogs::Warning);
        return;
    }
    // Read everything again, so that the model and the windows hold what the monitor holds now.
    if (updateAll)
        updateAll->start();
    m_ctx.dialogs->message(parent, summary.text(), title(), Dialogs::Ok,
                           summary.stoppedBecause.isEmpty() ? Dialogs::Information : Dialogs::Warning);
}
