#include "app/AppModes.h"

#include "app/MainMenus.h"
#include "platform/Dialogs.h"
#include "ui/ChildWindow.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCryptographicHash>

namespace {
// Element first..last of a control array.
void addArray(QList<AppModes::ControlRule>& rules, const QString& window, const QString& control, int first, int last,
              int minMode) {
    for (int i = first; i <= last; ++i)
        rules.append({window, QStringLiteral("%1(%2)").arg(control).arg(i), minMode});
}

QString trimSpaces(const QString& text) {
    int begin = 0;
    int end = int(text.size());
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}
} // namespace

const QList<AppModes::MenuRule>& AppModes::menuRules() {
    static const QList<MenuRule> rules = {
        {QStringLiteral("mnuFileNew"), User},
        {QStringLiteral("mnuFileOpen"), User},
        {QStringLiteral("mnuFileSave"), User},
        {QStringLiteral("mnuFileClose"), User},
        {QStringLiteral("mnuConfigureVideoMode"), Service},
        {QStringLiteral("mnuConfigureModelAndSerialNumber"), Factory},
        {QStringLiteral("mnuConfigureOperatingMode"), Service},
        {QStringLiteral("mnuConfigureOperatingTime"), Factory},
        {QStringLiteral("mnuConfigureSoftware"), Service},
        {QStringLiteral("mnuConfigureSelectScanSet"), Service},
        {QStringLiteral("mnuInfoBoot"), Service},
        {QStringLiteral("mnuDiagnosticsDeflHV"), Factory},
        {QStringLiteral("mnuDiagnosticsPeek"), Factory},
    };
    return rules;
}

const QList<AppModes::ControlRule>& AppModes::controlRules() {
    static const QList<ControlRule> rules = [] {
        QList<ControlRule> r;
        const QString video = QStringLiteral("frmVideoAdj");
        r.append({video, QStringLiteral("VideoSetInitialSettingsButton"), Service});
        addArray(r, video, QStringLiteral("HScroll1"), 2, 7, Service);
        addArray(r, video, QStringLiteral("HScroll2"), 0, 0, Factory);
        const QString convergence = QStringLiteral("frmConvergence");
        for (const char* name : {"HScroll1", "HScroll2", "HScroll4", "HScroll5"})
            addArray(r, convergence, QString::fromLatin1(name), 0, 3, Service);
        addArray(r, convergence, QStringLiteral("HScroll3"), 0, 3, Factory);
        const QString log = QStringLiteral("frmCommLog");
        r.append({log, QStringLiteral("ckXmitQueueOverride"), Factory});
        r.append({log, QStringLiteral("lblXmitQueueOverride"), Factory});
        const QString software = QStringLiteral("frmSoftware");
        r.append({software, QStringLiteral("btnLoadSRAM"), Factory});
        r.append({software, QStringLiteral("btnRunSRAM"), Factory});
        const QString brightness = QStringLiteral("frmBrightnessContrast");
        r.append({brightness, QStringLiteral("btnSetDefaultsBrightness"), Service});
        r.append({brightness, QStringLiteral("btnSetDefaultsContrast"), Service});
        return r;
    }();
    return rules;
}

QByteArray AppModes::passwordHash(const QString& text) {
    return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex();
}

const QByteArray& AppModes::servicePasswordHash() {
    static const QByteArray hash =
        QByteArrayLiteral("53008a4021d501893a3fc103c1dd05c23342327d230db16793a6302775dd07b1");
    return hash;
}

const QByteArray& AppModes::factoryPasswordHash() {
    static const QByteArray hash =
        QByteArrayLiteral("9a4075976f3049f74526611edb7c58ecc836f266b9f9de90b95e2e290e730cb2");
    return hash;
}

void AppModes::attach(MainMenus* menus, WindowRegistry* windows, Dialogs* dialogs, QWidget* messageParent) {
    m_menus = menus;
    m_windows = windows;
    m_dialogs = dialogs;
    m_messageParent = messageParent;
    if (windows)
        connect(windows, &WindowRegistry::windowCreated, this, &AppModes::applyToWindow, Qt::UniqueConnection);
}

void AppModes::setFromSetting(const QString& text) {
    if (text == QLatin1String("ServiceMode"))
        setServiceMode();
    else if (text == QLatin1String("FactoryMode"))
        setFactoryMode();
    else
        setUserMode();
}

void AppModes::applyAppMode() {
    switch (m_appMode) {
    case User:
        setUserMode();
        break;
    case Service:
        setServiceMode();
        break;
    case Factory:
        setFactoryMode();
        break;
    default:
        if (m_dialogs)
            m_dialogs->message(m_messageParent, QStringLiteral("Setting Appmode with bad value"));
        break;
    }
}

void AppModes::setMode(int mode) {
    m_appMode = mode;
    if (m_menus)
        for (const MenuRule& rule : menuRules())
            if (QAction* action = m_menus->action(rule.item))
                action->setEnabled(mode >= rule.minMode && !m_familyOff.contains(rule.item));
    if (m_windows)
        for (ChildWindow* window : m_windows->all())
            applyToWindow(window);
    emit appModeChanged(mode);
}

void AppModes::applyToWindow(ChildWindow* window) const {
    if (!window || m_appMode < User || m_appMode > Factory)
        return;
    const QString name = window->objectName();
    for (const ControlRule& rule : controlRules()) {
        if (rule.window != name)
            continue;
        if (auto* control = window->findChild<QWidget*>(rule.control))
            control->setEnabled(m_appMode >= rule.minMode);
    }
}

AppModes::PasswordResult AppModes::enterPassword(const QString& typed) {
    const QByteArray hash = passwordHash(trimSpaces(typed));
    if (m_expectedPassword == servicePasswordHash() && hash == servicePasswordHash()) {
        setServiceMode();
        return PasswordResult::Accepted;
    }
    if (m_expectedPassword == factoryPasswordHash() && hash == factoryPasswordHash()) {
        setFactoryMode();
        return PasswordResult::Accepted;
    }
    if (m_expectedPassword != servicePasswordHash() && m_expectedPassword != factoryPasswordHash())
        return PasswordResult::NotExpected;
    return PasswordResult::Wrong;
}
