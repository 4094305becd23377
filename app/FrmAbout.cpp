#include "app/FrmAbout.h"

#include "app/FrmMain.h"
#include "platform/Dialogs.h"
#include "platform/ProgramLauncher.h"
#include "ui/AppContext.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FrmAbout::FrmAbout(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + FrmMain::applicationTitle());
    setModal(false);

    auto* title = new QLabel(FrmMain::applicationTitle(), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont f = title->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    title->setFont(f);
    auto* version = new QLabel(QStringLiteral("Version ") + FrmMain::versionText(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* description = new QLabel(descriptionText(), this);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* sysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    connect(sysInfo, &QPushButton::clicked, this, &FrmAbout::startSysInfo);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    buttons->addStretch();
    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(version);
    text->addSpacing(8);
    text->addWidget(description);
    text->addStretch();
    auto* row = new QHBoxLayout(this);
    row->addLayout(text, 1);
    row->addLayout(buttons);
    resize(480, 220);
}

QString FrmAbout::descriptionText() {
    return QStringLiteral("OrvexMon allows the initialization, ") + QStringLiteral("calibration, usage reporting, and user adjustment ") +
           QStringLiteral("of Kestrane monitors.") + QStringLiteral("\n\n") +
           QStringLiteral("Connect the monitor to any serial port at 9600,N,8,1.");
}

void FrmAbout::startSysInfo() {
    static const char* const programs[] = {"hardinfo2", "hardinfo", "kinfocenter", "lshw-gtk", "msinfo32"};
    if (m_ctx.launcher) {
        for (const char* name : programs) {
            const QString path = m_ctx.launcher->findProgram(QString::fromLatin1(name));
            if (!path.isEmpty() && m_ctx.launcher->startProgram(path, {}))
                return;
        }
    }
    m_ctx.dialogs->message(this, QStringLiteral("System Information Is Unavailable At This Time"),
                           QStringLiteral("System Info"), Dialogs::Ok);
}
