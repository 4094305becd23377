#include "download/windows/FrmBootBlock.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "ui/AppContext.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
const char* const captions[FrmBootBlock::rowCount] = {
    "Flag AA:",         "Flag 55:",         " Boot Unconditional ( if = 34 )  :",
    "Flash L Bound H:", "Flash L Bound L:", "Flash U Bound H:",
    "Flash U Bound L:", "Flash Checksum:",  "Abort AutoBoot:",
};
} // namespace

FrmBootBlock::FrmBootBlock(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmBootBlock"), QStringLiteral("Boot Block Contents")) {
    auto* grid = new QGridLayout;
    for (int i = 0; i < rowCount; ++i) {
        auto* caption = new QLabel(QString::fromLatin1(captions[i]), this);
        caption->setObjectName(QStringLiteral("lblBB(%1)").arg(i));
        m_values[i] = new QLabel(this);
        m_values[i]->setObjectName(QStringLiteral("lblValue(%1)").arg(i));
        grid->addWidget(caption, i, 0, Qt::AlignRight);
        grid->addWidget(m_values[i], i, 1);
    }
    auto* label1 = new QLabel(QStringLiteral("AutoBoot Is:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_lblAutoBoot = new QLabel(this);
    m_lblAutoBoot->setObjectName(QStringLiteral("lblAutoBoot"));
    grid->addWidget(label1, rowCount, 0, Qt::AlignRight);
    grid->addWidget(m_lblAutoBoot, rowCount, 1);

    auto* enable = new QPushButton(QStringLiteral("Enable AutoBoot"), this);
    enable->setObjectName(QStringLiteral("btnEnable"));
    auto* disable = new QPushButton(QStringLiteral("Disable AutoBoot"), this);
    disable->setObjectName(QStringLiteral("btnDisable"));
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("btnDone"));
    done->setToolTip(QStringLiteral("Dismiss This Window"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(enable);
    buttons->addWidget(disable);
    buttons->addWidget(done);
    auto* layout = new QGridLayout(this);
    layout->addLayout(grid, 0, 0);
    layout->addLayout(buttons, 1, 0);

    // Each switch is followed by a read, so that the window shows the state the monitor took.
    connect(enable, &QPushButton::clicked, this, [this] {
        m_ctx.send(Catalogue::setAutoBoot(true));
        m_ctx.send(Catalogue::readBootBlock());
    });
    connect(disable, &QPushButton::clicked, this, [this] {
        m_ctx.send(Catalogue::setAutoBoot(false));
        m_ctx.send(Catalogue::readBootBlock());
    });
    connect(done, &QPushButton::clicked, this, &ChildWindow::hideWindow);
    showStates();
}

void FrmBootBlock::onActivated() {
    showStates();
    m_ctx.send(Catalogue::readBootBlock());
}

void FrmBootBlock::showStates() {
    const MonitorStates& s = m_ctx.model->states;
    const QString none = QStringLiteral("not reported");
    for (int i = 0; i < rowCount; ++i)
        m_values[i]->setText(s.bootBlock.known() ? s.bootBlock.value().value(i, none) : none);
    m_lblAutoBoot->setText(s.autoBoot.known() ? s.autoBoot.value() : none);
}
