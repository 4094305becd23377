#include "model/windows/DataFileCommands.h"

#include "model/DataFile.h"
#include "model/MonitorModel.h"
#include "model/UpdateAllData.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Settings.h"
#include "protocol/Dispatcher.h"
#include "ui/AppContext.h"
#include "ui/MainWindowHost.h"

#include <QAction>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <functional>

namespace {

// The hourglass while a file is read or written; back to normal before any message is shown.
class BusyPointer {
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { restore(); }
    void restore() {
        if (m_on)
            QGuiApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

// The file state a failed Save As goes back to.
struct FileState {
    bool isOpen;
    int handle;
    QString path;
    QString title;
    bool forReading;
    bool changed;

    static FileState of(const MonitorModel& m) {
        return {m.FileIsOpen, m.DiskFileNum, m.filePath, m.fileTitle, m.fileOpenForReading, m.dataChanged};
    }
    void restore(MonitorModel& m) const {
        m.FileIsOpen = isOpen;
        m.DiskFileNum = handle;
        m.filePath = path;
        m.fileTitle = title;
        m.fileOpenForReading = forReading;
        m.dataChanged = changed;
    }
};

void connectAction(MainWindowHost* main, const char* name, QObject* receiver, std::function<void()> slot) {
    if (QAction* action = main->menuAction(QLatin1String(name)))
        QObject::connect(action, &QAction::triggered, receiver, [slot] { slot(); });
}

} // namespace

DataFileCommands::DataFileCommands(AppContext& ctx, MainWindowHost* mainWindow)
    : QObject(mainWindow->hostWidget()), m_ctx(ctx), m_main(mainWindow), m_dataFile(new DataFile(*ctx.model, this)),
      m_updateAll(new UpdateAllData(
          *ctx.model, *ctx.clock, [&ctx](const QString& request) { ctx.send(request); }, this)) {
    setObjectName(QStringLiteral("dataFileCommands"));
    m_updateAll->timer()->setObjectName(QStringLiteral("tmrSave"));
    m_dataFile->setDispatch([&ctx](const QString& answer) {
        if (ctx.dispatcher)
            ctx.dispatcher->dispatchAnswer(answer);
    });
    m_dataFile->setUpdateAllStarter([this] { m_updateAll->start(); });

    connectAction(m_main, "mnuMonitorUpdate", this, [this] { updateAllData(); });
    connect(m_updateAll, &UpdateAllData::runningChanged, this, [this](bool running) {
        if (QAction* item = m_main->menuAction(QStringLiteral("mnuMonitorUpdate")))
            item->setText(running ? stopUpdateCaption() : QStringLiteral("&Update All Data"));
    });
    connectAction(m_main, "mnuFileNew", this, [this] { newFile(); });
    connectAction(m_main, "mnuFileOpen", this, [this] { openFile(); });
    connectAction(m_main, "mnuFileSave", this, [this] { save(); });
    connectAction(m_main, "mnuFileSaveAs", this, [this] { saveAs(); });
    connectAction(m_main, "mnuFileClose", this, [this] { closeFile(); });
}

DataFileCommands::~DataFileCommands() = default;

QString DataFileCommands::openFilterText() {
    return QStringLiteral("Monitor Data Files(*.mdv)|") +
           QStringLiteral("*.mdv|Text Files(*.txt)|*.txt|All files(*.*)|*.*");
}

QString DataFileCommands::saveFilterText() {
    const QString ext = MonitorModel::dataFileExtension;
    return QStringLiteral("Monitor Data Files (*") + ext + QStringLiteral(")|*") + ext +
           QStringLiteral("|All Files (*.*)|*.*");
}

QString DataFileCommands::dialogFilter(const QString& pairs) {
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts.at(i);
        const QString& pattern = parts.at(i + 1);
        // The dialog takes its patterns from the parentheses; a description that shows them is used as it is.
        filters << (description.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')'))
                        ? description
                        : description + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

QString DataFileCommands::directoryOf(const QString& path) {
    const int slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.left(slash + 1);
}

void DataFileCommands::updateAllData() {
    // The same item stops a running cycle.
    if (m_updateAll->isRunning())
        m_updateAll->stop();
    else
        m_updateAll->start();
}

void DataFileCommands::report(const DataFileResult& result) {
    if (!result.ok)
        m_ctx.dialogs->message(m_main->hostWidget(), result.message, QString(), Dialogs::Ok, Dialogs::Warning);
}

bool DataFileCommands::write() {
    BusyPointer busy;
    const DataFileResult result = m_dataFile->writeMdf();
    busy.restore();
    report(result);
    return result.ok;
}

void DataFileCommands::read() {
    BusyPointer busy;
    const DataFileResult result = m_dataFile->readMdf();
    busy.restore();
    if (result.ok)
        return;
    // A file that is not a monitor data file has been closed again: the caption no longer names it.
    if (!m_ctx.model->FileIsOpen) {
        m_namedFile.clear();
        m_main->setTitle(QString());
    }
    report(result);
}

bool DataFileCommands::settleChanges() {
    MonitorModel& m = *m_ctx.model;
    if (!m.dataChanged)
        return true;
    switch (m_ctx.dialogs->message(m_main->hostWidget(), saveQuestion(), QString(), Dialogs::YesNoCancel,
                                   Dialogs::Question)) {
    case Dialogs::AnswerNo:
        return true;
    case Dialogs::AnswerYes:
        // With no file open there is nowhere to write: the changes are saved under a name the user chooses.
        if (!m.FileIsOpen)
            return save();
        return confirmAdjustmentValues() && write();
    default:
        return false;
    }
}

void DataFileCommands::openFile() {
    if (!settleChanges())
        return;
    MonitorModel& m = *m_ctx.model;
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Open");
    request.filter = dialogFilter(openFilterText());
    request.startDir = m.filePath.isEmpty() ? QString() : directoryOf(m.filePath);
    request.mustExist = true;
    request.overwritePrompt = false;
    const QString path = m_ctx.dialogs->openFile(m_main->hostWidget(), request);
    if (path.isEmpty())
        return;
    if (m.FileIsOpen)
        m_dataFile->close();
    m_dataFile->openForReading(path);
    m_namedFile = path;
    m_main->setTitle(m.fileTitle);
    read();
}

bool DataFileCommands::confirmAdjustmentValues() {
    const MonitorModel& m = *m_ctx.model;
    for (int i = 0; i < m.scanSetCount && i < MonitorModel::scanSetWindowRows; ++i)
        if (m.scanSetSavable(i))
            return true;
    // The warning points at "Scan Selection" only where the mode offers it.
    const QAction* select = m_main->menuAction(QStringLiteral("mnuConfigureSelectScanSet"));
    const QString warning = select && select->isEnabled() ? noScanSetWarning() : noScanSetWarningInThisMode();
    return m_ctx.dialogs->message(m_main->hostWidget(), warning, QString(), Dialogs::OkCancel, Dialogs::Warning) ==
           Dialogs::AnswerOk;
}

bool DataFileCommands::save() {
    if (m_namedFile.isEmpty())
        return saveAs();
    return confirmAdjustmentValues() && writeTo(m_namedFile);
}

bool DataFileCommands::saveAs() {
    if (!confirmAdjustmentValues())
        return false;
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Save As");
    request.filter = dialogFilter(saveFilterText());
    request.startDir = m_ctx.fileSaveInitDir;
    request.proposedName = QLatin1Char('*') + MonitorModel::dataFileExtension;
    request.overwritePrompt = true;
    const QString path = m_ctx.dialogs->saveFile(m_main->hostWidget(), request);
    if (path.isEmpty())
        return false;

    if (!writeTo(path))
        return false;
    m_ctx.fileSaveInitDir = directoryOf(path);
    m_ctx.settings->writeText(QStringLiteral("Configs"), QStringLiteral("FileSaveInitDir"), m_ctx.fileSaveInitDir);
    return true;
}

bool DataFileCommands::writeTo(const QString& path) {
    MonitorModel& m = *m_ctx.model;
    const FileState before = FileState::of(m);
    m_dataFile->openForWriting(path);
    if (!write()) {
        // The file named in the caption is still the one that holds the data.
        before.restore(m);
        return false;
    }
    m_namedFile = path;
    m_main->setTitle(m.fileTitle);
    return true;
}

void DataFileCommands::closeFile() {
    if (!settleChanges())
        return;
    if (m_ctx.model->FileIsOpen)
        m_dataFile->close();
    m_namedFile.clear();
    m_main->setTitle(QString());
}

void DataFileCommands::newFile() {
    closeFile();
}
