#include "app/HelpViewer.h"

#include "platform/ProgramLauncher.h"
#include "ui/AppContext.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
const char* const kGuideResource = ":/help/orvexmon3.html";
}

// The guide is compiled into the window library; a static library's resources are registered by hand.
static void registerGuide() {
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(done)
}

// The guide as a file beside the program's folder: share/orvexmon/help both installed and in the build folder.
static QString installedGuide() {
    if (!QCoreApplication::instance())
        return QString();
    const QString path =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../" ORVEXMON_HELP_DIR "/orvexmon3.html");
    return QFile::exists(path) ? QDir::cleanPath(path) : QString();
}

QString HelpViewer::guidePath() {
    const QString installed = installedGuide();
    if (!installed.isEmpty())
        return installed;
    registerGuide();
    // A program moved away from its guide still has the copy compiled into it; the desktop viewer needs a file.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/orvexmon3.html");
    QFile source(QString::fromLatin1(kGuideResource));
    QFile target(path);
    if (source.open(QIODevice::ReadOnly)) {
        const QByteArray guide = source.readAll();
        bool current = false;
        if (target.open(QIODevice::ReadOnly)) {
            current = target.readAll() == guide;
            target.close();
        }
        if (!current && target.open(QIODevice::WriteOnly | QIODevice::Truncate))
            target.write(guide);
    }
    return path;
}

void HelpViewer::show(AppContext& ctx, QWidget* mainWindow) {
    const QString path = guidePath();
    if (ctx.launcher && QFile::exists(path) && ctx.launcher->openDocument(path))
        return;
    auto* window = mainWindow->findChild<QDialog*>(QStringLiteral("frmHelp"));
    if (!window) {
        window = new QDialog(mainWindow);
        window->setObjectName(QStringLiteral("frmHelp"));
        window->setWindowTitle(QStringLiteral("OrvexMon Help"));
        auto* browser = new QTextBrowser(window);
        browser->setObjectName(QStringLiteral("txtHelp"));
        const QString installed = installedGuide();
        browser->setSource(installed.isEmpty() ? QUrl(QStringLiteral("qrc") + QString::fromLatin1(kGuideResource))
                                               : QUrl::fromLocalFile(installed));
        auto* layout = new QVBoxLayout(window);
        layout->addWidget(browser);
        window->resize(640, 520);
    }
    window->show();
    window->raise();
}
