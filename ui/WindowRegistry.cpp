#include "ui/WindowRegistry.h"

#include "ui/AppContext.h"
#include "ui/ChildWindowFrame.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>

namespace {
// Marks a frame not shown yet; its value says where it opens.
const char* const kFirstShow = "firstShowPlace";
enum class FirstPlace { Stored, Designed, Centred, Cascaded };
// Marks a frame whose size nobody chose (the window's designed one, or none) until its first activation.
const char* const kSizeUnchosen = "sizeUnchosen";
// Windows that open beside another one when it is shown: the download's progress beside the Software window
// that started it, so that neither covers the other.
const QHash<QString, QString>& companions() {
    static const QHash<QString, QString> table = {{"frmBootProgress", "frmSoftware"}};
    return table;
}
} // namespace

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
    auto* sub = new ChildWindowFrame(window);
    m_area->addSubWindow(sub);
    sub->setAttribute(Qt::WA_DeleteOnClose, !window->hideOnClose());
    sub->setWindowTitle(window->windowTitle());
    sub->setObjectName(window->objectName() + QStringLiteral("Frame"));
    sub->installEventFilter(this);
    sub->hide();
    FirstPlace place = FirstPlace::Stored;
    Placement restored;
    restored.hasSize = false;
    if (m_ctx.placement)
        restored = m_ctx.placement->restore(window, m_mainWindow);
    if (restored.defaultPosition)
        // Windows whose designed place is the top-left corner would all open on top of each other there.
        place = sub->pos() == QPoint(0, 0) ? FirstPlace::Cascaded
                : restored.centred         ? FirstPlace::Centred
                                           : FirstPlace::Designed;
    const bool unchosen = restored.state == 0 && (!restored.hasSize || restored.defaultSize);
    sub->setFollowsContents(unchosen);
    sub->setProperty(kSizeUnchosen, unchosen);
    // A frame's first size is nobody's choice where none was stored or designed: the first showing grows it to
    // what its contents need, no larger.
    if (!restored.hasSize && restored.state == 0)
        sub->resize(1, 1);
    sub->setProperty(kFirstShow, int(place));
    emit windowCreated(window);
}

void WindowRegistry::prepareShow(QMdiSubWindow* sub) {
    const QVariant first = sub->property(kFirstShow);
    if (!first.isValid())
        return;
    sub->setProperty(kFirstShow, QVariant());
    // The style's fonts and margins decide what the contents need.
    sub->ensurePolished();
    const auto place = FirstPlace(first.toInt());
    const QSize designed = sub->size();
    if (auto* frame = qobject_cast<ChildWindowFrame*>(sub)) {
        // A designed size was drawn for contents the window may no longer have (rows a family lacks, a narrow
        // font): it keeps no room they do not use.
        if (sub->property(kSizeUnchosen).toBool())
            frame->fitDesignedSize();
        frame->fit();
    }
    if (place == FirstPlace::Centred)
        sub->move(sub->pos() + QPoint(designed.width() - sub->width(), designed.height() - sub->height()) / 2);
    if (place == FirstPlace::Cascaded)
        placeNew(sub);
    // A designed place keeps the window inside the area it opens in; a stored one is taken as it is.
    if (place != FirstPlace::Stored) {
        const QSize area = m_area->viewport()->size();
        sub->move(std::max(0, std::min(sub->x(), area.width() - sub->width())),
                  std::max(0, std::min(sub->y(), area.height() - sub->height())));
    }
    m_lastOpened = sub;
}

QPoint WindowRegistry::cascadeStep() const {
    const int step = m_area->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, m_area);
    return QPoint(step, step);
}

void WindowRegistry::placeNew(QMdiSubWindow* sub) {
    const QRect area(QPoint(0, 0), m_area->viewport()->size());
    const auto fits = [&](QPoint at) { return area.contains(QRect(at, sub->size())); };
    if (ChildWindow* companion = find(companions().value(sub->widget()->objectName()))) {
        QWidget* other = companion->parentWidget();
        if (other && other->isVisible() && !other->isMinimized()) {
            const QRect o = other->geometry();
            for (const QPoint at : {QPoint(o.right() + 1, o.top()), QPoint(o.left(), o.bottom() + 1),
                                    QPoint(o.left() - sub->width(), o.top())})
                if (fits(at)) {
                    sub->move(at);
                    return;
                }
        }
    }
    QMdiSubWindow* last = m_lastOpened;
    if (!last || !last->isVisible() || last->isMinimized() || last->isMaximized())
        return;
    const QPoint next = last->pos() + cascadeStep();
    sub->move(fits(next) ? next : QPoint(0, 0));
}

void WindowRegistry::cascade() {
    QPoint at(0, 0);
    const QSize area = m_area->viewport()->size();
    for (QMdiSubWindow* sub : m_area->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isVisible() || sub->isMinimized())
            continue;
        sub->showNormal();
        if (auto* frame = qobject_cast<ChildWindowFrame*>(sub))
            frame->setArranged(false);
        const QSize needed = sub->sizeHint().boundedTo(area);
        // Start again at the top-left corner rather than push a window's contents out of the area.
        if (at.x() + needed.width() > area.width() || at.y() + needed.height() > area.height())
            at = QPoint(0, 0);
        const QSize room(area.width() - at.x(), area.height() - at.y());
        sub->setGeometry(QRect(at, sub->size().boundedTo(room).expandedTo(needed)));
        sub->raise();
        at += cascadeStep();
    }
    if (QMdiSubWindow* active = m_area->activeSubWindow())
        active->raise();
}

void WindowRegistry::tile(Qt::Orientation along) {
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* sub : m_area->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized())
            shown << sub;
    if (shown.isEmpty())
        return;
    const QSize area = m_area->viewport()->size();
    // The smallest tile that still shows a title bar and a few lines of the window below it.
    const int title = m_area->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, m_area);
    const QSize smallest(title * 6, title * 3);
    const int n = int(shown.size());
    const bool stacked = along == Qt::Vertical;
    const int length = stacked ? area.height() : area.width();
    const int least = stacked ? smallest.height() : smallest.width();
    const int across = stacked ? area.width() : area.height();
    const int leastAcross = stacked ? smallest.width() : smallest.height();
    int lines = 1;
    while (length * lines / n < least && across / (lines + 1) >= leastAcross)
        ++lines;
    const int perLine = (n + lines - 1) / lines;
    // Edges at i * extent / count, so that the windows fill the area without a gap left by the rounding.
    for (int i = 0; i < n; ++i) {
        const int line = i / perLine, place = i % perLine;
        const int count = std::min(perLine, n - line * perLine);
        const int from = place * length / count, to = (place + 1) * length / count;
        const int side = line * across / lines, sideEnd = (line + 1) * across / lines;
        QMdiSubWindow* sub = shown[i];
        sub->showNormal();
        if (auto* frame = qobject_cast<ChildWindowFrame*>(sub))
            frame->setArranged(true);
        sub->setGeometry(stacked ? QRect(side, from, sideEnd - side, to - from)
                                 : QRect(from, side, to - from, sideEnd - side));
    }
}

void WindowRegistry::noteShown(QMdiSubWindow* sub) {
    // A window hidden while it was the active one is still the area's active window when it comes back,
    // so the area raises no activation for it.
    if (!m_muted && sub && m_area->activeSubWindow() == sub && m_lastActive != sub) {
        m_lastActive = sub;
        if (auto* w = qobject_cast<ChildWindow*>(sub->widget()))
            w->onActivated();
    }
    // What the window did when it was first activated (rows hidden that its monitor lacks) changed what it needs: a
    // size nobody chose follows that once more.
    auto* frame = qobject_cast<ChildWindowFrame*>(sub);
    if (frame && frame->property(kSizeUnchosen).toBool()) {
        frame->setProperty(kSizeUnchosen, QVariant());
        frame->fitDesignedSize();
        frame->fit();
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
