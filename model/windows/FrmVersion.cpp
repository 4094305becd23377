#include "model/windows/FrmVersion.h"

#include "model/MonitorModel.h"
#include "model/windows/WindowParts.h"
#include "protocol/Catalogue.h"
#include "ui/AppContext.h"
#include "ui/ToolVersion.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// What the version labels show until the monitor has answered.
const QString unreadVersion = QStringLiteral("V 2.0");

QString orUnread(const QString& version) {
    return version.isEmpty() ? unreadVersion : version;
}
} // namespace

FrmVersion::FrmVersion(AppContext& ctx) : ChildWindow(ctx, QStringLiteral("frmVersion"), QStringLiteral("Version")) {
    using namespace WindowParts;
    m_firmware =
        valueLabel(this, QStringLiteral("lblMonitorFirmwareVersionValue"), orUnread(ctx.model->firmwareVersion));
    m_eprom = valueLabel(this, QStringLiteral("lblMonitorEpromVersionValue"), orUnread(ctx.model->romVersion));
    auto* grid = new QGridLayout;
    grid->addWidget(label(this, QStringLiteral("lblFirmwareVersion"), QStringLiteral("Monitor Firmware Version:")), 0,
                    0);
    grid->addWidget(m_firmware, 0, 1);
    grid->addWidget(label(this, QStringLiteral("lblEpromVersion"), QStringLiteral("Monitor EPROM Version:")), 1, 0);
    grid->addWidget(m_eprom, 1, 1);
    grid->addWidget(label(this, QStringLiteral("lblToolVersion"), QStringLiteral("OrvexMon Version:")), 2, 0);
    grid->addWidget(valueLabel(this, QStringLiteral("lblToolVersionValue"), QStringLiteral("V ") + toolVersionText()),
                    2, 1);
    grid->setColumnStretch(1, 1);

    QPushButton* reRead = button(this, QStringLiteral("btnReRead"), QStringLiteral("ReRead"));
    connect(reRead, &QPushButton::clicked, this, &FrmVersion::reRead);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttonRow({reRead, dismissButton(this, QStringLiteral("btnOK"), QStringLiteral("OK"),
                                                       QStringLiteral("Dismiss This Window"))}));
}

void FrmVersion::onActivated() {
    fitFrame();
    reRead();
}

void FrmVersion::reRead() {
    m_ctx.send(Catalogue::readBootEpromVersion());
    m_ctx.send(Catalogue::readFirmwareVersion());
}

void FrmVersion::showFirmwareVersion(const QString& text) {
    m_firmware->setText(text);
}

void FrmVersion::showEpromVersion(const QString& text) {
    m_eprom->setText(text);
}
