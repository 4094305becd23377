#include "ui/ChildWindow.h"

#include "ui/AppContext.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowRegistry.h"

#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

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

void ChildWindow::fitFrame(int heightTwips) {
    QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    if (frame->isMinimized() || frame->isMaximized())
        return;
    if (layout())
        layout()->activate();
    const QSize needed = minimumSizeHint() + frame->size() - size();
    int height = frame->height();
    if (heightTwips >= 0)
        height = m_ctx.placement ? m_ctx.placement->toPixels(heightTwips) : heightTwips / 15;
    frame->resize(std::max(frame->width(), needed.width()), std::max(height, needed.height()));
}
