#include "app/FrmPassword.h"

#include "app/AppModes.h"
#include "app/FrmAppMode.h"
#include "platform/Dialogs.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FrmPassword::FrmPassword(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmPassword"), QStringLiteral("Enter Password")) {
    setHideOnClose(true);
    auto* label = new QLabel(QStringLiteral("Enter Password:"), this);
    label->setObjectName(QStringLiteral("lblPassword"));
    m_txtPassword = new QLineEdit(this);
    m_txtPassword->setObjectName(QStringLiteral("txtPassword"));
    m_txtPassword->setEchoMode(QLineEdit::Password);
    // Each typed character shows as "*", whatever the style's own mask character is.
    m_txtPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    label->setBuddy(m_txtPassword);

    auto* btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    auto* btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_txtPassword);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &FrmPassword::ok);
    // Enter is the default button's.
    connect(m_txtPassword, &QLineEdit::returnPressed, this, &FrmPassword::ok);
    connect(btnCancel, &QPushButton::clicked, this, &ChildWindow::hideWindow);
}

QString FrmPassword::wrongPasswordText() {
    return QStringLiteral("Incorrect Password. Try again, or Cancel, then Select Installation Mode.");
}

void FrmPassword::prepare() {
    m_txtPassword->clear();
    m_txtPassword->setFocus();
}

void FrmPassword::ok() {
    switch (m_ctx.modes->enterPassword(m_txtPassword->text())) {
    case AppModes::PasswordResult::Accepted:
        m_txtPassword->clear();
        if (FrmAppMode* modeWindow = m_ctx.windows->existing<FrmAppMode>())
            modeWindow->hideWindow();
        hideWindow();
        break;
    case AppModes::PasswordResult::NotExpected:
        hideWindow();
        break;
    case AppModes::PasswordResult::Wrong:
        m_ctx.dialogs->message(this, wrongPasswordText());
        m_txtPassword->clear();
        m_txtPassword->setFocus();
        break;
    }
}
