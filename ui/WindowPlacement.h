#pragma once
// Every window comes back where the user left it. Two schemes: the generic one ("Locations", keys from the
// window's object name) and the per-window one ("Configs", a fixed prefix and defaults per window). The
// table of which window uses which lives here once; windows only carry their object name.
#include <QRect>
#include <QString>

class QWidget;
class Settings;

struct Placement {
    int state = 0;                                // 0 normal, 1 minimised, 2 maximised
    int top = 0, left = 0, width = 0, height = 0; // twips
    bool hasPosition = true;
    bool hasSize = true;
    // Nothing was stored for the size: the default was taken.
    bool defaultSize = false;
    // Nothing was stored for the position: the default was taken.
    bool defaultPosition = false;
    // The default position taken centres the window in the main window.
    bool centred = false;
};

class WindowPlacement {
public:
    // Pixels per inch used for twips (1440 per inch); the screen's logical DPI by default.
    explicit WindowPlacement(Settings* settings, double dpi = 0);

    double dpi() const { return m_dpi; }
    int toPixels(int twips) const;
    int toTwips(int pixels) const;

    // Reads the stored placement of a window by object name. screenTwips is the screen size (generic
    // defaults are half of it); mainTwips the main window's size (per-window "centred" defaults).
    Placement read(const QString& objectName, QSize screenTwips, QSize mainTwips) const;
    void write(const QString& objectName, const Placement& p);
    // Whether a window keeps its placement at all (the about window, for one, does not).
    static bool keepsPlacement(const QString& objectName);

    // Applies to a top-level window or to the MDI frame of a child window, and returns what it applied. A child
    // window never placed before opens at the size of its contents rather than half the screen.
    Placement restore(QWidget* window, QWidget* mainWindow);
    void save(QWidget* window);
    // Applies a restored minimised or maximised state to an MDI frame that was hidden when it was restored.
    static void applyPendingState(QWidget* frame);

private:
    static void applyState(QWidget* frame, int state);

    Settings* m_settings;
    double m_dpi;
};
