#pragma once
// The base of every child window of the main window: its object name is its documented name (placement keys
// are built from it), it keeps its placement, queues its reads when it becomes active, and "Done"/"Close"
// only hide it. The keys of every desktop program work on it: Esc does what its "Cancel", "Done" or "Close"
// does, Ctrl+F4 closes it, and it opens with a control to type into focused.
#include <QWidget>

struct AppContext;

class ChildWindow : public QWidget {
    Q_OBJECT
public:
    ChildWindow(AppContext& ctx, const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    AppContext& context() const { return m_ctx; }
    // Called each time the window is shown or becomes the active child window.
    virtual void onActivated() {}
    // Called when another child window becomes active after this one.
    virtual void onDeactivated() {}
    // Called when the title bar's close button hides a window that lives for the whole run.
    virtual void onClosedToHidden() {}
    // Windows that belong to the link live for the whole run: closing them hides them.
    bool hideOnClose() const { return m_hideOnClose; }
    // Shows the window in front of the other child windows.
    void showInFront();
    // What the window's controls need: its layout's size, or the shown controls' extent and a margin.
    virtual QSize contentsSize() const;
    // The directions in which the window's contents use more room than they need: those of a log, a list, a table
    // or a plot it shows. A size the window was designed with is kept only in these.
    Qt::Orientations growingDirections() const;
    // The size the window (or its frame) takes for a size it was designed with, given what its contents need: a
    // window whose controls stand where the same design placed them keeps it; one laid out by its layout keeps it
    // only in the directions in which its contents use the room (growingDirections), and takes what they need in
    // the others. Never less than they need.
    QSize designedSize(QSize size, QSize needed) const;
    // A layout length in twips as pixels on this window (the scale of its font included).
    int layoutPixels(int twips) const;
    // Pixels on this window as layout twips (the inverse of layoutPixels).
    int layoutTwips(int pixels) const;
    // "Done", "Close": hide, not destroy.
    void hideWindow();
    // Esc: the window's own "Cancel", "Done" or "Close" button, so that leaving by key does what leaving by
    // mouse does; a window without one closes as its title bar's close button closes it.
    void dismiss();
    // Ctrl+F4 and the title bar's close button.
    void closeFrame();
    // Gives the focus to the first control in tab order that takes input (a button only when there is none),
    // unless a shown control of the window has it already.
    void focusFirstControl();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void setHideOnClose(bool on) { m_hideOnClose = on; }
    // Grows the window to what its shown controls need; with its designed height (twips, title bar and borders
    // included) the window takes the height designedSize gives; never beyond the area it is in. Minimised and
    // maximised windows keep their size.
    void fitFrame(int heightTwips = -1);
    AppContext& m_ctx;

private:
    bool m_hideOnClose = false;
};
