#include "platform/gui/DesktopLauncher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

bool DesktopLauncher::startProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

bool DesktopLauncher::openDocument(const QString& path) {
#ifdef Q_OS_UNIX
    // Without a desktop session there is no viewer to show the document.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return false;
#endif
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString DesktopLauncher::findProgram(const QString& name) { return QStandardPaths::findExecutable(name); }
