#include "download/windows/FrmSoftware.h"

#include "download/DownloadEngine.h"
#include "model/MonitorModel.h"
#include "platform/Dialogs.h"
#include "protocol/Catalogue.h"
#include "ui/AppContext.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QLabel* makeValueLabel(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}
} // namespace

FrmSoftware::FrmSoftware(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmSoftware"), QStringLiteral("Load Software")) {
    QPushButton* loadFlash = makeButton(this, "btnLoadFlash", QStringLiteral("Load New Firmware"));
    QPushButton* loadSram = makeButton(this, "btnLoadSRAM", QStringLiteral("Load SRAM File"));
    QPushButton* runSram = makeButton(this, "btnRunSRAM", QStringLiteral("Run SRAM Program"));
    QPushButton* reset = makeButton(this, "btnReset", QStringLiteral("Reset Software"));
    QPushButton* read = makeButton(this, "btnRead", QStringLiteral("Read"));
    QPushButton* enable = makeButton(this, "btnEnable", QStringLiteral("Enable AutoBoot"));
    QPushButton* disable = makeButton(this, "btnDisable", QStringLiteral("Disable AutoBoot"));
    QPushButton* done = makeButton(this, "btnDone", QStringLiteral("Done"));
    m_lblFlashVersion = makeValueLabel(this, "lblFlashVersion");
    m_lblSRAMFile = makeValueLabel(this, "lblSRAMFile");
    m_lblSRAMFile->setText(QStringLiteral("None"));
    m_ckV1BootMode = new QCheckBox(QStringLiteral("Set V1 Boot Mode"), this);
    m_ckV1BootMode->setObjectName(QStringLiteral("ckV1BootMode"));
    m_bootLogCheck = new QCheckBox(QStringLiteral("Log the whole download"), this);
    m_bootLogCheck->setObjectName(QStringLiteral("bootLogCheck"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(loadFlash, 0, 0);
    grid->addWidget(loadSram, 0, 1);
    grid->addWidget(runSram, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Firmware Version:"), this), 1, 0);
    grid->addWidget(m_lblFlashVersion, 1, 1);
    grid->addWidget(read, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("SRAM File Executed:"), this), 2, 0);
    grid->addWidget(m_lblSRAMFile, 2, 1, 1, 2);
    grid->addWidget(enable, 3, 0);
    grid->addWidget(disable, 3, 1);
    grid->addWidget(reset, 3, 2);
    grid->addWidget(m_ckV1BootMode, 4, 0);
    grid->addWidget(new QLabel(QStringLiteral("Logging Enabled"), this), 4, 1, Qt::AlignRight);
    grid->addWidget(m_bootLogCheck, 4, 2);
    grid->addWidget(done, 5, 2);

    DownloadEngine* engine = ctx.download;
    connect(loadFlash, &QPushButton::clicked, this, [this] { load(DownloadEngine::Kind::Flash); });
    connect(loadSram, &QPushButton::clicked, this, [this] { load(DownloadEngine::Kind::Sram); });
    // A download ends inside the handling of an answer or a timer: its box comes after that, so that the link and
    // the keep-alive go on while the box is open.
    connect(engine, &DownloadEngine::finished, this, [this, engine] {
        QMetaObject::invokeMethod(
            this, [this, verdict = engine->verdict()] { tellEnd(verdict); }, Qt::QueuedConnection);
    });
    connect(runSram, &QPushButton::clicked, this, [this] { m_ctx.send(Catalogue::runSram()); });
    connect(reset, &QPushButton::clicked, this, [this] { m_ctx.send(Catalogue::resetMonitor()); });
    connect(read, &QPushButton::clicked, this, [this] { m_ctx.send(Catalogue::readFirmwareVersion()); });
    connect(enable, &QPushButton::clicked, this, [this] { m_ctx.send(Catalogue::setAutoBoot(true)); });
    connect(disable, &QPushButton::clicked, this, [this] { m_ctx.send(Catalogue::setAutoBoot(false)); });
    connect(done, &QPushButton::clicked, this, &ChildWindow::hideWindow);
    connect(m_ckV1BootMode, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            emit v1BootModeChosen();
    });
    // The logging flag starts cleared with every run, whatever the engine was left with.
    engine->bootLogging = false;
    connect(m_bootLogCheck, &QCheckBox::toggled, this, [engine](bool on) { engine->bootLogging = on; });
}

void FrmSoftware::onActivated() {
    // The version the tool read on connecting is shown at once; "Read" asks the monitor again.
    const MonitorModel& m = *m_ctx.model;
    if (m_lblFlashVersion->text().isEmpty() && m.monitorResponding)
        m_lblFlashVersion->setText(m.bootMode ? QStringLiteral("in boot mode: Read asks the monitor")
                                              : m.firmwareVersion.trimmed());
}

void FrmSoftware::showFirmwareVersion(const QString& text) {
    m_lblFlashVersion->setText(text);
}

void FrmSoftware::load(DownloadEngine::Kind kind) {
    DownloadEngine* engine = m_ctx.download;
    if (engine->inProgress() && !abandonRunning())
        return;
    if (kind == DownloadEngine::Kind::Flash &&
        m_ctx.dialogs->message(window(), DownloadEngine::flashConfirmationText(),
                               DownloadEngine::flashConfirmationTitle(), Dialogs::OkCancel,
                               Dialogs::Warning) != Dialogs::AnswerOk)
        return;
    const QString path = chooseImage();
    if (path.isEmpty())
        return;
    // The running download goes only once the new one has its image.
    engine->abandon();
    engine->start(kind, path, objectName());
}

bool FrmSoftware::abandonRunning() {
    const DownloadEngine* engine = m_ctx.download;
    const QString where =
        engine->phase() == DownloadEngine::Phase::Sending
            ? QStringLiteral("at record %1 of %2").arg(engine->recordNumber).arg(engine->recordCount())
            : QStringLiteral("waiting for the monitor to get ready");
    return m_ctx.dialogs->message(
               window(), QStringLiteral("A download is running (%1).\nAbandon it and start a new one?").arg(where),
               QStringLiteral("Download Running"), Dialogs::YesNo, Dialogs::Question) == Dialogs::AnswerYes;
}

QString FrmSoftware::chooseImage() {
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Open");
    request.filter = QStringLiteral("Hex Files (*.hex);;Text Files (*.txt);;All Files (*)");
    request.startDir = m_ctx.download->codeInitDir;
    request.mustExist = true;
    return m_ctx.dialogs->openFile(window(), request);
}

void FrmSoftware::tellEnd(const DownloadEngine::Verdict& verdict) {
    if (verdict.text.isEmpty())
        return;
    const bool good = verdict.outcome == DownloadEngine::Outcome::Completed;
    m_ctx.dialogs->message(window(), verdict.text, verdict.title, Dialogs::Ok,
                           good ? Dialogs::Information : Dialogs::Warning);
}
