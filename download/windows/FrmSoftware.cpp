#include "download/windows/FrmSoftware.h"

#include "ui/AppContext.h"
#include "download/DownloadEngine.h"
#include "protocol/Catalogue.h"

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
    connect(loadFlash, &QPushButton::clicked, this, [engine] { engine->startFlash(); });
    connect(loadSram, &QPushButton::clicked, this, [engine] { engine->startSram(); });
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

void FrmSoftware::showFirmwareVersion(const QString& text) {
    m_lblFlashVersion->setText(text);
}
