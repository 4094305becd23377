#include "model/windows/FrmCapability.h"

#include "model/MonitorModel.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/FirmwareClass.h"
#include "ui/AppContext.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {
struct Row {
    const char* label;
    const char* caption;
    const char* indicator;
    bool MonitorModel::*flag;
};
const Row rows[] = {
    {"lblLVPS", "Low Voltage Power Supply", "btnLVPS", &MonitorModel::hasLowVoltageSupply},
    {"lblPwrDist", "Power Distribution", "btnPwrDist", &MonitorModel::hasPowerDistribution},
    {"lblVideo", "Video", "btnVideo", &MonitorModel::hasVideo},
    {"lblDeflection", "Deflection", "btnDeflection", &MonitorModel::hasDeflection},
    {"lblNS", "North - South Correction", "btnNS", &MonitorModel::hasNorthSouth},
    {"lblConvergence", "Convergence", "btnConvergence", &MonitorModel::hasConvergence},
    {"lblG2", "G2 Adjustment", "btnG2", &MonitorModel::hasG2Adjustment},
    {"lblExpLEDs", "Expansion LEDs", "btnExpLEDs", &MonitorModel::hasExpansionLeds},
};
} // namespace

FrmCapability::FrmCapability(AppContext& ctx, QWidget* parent)
    : ChildWindow(ctx, QStringLiteral("frmCapability"), QStringLiteral("Monitor Configuration"), parent) {
    auto* grid = new QGridLayout(this);
    int r = 0;
    for (const Row& row : rows) {
        auto* label = new QLabel(QString::fromLatin1(row.caption), this);
        label->setObjectName(QString::fromLatin1(row.label));
        auto* indicator = new QPushButton(this);
        indicator->setObjectName(QString::fromLatin1(row.indicator));
        indicator->setFixedSize(24, 16);
        indicator->setFocusPolicy(Qt::NoFocus);
        indicator->setAutoFillBackground(true);
        indicator->setFlat(true);
        grid->addWidget(indicator, r, 0);
        grid->addWidget(label, r, 1);
        m_indicators << indicator;
        ++r;
    }
    m_furtherCaption = new QLabel(QStringLiteral("Deflection"), this);
    m_furtherCaption->setObjectName(QStringLiteral("lblFurtherCaption"));
    grid->addWidget(m_furtherCaption, r++, 1);
    m_notReported = new QLabel(notReportedText(), this);
    m_notReported->setObjectName(QStringLiteral("lblNotReported"));
    m_notReported->setWordWrap(true);
    grid->addWidget(m_notReported, r++, 0, 1, 2);
    grid->setRowStretch(r++, 1);
    grid->setColumnStretch(1, 1);
    auto* refreshButton = new QPushButton(QStringLiteral("Refresh"), this);
    refreshButton->setObjectName(QStringLiteral("btnRefresh"));
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("btnDone"));
    grid->addWidget(refreshButton, r, 0, 1, 1);
    grid->addWidget(done, r, 1, 1, 1, Qt::AlignRight);
    connect(refreshButton, &QPushButton::clicked, this, &FrmCapability::refresh);
    connect(done, &QPushButton::clicked, this, &ChildWindow::hideWindow);
    applyFamilySetUp(ctx.model->firmwareClass);
    refresh();
}

void FrmCapability::onActivated() {
    refresh();
}

void FrmCapability::refresh() {
    const MonitorModel& m = *m_ctx.model;
    // The LED-backlight panels show their boards once they have answered the capability request their set-up asks.
    const bool shows =
        showsCapability(m.firmwareClass) || (DataReadHandlers::familyOf(m.firmwareClass) == 4 && m.capabilityReported);
    // A monitor that reports nothing gets words, not a wall of red for boards it may well carry.
    m_notReported->setVisible(!shows);
    for (int i = 0; i < m_indicators.size(); ++i) {
        QPalette p = m_indicators[i]->palette();
        p.setColor(QPalette::Button, !shows              ? palette().color(QPalette::Button)
                                     : m.*(rows[i].flag) ? reportedColour()
                                                         : notReportedColour());
        m_indicators[i]->setPalette(p);
    }
}

void FrmCapability::applyFamilySetUp(int firmwareClass) {
    const int family = DataReadHandlers::familyOf(firmwareClass);
    if (family == 1 || family == 2)
        m_furtherCaption->setText(QStringLiteral("Deflection"));
    else if (family == 3)
        m_furtherCaption->setText(FirmwareClass::hasColourBalancePanel(firmwareClass) ? QStringLiteral("LED Backlight")
                                                                                      : QStringLiteral("Deflection"));
}
