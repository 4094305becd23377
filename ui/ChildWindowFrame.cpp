#include "ui/ChildWindowFrame.h"

#include "ui/ChildWindow.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QMdiArea>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

namespace {
// An area smaller than this has not been laid out yet and gives no bound worth keeping.
constexpr int minimumAreaWidth = 200, minimumAreaHeight = 150;
} // namespace

ChildWindowFrame::ChildWindowFrame(ChildWindow* window)
    : m_horizontal(new QScrollBar(Qt::Horizontal, this)), m_vertical(new QScrollBar(Qt::Vertical, this)) {
    setWidget(window);
    // The frame places the window itself, so that the window keeps its size when the frame is smaller.
    if (layout())
        layout()->removeWidget(window);
    for (QScrollBar* bar : {m_horizontal, m_vertical}) {
        bar->hide();
        connect(bar, &QScrollBar::valueChanged, this, &ChildWindowFrame::placeContents);
    }
    m_focusFollower =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { scrollIntoView(now); });
}

ChildWindowFrame::~ChildWindowFrame() {
    disconnect(m_focusFollower);
}

ChildWindow* ChildWindowFrame::childWindow() const {
    return static_cast<ChildWindow*>(widget());
}

QSize ChildWindowFrame::neededSize() const {
    const QSize frame = childWindow()->contentsSize() + size() - contentsRect().size();
    // The title in full beside the title bar's icon and its three buttons.
    const int button = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    QFont titleFont = font();
    titleFont.setBold(true);
    const int title = QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + 5 * button;
    return frame.expandedTo(QSize(title, 0));
}

QSize ChildWindowFrame::areaSize() const {
    QMdiArea* area = mdiArea();
    if (!area)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // During start-up the main window is not shown yet: its layout gives the area its size now, and the area
    // lays out its viewport only once shown.
    if (!area->isVisible() && area->window()->layout())
        area->window()->layout()->activate();
    const QSize size = area->isVisible() ? area->viewport()->size() : area->contentsRect().size();
    if (size.width() < minimumAreaWidth || size.height() < minimumAreaHeight)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    return size;
}

void ChildWindowFrame::fit(int height) {
    if (isMinimized() || isMaximized())
        return;
    const QSize needed = neededSize();
    if (height < 0 && m_followsContents)
        height = this->height();
    QSize wanted(std::max(width(), needed.width()), height >= 0
                                                        ? childWindow()->designedSize(QSize(0, height), needed).height()
                                                        : std::max(this->height(), needed.height()));
    // Where the area cuts one direction, that direction's scroll bar takes room from the other.
    const QSize area = areaSize();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    if (wanted.height() > area.height())
        wanted.rwidth() = std::max(wanted.width(), needed.width() + extent);
    if (wanted.width() > area.width())
        wanted.rheight() = std::max(wanted.height(), needed.height() + extent);
    resize(wanted.boundedTo(area));
    placeContents();
}

void ChildWindowFrame::fitDesignedSize() {
    if (isMinimized() || isMaximized())
        return;
    resize(childWindow()->designedSize(size(), neededSize()));
}

QSize ChildWindowFrame::sizeHint() const {
    return neededSize().boundedTo(areaSize());
}

void ChildWindowFrame::placeContents() {
    ChildWindow* window = childWindow();
    if (!window || isMinimized())
        return;
    const QSize needed = window->contentsSize();
    QRect view = contentsRect();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    // A scroll bar takes room from the other direction, which may then need its own.
    bool vertical = needed.height() > view.height();
    bool horizontal = needed.width() > view.width() - (vertical ? extent : 0);
    vertical = vertical || needed.height() > view.height() - (horizontal ? extent : 0);
    if (vertical)
        view.setRight(view.right() - extent);
    if (horizontal)
        view.setBottom(view.bottom() - extent);

    // A scroll bar with nothing to scroll is not shown.
    vertical = vertical && needed.height() > view.height();
    horizontal = horizontal && needed.width() > view.width();
    m_vertical->setVisible(vertical);
    m_vertical->setGeometry(view.right() + 1, view.top(), extent, view.height());
    m_vertical->setRange(0, vertical ? needed.height() - view.height() : 0);
    m_vertical->setPageStep(view.height());
    m_vertical->setSingleStep(std::max(1, fontMetrics().height()));
    m_horizontal->setVisible(horizontal);
    m_horizontal->setGeometry(view.left(), view.bottom() + 1, view.width(), extent);
    m_horizontal->setRange(0, horizontal ? needed.width() - view.width() : 0);
    m_horizontal->setPageStep(view.width());
    m_horizontal->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 2));

    const QPoint offset(m_horizontal->value(), m_vertical->value());
    window->setGeometry(QRect(view.topLeft() - offset, view.size().expandedTo(needed)));
    // The window reaches under the frame's borders while it scrolls: only the part in view is drawn.
    if (vertical || horizontal)
        window->setMask(QRegion(QRect(offset, view.size())));
    else
        window->clearMask();
    m_vertical->raise();
    m_horizontal->raise();
}

bool ChildWindowFrame::event(QEvent* event) {
    const bool handled = QMdiSubWindow::event(event);
    // The window's contents changed what they need (rows shown or hidden, a longer text): the frame grows to
    // show them where the area has room, and scrolls them where it has not.
    if (event->type() == QEvent::LayoutRequest) {
        if (isVisible() && !m_arranged)
            fit();
        placeContents();
    }
    if (event->type() == QEvent::Show)
        if (QMdiArea* area = mdiArea())
            area->viewport()->installEventFilter(this);
    return handled;
}

bool ChildWindowFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && isVisible() && mdiArea() && watched == mdiArea()->viewport()) {
        const QSize area = areaSize();
        if (width() > area.width() || height() > area.height())
            fit();
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void ChildWindowFrame::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    placeContents();
}

void ChildWindowFrame::mouseMoveEvent(QMouseEvent* event) {
    const QSize before = size();
    QMdiSubWindow::mouseMoveEvent(event);
    if (size() != before)
        m_followsContents = false;
}

void ChildWindowFrame::wheelEvent(QWheelEvent* event) {
    QScrollBar* bar = m_vertical->isVisible() ? m_vertical : m_horizontal->isVisible() ? m_horizontal : nullptr;
    if (!bar) {
        QMdiSubWindow::wheelEvent(event);
        return;
    }
    const QPoint delta = event->angleDelta();
    const int notches = (delta.y() != 0 ? delta.y() : delta.x()) / QWheelEvent::DefaultDeltasPerStep;
    bar->setValue(bar->value() - notches * QApplication::wheelScrollLines() * bar->singleStep());
    event->accept();
}

void ChildWindowFrame::scrollIntoView(QWidget* control) {
    ChildWindow* window = childWindow();
    if (!control || !window || !window->isAncestorOf(control) ||
        !(m_vertical->isVisible() || m_horizontal->isVisible()))
        return;
    const QRect r(control->mapTo(window, QPoint(0, 0)), control->size());
    const auto reveal = [](QScrollBar* bar, int from, int to) {
        // The control's near edge in view; where it is longer than the view, its start.
        if (to >= bar->value() + bar->pageStep())
            bar->setValue(to + 1 - bar->pageStep());
        if (from < bar->value())
            bar->setValue(from);
    };
    reveal(m_vertical, r.top(), r.bottom());
    reveal(m_horizontal, r.left(), r.right());
}
