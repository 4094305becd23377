#include "ui/ChildWindow.h"

#include "model/MonitorModel.h"
#include "ui/AppContext.h"
#include "ui/BootModeGuard.h"
#include "ui/ChildWindowFrame.h"
#include "ui/LayoutTwips.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowRegistry.h"

#include <QAbstractScrollArea>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include <algorithm>

namespace {
// Room kept free right of and below the last control of a window without a layout.
constexpr int controlMarginTwips = 120;
} // namespace

ChildWindow::ChildWindow(AppContext& ctx, const QString& objectName, const QString& caption, QWidget* parent)
    : QWidget(parent), m_ctx(ctx) {
    setObjectName(objectName);
    setWindowTitle(caption);
}

void ChildWindow::showInFront() {
    if (m_ctx.model)
        BootModeGuard::apply(this, m_ctx.model->bootMode);
    QWidget* frame = parentWidget() ? parentWidget() : this;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame)) {
        if (m_ctx.windows)
            m_ctx.windows->prepareShow(sub);
        sub->show();
        show();
        WindowPlacement::applyPendingState(sub);
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        if (m_ctx.windows)
            m_ctx.windows->noteShown(sub);
        sub->raise();
        focusFirstControl();
        return;
    }
    show();
    raise();
    activateWindow();
    onActivated();
    focusFirstControl();
}

void ChildWindow::dismiss() {
    for (const char* text : {"Cancel", "Done", "Close"})
        for (QPushButton* b : findChildren<QPushButton*>())
            if (b->text().remove(QLatin1Char('&')) == QLatin1String(text) && b->isVisibleTo(this) && b->isEnabled()) {
                b->click();
                return;
            }
    closeFrame();
}

void ChildWindow::closeFrame() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void ChildWindow::focusFirstControl() {
    const QWidget* focused = focusWidget();
    if (focused && focused != this && focused->isVisibleTo(this) && focused->isEnabled())
        return;
    const auto takesFocus = [this](QWidget* w, bool buttons) {
        if (!isAncestorOf(w) || !w->isVisibleTo(this) || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus))
            return false;
        const auto* edit = qobject_cast<QLineEdit*>(w);
        return buttons || !(qobject_cast<QPushButton*>(w) || (edit && edit->isReadOnly()));
    };
    for (bool buttons : {false, true})
        for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain())
            if (takesFocus(w, buttons)) {
                w->setFocus(Qt::TabFocusReason);
                return;
            }
}

void ChildWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        dismiss();
    else if (event->key() == Qt::Key_F4 && event->modifiers() == Qt::ControlModifier)
        closeFrame();
    else
        QWidget::keyPressEvent(event);
}

void ChildWindow::hideWindow() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->hide();
    else
        hide();
}

void ChildWindow::fitFrame(int heightTwips) {
    const int height = heightTwips >= 0 ? layoutPixels(heightTwips) : -1;
    if (auto* frame = qobject_cast<ChildWindowFrame*>(parentWidget())) {
        frame->fit(height);
        return;
    }
    if (isMinimized() || isMaximized())
        return;
    const QSize needed = contentsSize();
    resize(std::max(width(), needed.width()),
           height >= 0 ? designedSize(QSize(0, height), needed).height() : std::max(this->height(), needed.height()));
}

QSize ChildWindow::contentsSize() const {
    if (QLayout* l = layout()) {
        l->activate();
        return l->totalSizeHint().expandedTo(l->totalMinimumSize());
    }
    QRect extent;
    for (const QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        // A control the window has not hidden itself counts even before the window is first shown.
        if (!child->isWindow() && !(child->isHidden() && child->testAttribute(Qt::WA_WState_ExplicitShowHide)))
            extent |= child->geometry();
    if (extent.isNull())
        return QSize(0, 0);
    const int margin = layoutPixels(controlMarginTwips);
    return QSize(extent.right() + 1 + margin, extent.bottom() + 1 + margin);
}

Qt::Orientations ChildWindow::growingDirections() const {
    Qt::Orientations directions;
    for (const QAbstractScrollArea* area : findChildren<QAbstractScrollArea*>())
        if (area->isVisibleTo(this))
            directions |= area->sizePolicy().expandingDirections();
    return directions;
}

QSize ChildWindow::designedSize(QSize size, QSize needed) const {
    const Qt::Orientations kept = layout() ? growingDirections() : Qt::Horizontal | Qt::Vertical;
    return QSize(kept & Qt::Horizontal ? std::max(size.width(), needed.width()) : needed.width(),
                 kept & Qt::Vertical ? std::max(size.height(), needed.height()) : needed.height());
}

int ChildWindow::layoutPixels(int twips) const {
    return LayoutTwips::toPixels(this, m_ctx.placement, twips);
}

int ChildWindow::layoutTwips(int pixels) const {
    return LayoutTwips::toTwips(this, m_ctx.placement, pixels);
}
