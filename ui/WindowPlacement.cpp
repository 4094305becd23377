#include "ui/WindowPlacement.h"

#include "platform/Settings.h"
#include "ui/LayoutTwips.h"

#include <QGuiApplication>
#include <QHash>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QWidget>

namespace {
const char* const kPendingState = "pendingWindowState";
const QString kLocations = QStringLiteral("Locations");
const QString kConfigs = QStringLiteral("Configs");
constexpr int kCentred = -1;

struct PerWindow {
    QString prefix;
    int top, left, width, height; // twips; kCentred for centred; width 0 = size not stored
    bool storesState = true;
    QString positionSection = kConfigs;
    bool heightFirst = false; // read order Height, Width, Left, Top
};

const QHash<QString, PerWindow>& perWindowTable() {
    static const QHash<QString, PerWindow> table = {
        {"frmCommLog", {"CommLog", kCentred, kCentred, 6345, 7095}},
        {"frmID", {"ID", 0, 0, 4725, 7470}},
        {"frmVersion", {"Version", kCentred, kCentred, 4320, 2475}},
        {"frmLinkReport", {"LinkReport", kCentred, kCentred, 5400, 5100}},
        {"frmOperatingTime", {"OpTime", kCentred, kCentred, 4620, 1440}},
        {"frmBootBlock", {"BootBlock", kCentred, kCentred, 4410, 2895}},
        {"frmCurrentScanSet", {"CurrentScan", kCentred, kCentred, 6285, 2610}},
        {"frmAppMode", {"AppMode", 0, 0, 3805, 2520}},
        {"frmScanSelect", {"ScanSelect", 0, 0, 7080, 3990}},
        {"frmSetOperatingTimes", {"SetOperatingTimes", 0, 0, 5505, 3420}},
        {"frmPeekPoke", {"PeekPoke", 500, 500, 3585, 2265}},
        {"frmVideoConfig", {"VideoConfig", 500, 100, 5835, 5490, true, QStringLiteral("Layout")}},
        {"frmTimedOut", {"TimedOut", 0, 0, 4800, 2475}},
        {"frmSetModelAndSerialNumber", {"SetModel", 0, 0, 4800, 3600}},
        {"frmSoftware", {"Software", 0, 0, 4875, 3195}},
        {"frmUserControls", {"UserControls", 0, 0, 2070, 2580}},
        {"frmDeflHVEnable", {"DeflHV", 0, 0, 7260, 7650}},
        {"frmBacklight", {"frmBacklight", 0, 0, 4800, 2775}},
        {"frmFPHeaterFan", {"frmFPHeaterFan", 0, 0, 4800, 2775}},
        {"frmPassword", {"Password", 0, 0, 0, 0}},
        {"frmChangeTries", {"Tries", 0, 0, 0, 0}},
        {"frmI2cProbe", {"I2cProbe", 0, 0, 8730, 6405, false, kConfigs, true}},
    };
    return table;
}

const QStringList& genericWindows() {
    static const QStringList names = {
        "frmMain",
        "frmConnect",
        "frmTrying",
        "frmBootProgress",
        "frmBrightnessContrast",
        "frmCRTVoltages",
        "frmCapability",
        "frmConvergence",
        "frmConvergenceAdjustment",
        "frmConvergenceGoal",
        "frmDeflectionStatus",
        "frmFlatPanelTestPoints",
        "frmG2",
        "frmGeometryAdj",
        "frmHVLimits",
        "frmMDITestPoints",
        "frmMDI_HV",
        "frmOperatingMode",
        "frmTestPoint",
        "frmVideoAdj",
    };
    return names;
}

int clampState(int state) {
    return (state == 1 || state == 2) ? state : 0;
}

QWidget* frameOf(QWidget* window) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        return sub;
    return window;
}
} // namespace

WindowPlacement::WindowPlacement(Settings* settings, double dpi) : m_settings(settings), m_dpi(dpi) {
    if (m_dpi <= 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        m_dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
        if (m_dpi <= 0)
            m_dpi = 96.0;
    }
}

int WindowPlacement::toPixels(int twips) const {
    return qRound(twips * m_dpi / 1440.0);
}

int WindowPlacement::toTwips(int pixels) const {
    return qRound(pixels * 1440.0 / m_dpi);
}

bool WindowPlacement::keepsPlacement(const QString& objectName) {
    return perWindowTable().contains(objectName) || genericWindows().contains(objectName);
}

Placement WindowPlacement::read(const QString& n, QSize screenTwips, QSize mainTwips) const {
    Placement p;
    const auto it = perWindowTable().constFind(n);
    if (it == perWindowTable().constEnd()) {
        p.top = m_settings->readInt(kLocations, n + "Top", 0);
        p.left = m_settings->readInt(kLocations, n + "Left", 0);
        p.width = m_settings->readInt(kLocations, n + "Width", screenTwips.width() / 2);
        p.height = m_settings->readInt(kLocations, n + "Height", screenTwips.height() / 2);
        p.state = clampState(m_settings->readInt(kLocations, n + "Windowstate", 0));
        p.defaultSize =
            !m_settings->contains(kLocations, n + "Width") && !m_settings->contains(kLocations, n + "Height");
        p.defaultPosition =
            !m_settings->contains(kLocations, n + "Top") && !m_settings->contains(kLocations, n + "Left");
        return p;
    }
    const PerWindow& w = *it;
    p.hasSize = w.width > 0;
    p.state = w.storesState ? clampState(m_settings->readInt(kConfigs, w.prefix + "WindowState", 0)) : 0;
    if (p.state != 0) {
        p.hasPosition = false;
        p.hasSize = false;
        return p;
    }
    const QString& s = w.positionSection;
    p.defaultSize = !m_settings->contains(s, w.prefix + "Width") && !m_settings->contains(s, w.prefix + "Height");
    p.defaultPosition = !m_settings->contains(s, w.prefix + "Top") && !m_settings->contains(s, w.prefix + "Left");
    if (w.heightFirst) {
        p.height = m_settings->readInt(s, w.prefix + "Height", w.height);
        p.width = m_settings->readInt(s, w.prefix + "Width", w.width);
    } else if (p.hasSize) {
        p.width = m_settings->readInt(s, w.prefix + "Width", w.width);
        p.height = m_settings->readInt(s, w.prefix + "Height", w.height);
    }
    p.centred = p.defaultPosition && (w.top == kCentred || w.left == kCentred);
    const int topDefault = w.top == kCentred ? (mainTwips.height() - p.height) / 2 : w.top;
    const int leftDefault = w.left == kCentred ? (mainTwips.width() - p.width) / 2 : w.left;
    if (w.heightFirst) {
        p.left = m_settings->readInt(s, w.prefix + "Left", leftDefault);
        p.top = m_settings->readInt(s, w.prefix + "Top", topDefault);
    } else {
        p.top = m_settings->readInt(s, w.prefix + "Top", topDefault);
        p.left = m_settings->readInt(s, w.prefix + "Left", leftDefault);
    }
    return p;
}

void WindowPlacement::write(const QString& n, const Placement& p) {
    const auto it = perWindowTable().constFind(n);
    if (it == perWindowTable().constEnd()) {
        m_settings->writeInt(kLocations, n + "Top", p.top);
        m_settings->writeInt(kLocations, n + "Left", p.left);
        m_settings->writeInt(kLocations, n + "Height", p.height);
        m_settings->writeInt(kLocations, n + "Width", p.width);
        m_settings->writeInt(kLocations, n + "Windowstate", p.state);
        return;
    }
    const PerWindow& w = *it;
    if (w.storesState)
        m_settings->writeInt(kConfigs, w.prefix + "WindowState", p.state);
    const QString& s = w.positionSection;
    m_settings->writeInt(s, w.prefix + "Top", p.top);
    m_settings->writeInt(s, w.prefix + "Left", p.left);
    if (w.width > 0) {
        m_settings->writeInt(s, w.prefix + "Width", p.width);
        m_settings->writeInt(s, w.prefix + "Height", p.height);
    }
}

Placement WindowPlacement::restore(QWidget* window, QWidget* mainWindow) {
    const QString name = window->objectName();
    if (!keepsPlacement(name)) {
        Placement none;
        none.hasPosition = none.hasSize = false;
        none.defaultPosition = none.defaultSize = true;
        return none;
    }
    QWidget* frame = frameOf(window);
    QSize screenTwips(toTwips(1024), toTwips(768));
    QRect available;
    if (const QScreen* screen = frame->screen() ? frame->screen() : QGuiApplication::primaryScreen()) {
        screenTwips = QSize(toTwips(screen->size().width()), toTwips(screen->size().height()));
        available = screen->availableGeometry();
    }
    QSize mainTwips = screenTwips;
    if (mainWindow && mainWindow != window)
        mainTwips = QSize(toTwips(mainWindow->width()), toTwips(mainWindow->height()));
    Placement p = read(name, screenTwips, mainTwips);
    const bool child = qobject_cast<QMdiSubWindow*>(frame);
    // Half of a small screen cuts the main window's status bar: never placed, it takes the whole screen, maximised,
    // and as large as the screen's free area where nothing maximises it (an X server without a window manager).
    if (!child && frame->isWindow() && p.defaultSize && p.state == 0) {
        p.state = 2;
        if (available.isValid() && p.defaultPosition) {
            p.top = toTwips(available.top());
            p.left = toTwips(available.left());
            p.width = toTwips(available.width());
            p.height = toTwips(available.height());
        }
    }
    if (p.hasSize) {
        QSize size(qMax(1, toPixels(p.width)), qMax(1, toPixels(p.height)));
        // A designed size was drawn for the layout's font, as the window's controls were; half the screen is the
        // main window's own first size, so a child window never placed takes the size of its contents when it
        // is first shown.
        if (p.defaultSize && child)
            size = perWindowTable().contains(name) ? QSize(LayoutTwips::toPixels(window, this, p.width),
                                                           LayoutTwips::toPixels(window, this, p.height))
                                                   : QSize(1, 1);
        frame->resize(size);
    }
    if (p.hasPosition)
        frame->move(toPixels(p.left), toPixels(p.top));
    // A child window takes its state when it is first shown (a hidden MDI frame ignores it).
    if (child && !frame->isVisible()) {
        frame->setProperty(kPendingState, p.state);
        return p;
    }
    // A hidden top-level window (the main window during start-up) keeps the state for its show(), which comes
    // later.
    if (frame->isWindow() && !frame->isVisible()) {
        if (p.state == 2)
            frame->setWindowState(frame->windowState() | Qt::WindowMaximized);
        else if (p.state == 1)
            frame->setWindowState(frame->windowState() | Qt::WindowMinimized);
        return p;
    }
    applyState(frame, p.state);
    return p;
}

void WindowPlacement::applyState(QWidget* frame, int state) {
    if (state == 2)
        frame->showMaximized();
    else if (state == 1)
        frame->showMinimized();
}

void WindowPlacement::applyPendingState(QWidget* frame) {
    const QVariant pending = frame->property(kPendingState);
    if (!pending.isValid())
        return;
    frame->setProperty(kPendingState, QVariant());
    applyState(frame, pending.toInt());
}

void WindowPlacement::save(QWidget* window) {
    const QString name = window->objectName();
    if (!keepsPlacement(name))
        return;
    QWidget* frame = frameOf(window);
    Placement p;
    const Qt::WindowStates st = frame->windowState();
    p.state = st.testFlag(Qt::WindowMinimized) ? 1 : st.testFlag(Qt::WindowMaximized) ? 2 : 0;
    // A minimised or maximised window stores the geometry it shows in that state. The position is the frame's,
    // as move() takes it on restore; the size is the client area's, as resize() takes it.
    p.top = toTwips(frame->y());
    p.left = toTwips(frame->x());
    p.width = toTwips(frame->width());
    p.height = toTwips(frame->height());
    write(name, p);
}
