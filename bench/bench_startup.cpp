// Start-up to the first paint of the main window, as a process of its own: built once as the tool (its whole
// start-up, as the program entry runs it) and once as the smallest Qt program with a main window, a child-window
// area and menus. Each run ends the process at that first paint; bench/startup.sh runs both and compares.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

#ifdef STARTUP_TOOL
#include "app/Application.h"
#include "app/FrmMain.h"
#endif

namespace {

QElapsedTimer sinceMain;

// Ends the process at the first paint of anything in the main window, reporting the time since main() began.
class FirstPaint : public QObject {
public:
    QWidget* mainWindow = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && mainWindow && widget && widget->window() == mainWindow) {
            std::printf("%.3f\n", double(sinceMain.nsecsElapsed()) / 1e6);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return QObject::eventFilter(watched, event);
    }
};

#ifndef STARTUP_TOOL
// A main window as small as a Qt program can have it: a child-window area and a few menus of a few items.
std::unique_ptr<QMainWindow> minimalMainWindow() {
    auto window = std::make_unique<QMainWindow>();
    window->setWindowTitle(QStringLiteral("Minimal"));
    window->setCentralWidget(new QMdiArea(window.get()));
    for (const char* menu : {"&File", "&Monitor", "&Window", "&Help"}) {
        QMenu* m = window->menuBar()->addMenu(QString::fromLatin1(menu));
        for (int i = 0; i < 5; ++i)
            m->addAction(QStringLiteral("Item %1").arg(i + 1));
    }
    return window;
}
#endif

} // namespace

int main(int argc, char* argv[]) {
    sinceMain.start();
    QApplication qapp(argc, argv);
    FirstPaint watch;
    qapp.installEventFilter(&watch);
#ifdef STARTUP_TOOL
    QApplication::setOrganizationName(QStringLiteral("Kestrane"));
    QApplication::setApplicationName(QStringLiteral("OrvexMon"));
    Application app;
    // The main window is shown last in start-up; its first paint comes from the event loop.
    app.start(StartOptions());
    watch.mainWindow = app.mainWindow();
#else
    std::unique_ptr<QMainWindow> window = minimalMainWindow();
    watch.mainWindow = window.get();
    window->show();
#endif
    // A start-up that never paints is a failure, not a hang.
    QTimer::singleShot(30000, [] {
        std::fprintf(stderr, "no paint of the main window within 30 s\n");
        std::_Exit(1);
    });
    return QApplication::exec();
}
