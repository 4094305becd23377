#include "model/windows/FrmOperatingTime.h"

#include "ui/AppContext.h"
#include "model/MonitorModel.h"
#include "model/windows/WindowParts.h"
#include "protocol/Catalogue.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FrmOperatingTime::FrmOperatingTime(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmOperatingTime"), QStringLiteral("Operating Time")) {
    using namespace WindowParts;
    m_time = valueLabel(this, QStringLiteral("lblOperatingTimeValue"), ctx.model->operatingTime);
    m_cycles = valueLabel(this, QStringLiteral("lblOperatingCyclesValue"), ctx.model->operatingCycles);
    auto* grid = new QGridLayout;
    grid->addWidget(label(this, QStringLiteral("lblOperatingTimeLabel"), QStringLiteral("Operating Time:")), 0, 0);
    grid->addWidget(m_time, 0, 1);
    grid->addWidget(label(this, QStringLiteral("lblOperatingTimeUnitsLabel"), QStringLiteral("ddd:hh:mm:ss")), 0, 2);
    grid->addWidget(label(this, QStringLiteral("lblOperatingCyclsLabel"), QStringLiteral("On-Off Cycles:")), 1, 0);
    grid->addWidget(m_cycles, 1, 1);
    grid->setColumnStretch(1, 1);

    QPushButton* reRead = button(this, QStringLiteral("btnReRead"), QStringLiteral("ReRead"));
    connect(reRead, &QPushButton::clicked, this, &FrmOperatingTime::reRead);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttonRow({reRead, dismissButton(this, QStringLiteral("btnOK"), QStringLiteral("OK"))}));
}

void FrmOperatingTime::onActivated() {
    fitFrame();
    reRead();
}

void FrmOperatingTime::reRead() {
    m_ctx.send(Catalogue::readOperatingTime());
}

void FrmOperatingTime::showOperatingTime(const QString& timeText) {
    m_time->setText(timeText);
}

void FrmOperatingTime::showOperatingCycles(const QString& cyclesText) {
    m_cycles->setText(cyclesText);
}
