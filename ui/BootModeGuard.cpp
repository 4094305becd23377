#include "ui/BootModeGuard.h"

#include "ui/ChildWindow.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSet>
#include <QVariant>

namespace {
// The windows whose every control asks or sets something of the running firmware.
const QSet<QString>& firmwareWindows() {
    static const QSet<QString> names = {"frmSetModelAndSerialNumber",
                                        "frmSetOperatingTimes",
                                        "frmOperatingMode",
                                        "frmDeflHVEnable",
                                        "frmVideoConfig",
                                        "frmBacklight",
                                        "frmFPHeaterFan",
                                        "frmScanSelect",
                                        "frmDeflectionStatus",
                                        "frmHVLimits"};
    return names;
}
// What the guard changed, so that leaving boot mode undoes that and nothing the window set for other reasons.
const char* const kPrompt = "promptOutOfBootMode";
const char* const kOff = "offInBootMode";

bool closesWindow(const QAbstractButton* b) {
    const QString text = b->text().remove(QLatin1Char('&'));
    return text == QLatin1String("Done") || text == QLatin1String("Close") || text == QLatin1String("Cancel");
}
} // namespace

void BootModeGuard::apply(ChildWindow* window, bool bootMode) {
    if (!firmwareWindows().contains(window->objectName()))
        return;
    for (QLineEdit* box : window->findChildren<QLineEdit*>()) {
        if (bootMode && !box->property(kPrompt).isValid()) {
            box->setProperty(kPrompt, box->placeholderText());
            box->setPlaceholderText(QStringLiteral("in boot mode"));
            box->setProperty(kOff, !box->isReadOnly());
            box->setReadOnly(true);
        } else if (!bootMode && box->property(kPrompt).isValid()) {
            box->setPlaceholderText(box->property(kPrompt).toString());
            box->setProperty(kPrompt, QVariant());
            if (box->property(kOff).toBool())
                box->setReadOnly(false);
        }
    }
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (closesWindow(b))
            continue;
        if (bootMode && b->isEnabled()) {
            b->setEnabled(false);
            b->setProperty(kOff, true);
        } else if (!bootMode && b->property(kOff).toBool()) {
            b->setEnabled(true);
            b->setProperty(kOff, QVariant());
        }
    }
}
