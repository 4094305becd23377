#include "ui/ChildWindow.h"

#include "ui/AppContext.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowRegistry.h"

#include <QMdiArea>
#include <QMdiSubWindow>

ChildWindow::ChildWindow(AppContext& ctx, const QString& objectName, const QString& caption, QWidget* parent)
    : QWidget(parent), m_ctx(ctx) {
    setObjectName(objectName);
    setWindowTitle(caption);
}

void ChildWindow::showInFront() {
    QWidget* frame = parentWidget() ? parentWidget() : this;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame)) {
        sub->show();
        show();
        WindowPlacement::applyPendingState(sub);
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        if (m_ctx.windows)
            m_ctx.windows->noteShown(sub);
        sub->raise();
        return;
    }
    show();
    raise();
    activateWindow();
    onActivated();
}

void ChildWindow::hideWindow() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->hide();
    else
        hide();
}
