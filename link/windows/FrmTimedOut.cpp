#include "link/windows/FrmTimedOut.h"

#include "platform/Clock.h"
#include "ui/AppContext.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FrmTimedOut::FrmTimedOut(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmTimedOut"), QStringLiteral("Monitor Connection Timed Out")),
      m_timer1(ctx.clock->createTimer(this)) {
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    auto* label = new QLabel(QStringLiteral("The monitor is not responding. Make sure the monitor is connected and "
                                            "turned on, then try again."),
                             this);
    label->setObjectName(QStringLiteral("lblMessage"));
    label->setWordWrap(true);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setToolTip(QStringLiteral("Dismiss This Window"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label, 1);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        m_timer1->stop();
        hideWindow();
    });
    connect(m_timer1, &Timer::timeout, this, [this] {
        m_timer1->stop();
        hideWindow();
    });
}

void FrmTimedOut::onActivated() { m_timer1->start(selfCloseMs); }
