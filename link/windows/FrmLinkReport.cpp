#include "link/windows/FrmLinkReport.h"

#include "link/Link.h"
#include "model/MonitorModel.h"
#include "model/windows/WindowParts.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/FileReplace.h"
#include "platform/SerialPort.h"
#include "platform/Settings.h"
#include "ui/AppContext.h"
#include "ui/ToolVersion.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kSaveTitle = QStringLiteral("Save Diagnostic Report");
} // namespace

FrmLinkReport::FrmLinkReport(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmLinkReport"), QStringLiteral("Link Report")),
      m_refresh(ctx.clock->createTimer(this)) {
    using namespace WindowParts;
    auto* grid = new QGridLayout;
    int r = 0;
    for (const DiagnosticReport::StatisticRow& row : DiagnosticReport::statisticsRows(ctx.link->statistics())) {
        grid->addWidget(label(this, QStringLiteral("lbl") + row.key, row.caption + QLatin1Char(':')), r, 0);
        QLabel* value = valueLabel(this, QStringLiteral("lbl") + row.key + QStringLiteral("Value"), row.value);
        grid->addWidget(value, r, 1);
        m_values.insert(row.key, value);
        ++r;
    }
    grid->setColumnStretch(1, 1);
    m_saved = label(this, QStringLiteral("lblSaved"), QString());
    m_saved->setWordWrap(true);
    m_saved->setTextInteractionFlags(Qt::TextSelectableByMouse);

    QPushButton* save = button(this, QStringLiteral("btnSaveReport"), QStringLiteral("Save Diagnostic Report ..."),
                               QStringLiteral("Save a report to send with a fault description"));
    connect(save, &QPushButton::clicked, this, &FrmLinkReport::saveReport);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_saved);
    layout->addStretch(1);
    layout->addLayout(buttonRow({save, dismissButton(this, QStringLiteral("btnDone"), QStringLiteral("Done"),
                                                     QStringLiteral("Close Window"))}));

    m_refresh->setObjectName(QStringLiteral("tmrRefresh"));
    // The numbers follow the link while the window is shown, also while the user works in another window.
    connect(m_refresh, &Timer::timeout, this, [this] {
        if (isVisible())
            refresh();
        else
            m_refresh->stop();
    });
}

void FrmLinkReport::onActivated() {
    fitFrame();
    refresh();
    m_refresh->start(refreshMs);
}

void FrmLinkReport::refresh() {
    for (const DiagnosticReport::StatisticRow& row : DiagnosticReport::statisticsRows(m_ctx.link->statistics()))
        if (QLabel* value = m_values.value(row.key))
            value->setText(row.value);
}

QString FrmLinkReport::reportText() const {
    const Link* link = m_ctx.link;
    DiagnosticReport::Input in;
    in.toolVersion = toolVersionText();
    in.createdAt = QDateTime::currentDateTime();
    in.model = m_ctx.model;
    in.statistics = &link->statistics();
    in.port.number = link->portNumber() > 0 ? link->portNumber() : m_ctx.commPort;
    in.port.device = m_ctx.port->deviceName();
    in.port.lineSettings = link->lineSettings();
    in.port.open = m_ctx.port->isOpen();
    if (m_ctx.settings)
        in.settings = m_ctx.settings->entries();
    in.logLines = link->history().lines();
    in.droppedLogLines = link->history().droppedLines();
    return DiagnosticReport::text(in);
}

bool FrmLinkReport::saveReport() {
    Dialogs::FileRequest request;
    request.title = kSaveTitle;
    request.filter = QStringLiteral("Text Files (*.txt);;All files (*)");
    request.startDir = QDir::currentPath();
    request.proposedName = DiagnosticReport::fileName(m_ctx.model->serialNumber, QDate::currentDate());
    const QString path = m_ctx.dialogs->saveFile(this, request);
    if (path.isEmpty())
        return false;
    const FileReplaceResult result = replaceFileContents(path, reportText().toUtf8());
    if (!result.ok) {
        QString text = QStringLiteral("The diagnostic report could not be written to ") +
                       QDir::toNativeSeparators(path) + QStringLiteral(":\n") + result.error;
        if (!result.previousIntact)
            text += QStringLiteral("\nThe file that was there before is damaged.");
        m_saved->clear();
        m_ctx.dialogs->message(this, text, kSaveTitle, Dialogs::Ok, Dialogs::Critical);
        return false;
    }
    m_saved->setText(QStringLiteral("Saved to ") + QDir::toNativeSeparators(path));
    return true;
}
