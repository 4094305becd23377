#include "ui/BootModeGuard.h"

#include "ui/ChildWindow.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QVBoxLayout>
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
    return text == QLatin1String("Done") || text == QLatin1String("Close") || text == QLatin1String("Cancel") ||
           text == QLatin1String("OK");
}

// A line atop a window laid out in a column says why everything in it is off.
void showNotice(ChildWindow* window, bool bootMode) {
    auto* notice = window->findChild<QLabel*>(QStringLiteral("lblBootModeNotice"), Qt::FindDirectChildrenOnly);
    auto* column = qobject_cast<QVBoxLayout*>(window->layout());
    if (!notice && bootMode && column) {
        notice = new QLabel(QStringLiteral("The monitor is in its boot block: these settings can be read and changed "
                                           "once its firmware runs (Monitor > Run from BOOT MODE)."),
                            window);
        notice->setObjectName(QStringLiteral("lblBootModeNotice"));
        notice->setWordWrap(true);
        notice->setStyleSheet(QStringLiteral("font-weight: bold;"));
        column->insertWidget(0, notice);
    }
    if (notice)
        notice->setVisible(bootMode);
}
} // namespace

bool BootModeGuard::noticeShown(const QWidget* window) {
    const auto* notice =
        window ? window->findChild<QLabel*>(QStringLiteral("lblBootModeNotice"), Qt::FindDirectChildrenOnly) : nullptr;
    return notice && notice->isVisibleTo(window);
}

void BootModeGuard::apply(ChildWindow* window, bool bootMode) {
    if (!firmwareWindows().contains(window->objectName()))
        return;
    showNotice(window, bootMode);
    if (bootMode)
        for (QLabel* note : window->findChildren<QLabel*>())
            if (note->property(stateNote).toBool())
                note->hide();
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
