#include "app/FrmAppMode.h"

#include "app/AppModes.h"
#include "app/FrmPassword.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

FrmAppMode::FrmAppMode(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmAppMode"), QStringLiteral("Select Application Mode")) {
    setHideOnClose(true);

    auto* frame = new QGroupBox(QStringLiteral("Mode"), this);
    frame->setObjectName(QStringLiteral("frameMode"));
    auto* grid = new QGridLayout(frame);
    auto choice = [this, frame, grid](int row, const char* optName, const char* lblName, const QString& caption,
                                      const QString& optTip, const QString& lblTip, QRadioButton** opt, QLabel** lbl) {
        *opt = new QRadioButton(frame);
        (*opt)->setObjectName(QString::fromLatin1(optName));
        (*opt)->setToolTip(optTip);
        *lbl = new QLabel(caption, frame);
        (*lbl)->setObjectName(QString::fromLatin1(lblName));
        (*lbl)->setToolTip(lblTip);
        (*lbl)->installEventFilter(this);
        grid->addWidget(*opt, row, 0);
        grid->addWidget(*lbl, row, 1);
    };
    choice(0, "optUser", "lblUser", QStringLiteral("Installation"),
           QStringLiteral("Select Installation Mode, allows normal adjustments."),
           QStringLiteral("Select Installation Mode"), &m_optUser, &m_lblUser);
    choice(1, "optService", "lblService", QStringLiteral("Maintenance*"),
           QStringLiteral("Maintenance mode allows timing setups"), QStringLiteral("Select Maintenance Mode"),
           &m_optService, &m_lblService);
    choice(2, "optFactory", "lblFactory", QStringLiteral("Factory*"), QStringLiteral("Configure ALL parameters"),
           QStringLiteral("Select Factory Mode"), &m_optFactory, &m_lblFactory);
    grid->setColumnStretch(1, 1);

    auto* explain = new QLabel(QStringLiteral("* = Password Required"), this);
    explain->setObjectName(QStringLiteral("lblExplain"));
    auto* btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setToolTip(QStringLiteral("Enter the selection."));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(explain, 1);
    bottom->addWidget(btnOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(bottom);

    connect(btnOK, &QPushButton::clicked, this, &FrmAppMode::ok);
    // The two modes behind a password go on at once; Installation waits for "OK".
    connect(m_optService, &QRadioButton::clicked, this, &FrmAppMode::ok);
    connect(m_optFactory, &QRadioButton::clicked, this, &FrmAppMode::ok);
}

void FrmAppMode::onActivated() {
    const int mode = m_ctx.modes->appMode();
    // Auto-exclusive buttons cannot all be cleared; an invalid mode selects none.
    for (QRadioButton* opt : {m_optUser, m_optService, m_optFactory}) {
        opt->setAutoExclusive(false);
        opt->setChecked(false);
    }
    m_optUser->setChecked(mode == AppModes::User);
    m_optService->setChecked(mode == AppModes::Service);
    m_optFactory->setChecked(mode == AppModes::Factory);
    for (QRadioButton* opt : {m_optUser, m_optService, m_optFactory})
        opt->setAutoExclusive(true);
}

bool FrmAppMode::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == m_lblUser) {
            m_optUser->setChecked(true);
            return true;
        }
        if (watched == m_lblService || watched == m_lblFactory) {
            (watched == m_lblService ? m_optService : m_optFactory)->setChecked(true);
            ok();
            return true;
        }
    }
    return ChildWindow::eventFilter(watched, event);
}

void FrmAppMode::ok() {
    AppModes* modes = m_ctx.modes;
    if (m_optUser->isChecked()) {
        modes->setUserMode();
        hideWindow();
        return;
    }
    QByteArray expected;
    if (m_optService->isChecked() && modes->appMode() != AppModes::Service)
        expected = AppModes::servicePasswordHash();
    else if (m_optFactory->isChecked() && modes->appMode() != AppModes::Factory)
        expected = AppModes::factoryPasswordHash();
    if (expected.isEmpty())
        return;
    modes->setExpectedPassword(expected);
    FrmPassword* password = m_ctx.windows->window<FrmPassword>();
    password->prepare();
    password->showInFront();
}
