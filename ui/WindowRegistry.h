#pragma once
// Owns every child window: creates each on first use (hidden, so that answers can set its controls before
// the user opens it), restores its placement, announces it so that the application mode's restrictions are
// applied, routes activation, and saves placements when windows close or the tool shuts down.
#include "ui/ChildWindow.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>

class QMdiArea;
class QMdiSubWindow;
struct AppContext;

class WindowRegistry : public QObject {
    Q_OBJECT
public:
    WindowRegistry(AppContext& ctx, QMdiArea* area, QWidget* mainWindow);

    // The window of type T, created hidden on first use.
    template <class T> T* window() {
        const char* key = T::staticMetaObject.className();
        if (ChildWindow* existing = m_windows.value(key))
            return static_cast<T*>(existing);
        T* w = new T(m_ctx);
        adopt(key, w);
        return w;
    }
    // The window of type T if it exists, without creating it.
    template <class T> T* existing() const {
        return static_cast<T*>(m_windows.value(T::staticMetaObject.className()).data());
    }
    template <class T> T* show() {
        T* w = window<T>();
        w->showInFront();
        return w;
    }
    ChildWindow* find(const QString& objectName) const;
    QList<ChildWindow*> all() const;
    QMdiArea* area() const { return m_area; }
    AppContext& context() const { return m_ctx; }

    // Called before a child window is shown: on its first showing it grows to its contents (and a size it was
    // designed with, not one the user left it at, keeps no room they do not use) and, when it has no stored
    // position, opens beside the window it belongs with, cascaded from the last one opened, or centred as designed.
    void prepareShow(QMdiSubWindow* sub);
    // Called after a child window was shown and made active: activates it when the area did not; after the first
    // activation a designed size follows what the window then needs.
    void noteShown(QMdiSubWindow* sub);
    // Window > Cascade: the shown windows one below and right of the other, each at least as large as its
    // contents (and no larger than the area).
    void cascade();
    // Window > Tile: the shown windows share the area without overlapping, one above the other (along
    // Qt::Vertical, "Tile Horizontally") or side by side, in more columns or rows where a single one would leave
    // a window less than its title bar and a few lines; each scrolls where it is smaller than its contents.
    void tile(Qt::Orientation along);
    // Shows the main window without activating its already shown child windows a second time.
    void showMainWindowQuietly();
    // Saves every placement and destroys every window (shut-down).
    void unloadAll();

signals:
    void windowCreated(ChildWindow* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void adopt(const char* key, ChildWindow* window);
    // The offset between cascaded windows: one title bar.
    QPoint cascadeStep() const;
    // Opens a frame without a stored position beside its companion, or cascaded from the last one opened.
    void placeNew(QMdiSubWindow* sub);

    AppContext& m_ctx;
    QMdiArea* m_area;
    QWidget* m_mainWindow;
    QHash<QByteArray, QPointer<ChildWindow>> m_windows;
    QPointer<QMdiSubWindow> m_lastActive;
    QPointer<QMdiSubWindow> m_lastOpened;
    bool m_muted = false;
};
