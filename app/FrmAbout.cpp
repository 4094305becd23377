#include "app/FrmAbout.h"

#include "app/FrmMain.h"
#include "platform/Dialogs.h"
#include "platform/ProgramLauncher.h"
#include "platform/Settings.h"
#include "ui/AppContext.h"

#include <QClipboard>
#include <QDate>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
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
    auto* details = new QLabel(detailsText(), this);
    details->setObjectName(QStringLiteral("lblDetails"));
    details->setTextInteractionFlags(Qt::TextSelectableByMouse);
    details->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* sysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    auto* copy = new QPushButton(QStringLiteral("&Copy Details"), this);
    copy->setObjectName(QStringLiteral("cmdCopy"));
    copy->setToolTip(QStringLiteral("Copy the version, build and settings file for a fault report."));
    connect(sysInfo, &QPushButton::clicked, this, &FrmAbout::startSysInfo);
    connect(copy, &QPushButton::clicked, this, &FrmAbout::copyDetails);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    buttons->addWidget(copy);
    buttons->addStretch();
    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(version);
    text->addSpacing(8);
    text->addWidget(description);
    text->addSpacing(8);
    text->addWidget(details);
    text->addStretch();
    auto* row = new QHBoxLayout(this);
    row->addLayout(text, 1);
    row->addLayout(buttons);
    resize(560, 300);
}

QString FrmAbout::descriptionText() {
    return QStringLiteral("OrvexMon allows the initialization, ") + QStringLiteral("calibration, usage reporting, and user adjustment ") +
           QStringLiteral("of Kestrane monitors.") + QStringLiteral("\n\n") +
           QStringLiteral("Connect the monitor to any serial port at 9600,N,8,1.");
}

QString FrmAbout::detailsText() const {
    // The compiler's date reads "Dec  7 2026".
    const QDate built = QLocale::c().toDate(QStringLiteral(__DATE__).simplified(), QStringLiteral("MMM d yyyy"));
    return QStringLiteral("Version %1\nQt %2\nBuilt %3\nSettings file %4")
        .arg(FrmMain::versionText(), QString::fromLatin1(qVersion()), built.toString(Qt::ISODate),
             m_ctx.settings ? m_ctx.settings->fileName() : QString());
}

void FrmAbout::copyDetails() {
    QGuiApplication::clipboard()->setText(detailsText());
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
