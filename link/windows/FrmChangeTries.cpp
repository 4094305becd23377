#include "link/windows/FrmChangeTries.h"

#include "link/ConnectionSearch.h"
#include "platform/Dialogs.h"
#include "ui/AppContext.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FrmChangeTries::FrmChangeTries(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmChangeTries"), QStringLiteral("Change Retry Limit")) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Retry Limit:"), this));
    m_txt = new QLineEdit(this);
    m_txt->setObjectName(QStringLiteral("txtConnectRetryLimit"));
    row->addWidget(m_txt);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &FrmChangeTries::accept);
    connect(m_txt, &QLineEdit::returnPressed, this, &FrmChangeTries::accept);
    connect(cancel, &QPushButton::clicked, this, &ChildWindow::hideWindow);
}

void FrmChangeTries::onActivated() { m_txt->setText(QString::number(m_ctx.search->connectRetryLimit)); }

void FrmChangeTries::accept() {
    bool ok = false;
    const int value = m_txt->text().trimmed().toInt(&ok);
    if (!ok || value < 1 || value > 32767) {
        m_ctx.dialogs->message(this, QStringLiteral("The retry limit must be a whole number from 1 to 32767."),
                               QStringLiteral("Change Retry Limit"), Dialogs::Ok, Dialogs::Warning);
        return;
    }
    m_ctx.search->connectRetryLimit = value;
    hideWindow();
}
