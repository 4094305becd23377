#include "ui/WindowRegistry.h"

#include "ui/AppContext.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

WindowRegistry::WindowRegistry(AppContext& ctx, QMdiArea* area, QWidget* mainWindow)
    : QObject(mainWindow), m_ctx(ctx), m_area(area), m_mainWindow(mainWindow) {
    // A window is activated when it becomes the active child window after another one (or after being hidden);
    // the main window regaining the focus does not activate its active child again.
    connect(m_area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (!sub || sub == m_lastActive)
            return;
        QPointer<QMdiSubWindow> previous = m_lastActive;
        m_lastActive = sub;
        if (m_muted)
            return;
        if (previous)
            if (auto* w = qobject_cast<ChildWindow*>(previous->widget()))
                w->onDeactivated();
        if (auto* w = qobject_cast<ChildWindow*>(sub->widget()))
            w->onActivated();
    });
}

void WindowRegistry::adopt(const char* key, ChildWindow* window) {
    m_windows.insert(key, window);
    QMdiSubWindow* sub = m_area->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose, !window->hideOnClose());
    sub->setWindowTitle(window->windowTitle());
    sub->setObjectName(window->objectName() + QStringLiteral("Frame"));
    sub->installEventFilter(this);
    sub->hide();
    if (m_ctx.placement)
        m_ctx.placement->restore(window, m_mainWindow);
    emit windowCreated(window);
}

void WindowRegistry::noteShown(QMdiSubWindow* sub) {
    // A window hidden while it was the active one is still the area's active window when it comes back,
    // so the area raises no activation for it.
    if (!m_muted && sub && m_area->activeSubWindow() == sub && m_lastActive != sub) {
        m_lastActive = sub;
        if (auto* w = qobject_cast<ChildWindow*>(sub->widget()))
            w->onActivated();
    }
}

void WindowRegistry::showMainWindowQuietly() {
    // Child windows shown before the main window are activated again, one after the other, when it first
    // appears; they were activated already when they were shown.
    m_muted = true;
    m_mainWindow->show();
    m_muted = false;
    m_lastActive = m_area->activeSubWindow();
}

ChildWindow* WindowRegistry::find(const QString& objectName) const {
    for (const QPointer<ChildWindow>& w : m_windows)
        if (w && w->objectName() == objectName)
            return w;
    return nullptr;
}

QList<ChildWindow*> WindowRegistry::all() const {
    QList<ChildWindow*> out;
    for (const QPointer<ChildWindow>& w : m_windows)
        if (w)
            out << w;
    return out;
}

bool WindowRegistry::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched == m_lastActive)
        m_lastActive = nullptr;
    if (event->type() == QEvent::Close) {
        auto* sub = qobject_cast<QMdiSubWindow*>(watched);
        auto* w = sub ? qobject_cast<ChildWindow*>(sub->widget()) : nullptr;
        if (w) {
            if (w->hideOnClose()) {
                event->ignore();
                sub->hide();
                w->onClosedToHidden();
                return true;
            }
            if (m_ctx.placement)
                m_ctx.placement->save(w);
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowRegistry::unloadAll() {
    const auto windows = all();
    for (ChildWindow* w : windows) {
        if (m_ctx.placement)
            m_ctx.placement->save(w);
        QWidget* frame = w->parentWidget() ? w->parentWidget() : w;
        frame->removeEventFilter(this);
        delete frame;
    }
    m_windows.clear();
}
