#include "model/windows/FrmLimits.h"

#include "model/MonitorModel.h"
#include "model/windows/WindowParts.h"
#include "ui/AppContext.h"
#include "protocol/Catalogue.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString limitName(int k) {
    return QStringLiteral("lblLimit(%1)").arg(k);
}
} // namespace

FrmLimits::FrmLimits(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmLimits"), QStringLiteral("Brightness and Contrast Limits")) {
    using namespace WindowParts;
    auto* grid = new QGridLayout;
    grid->addWidget(label(this, QStringLiteral("Label1"), QStringLiteral("Lower Limit")), 0, 1, Qt::AlignCenter);
    grid->addWidget(label(this, QStringLiteral("Label2"), QStringLiteral("Upper Limit")), 0, 2, Qt::AlignCenter);
    const char* rowHeadings[] = {"Day Contrast", "Night Contrast", "Day Brightness", "Night Brightness"};
    for (int r = 0; r < 4; ++r) {
        grid->addWidget(label(this, QStringLiteral("Label3(%1)").arg(r), QString::fromLatin1(rowHeadings[r])), r + 1,
                        0);
        for (int c = 0; c < 2; ++c)
            grid->addWidget(valueLabel(this, limitName(2 * r + c)), r + 1, c + 1);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttonRow({dismissButton(this, QStringLiteral("btnDone"), QStringLiteral("Done"))}));
}

void FrmLimits::onActivated() {
    showStates();
    fitFrame();
    m_ctx.send(Catalogue::readPanelStatus());
}

void FrmLimits::showStates() {
    const Reported<std::array<int, MonitorStates::limitCount>>& limits = m_ctx.model->states.limits;
    for (int k = 0; k < MonitorStates::limitCount; ++k)
        if (auto* value = findChild<QLabel*>(limitName(k)))
            value->setText(limits.known() ? signedText(limits.value()[k]) : QStringLiteral("not reported"));
}
