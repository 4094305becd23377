#pragma once
// The frame of a child window in the main window's area. The window inside is never squeezed below what its
// contents need: where the frame is smaller, the window keeps its size and the frame scrolls it with its own
// scroll bars. The frame's size hint is the size that shows the whole window, so the area's arrangements never
// shrink a window below its contents either. A control that gets the focus is scrolled into view, and the wheel
// scrolls the window wherever no control of it takes the wheel. A frame is never larger than the area it is in.
#include <QMdiSubWindow>

class ChildWindow;
class QScrollBar;

class ChildWindowFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit ChildWindowFrame(ChildWindow* window);
    ~ChildWindowFrame() override;

    ChildWindow* childWindow() const;
    // The frame size that shows the whole window: its contents, title bar and borders.
    QSize neededSize() const;
    // The room the area offers; unbounded while the area is not laid out.
    QSize areaSize() const;
    // At least the size of the contents; never larger than the area. A given height (pixels, frame included) is the
    // window's designed one: taken where the contents use the room, and the height they need where they do not.
    // A minimised or maximised frame keeps its size.
    void fit(int height = -1);
    // The frame's size is one nobody chose (the one its window was designed with): it becomes what
    // ChildWindow::designedSize makes of it, so that it keeps no room the contents do not use. fit() then bounds it
    // by the area.
    void fitDesignedSize();
    // Places the window and the scroll bars in the frame as it is now.
    void placeContents();
    // A frame whose size nobody chose (the window's designed one, not one the user left it at) follows the height of
    // its contents both ways until the user resizes it: a note or rows that go leave no empty band. Any other frame
    // only grows with them.
    void setFollowsContents(bool on) { m_followsContents = on; }
    bool followsContents() const { return m_followsContents; }
    // A tiled frame keeps the tile it was given when its contents grow: it scrolls them rather than cover its
    // neighbours.
    void setArranged(bool on) { m_arranged = on; }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    // The area shrank (the main window made smaller, or maximised by the window manager after the frame was
    // sized): a frame larger than the area is bounded by it again and scrolls.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The user dragging an edge chooses the frame's size.
    void mouseMoveEvent(QMouseEvent* event) override;
    // The wheel over a part of the window that does not take it scrolls the window.
    void wheelEvent(QWheelEvent* event) override;

private:
    // Scrolls a control that got the focus (by Tab, say) into view.
    void scrollIntoView(QWidget* control);

    QScrollBar* m_horizontal;
    QScrollBar* m_vertical;
    // The application's focus changes; cut when the frame goes, since the sub-window's own destruction still
    // moves the focus.
    QMetaObject::Connection m_focusFollower;
    bool m_arranged = false;
    bool m_followsContents = false;
};
