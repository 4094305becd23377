// Window placement: the generic "Locations" scheme and the per-window "Configs" scheme, in twips.
#include "link/windows/FrmChangeTries.h"
#include "link/windows/FrmConnect.h"
#include "platform/Settings.h"
#include "support/ToolHarness.h"
#include "ui/ChildWindow.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowRegistry.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QScreen>
#include <QtTest>

class PlacementTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<Settings> freshSettings(const QString& name) {
        return std::make_unique<Settings>(dir.filePath(name + ".conf"));
    }

private slots:
    void twipsConvertAtTheGivenDpi() {
        auto s = freshSettings("dpi");
        WindowPlacement p(s.get(), 96);
        QCOMPARE(p.toPixels(1440), 96);
        QCOMPARE(p.toTwips(96), 1440);
        QCOMPARE(p.toPixels(6345), 423);
    }

    void freshAccountDefaults_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        // Main window 12000 x 9000 twips: centred windows sit in its middle.
        QTest::newRow("comm log centred") << "frmCommLog" << (9000 - 7095) / 2 << (12000 - 6345) / 2 << 6345 << 7095;
        QTest::newRow("peek poke") << "frmPeekPoke" << 500 << 500 << 3585 << 2265;
        QTest::newRow("video config") << "frmVideoConfig" << 500 << 100 << 5835 << 5490;
        QTest::newRow("generic: half the screen") << "frmVideoAdj" << 0 << 0 << 10000 << 7500;
    }
    void freshAccountDefaults() {
        QFETCH(QString, window);
        QFETCH(int, top);
        QFETCH(int, left);
        QFETCH(int, width);
        QFETCH(int, height);
        auto s = freshSettings(QTest::currentDataTag());
        WindowPlacement p(s.get(), 96);
        const Placement r = p.read(window, QSize(20000, 15000), QSize(12000, 9000));
        QCOMPARE(r.state, 0);
        QCOMPARE(r.top, top);
        QCOMPARE(r.left, left);
        QCOMPARE(r.width, width);
        QCOMPARE(r.height, height);
    }

    void keysOfEachScheme() {
        auto s = freshSettings("keys");
        WindowPlacement p(s.get(), 96);
        Placement r;
        r.state = 2;
        r.top = 10;
        r.left = 20;
        r.width = 300;
        r.height = 400;
        p.write("frmMain", r);
        QCOMPARE(s->readText("Locations", "frmMainWindowstate", ""), QString("2"));
        QCOMPARE(s->readText("Locations", "frmMainHeight", ""), QString("400"));
        p.write("frmCommLog", r);
        QCOMPARE(s->readText("Configs", "CommLogWindowState", ""), QString("2"));
        QCOMPARE(s->readText("Configs", "CommLogLeft", ""), QString("20"));
        p.write("frmVideoConfig", r);
        QCOMPARE(s->readText("Configs", "VideoConfigWindowState", ""), QString("2"));
        QCOMPARE(s->readText("Layout", "VideoConfigTop", ""), QString("10"));
        QVERIFY(!s->contains("Configs", "VideoConfigTop"));
        // Only the position of the password and retry-limit windows; no state for the probe window.
        p.write("frmPassword", r);
        QVERIFY(s->contains("Configs", "PasswordTop"));
        QVERIFY(!s->contains("Configs", "PasswordWidth"));
        p.write("frmI2cProbe", r);
        QVERIFY(!s->contains("Configs", "I2cProbeWindowState"));
        QCOMPARE(s->readText("Configs", "I2cProbeWidth", ""), QString("300"));
        // Windows that keep no placement write nothing.
        QVERIFY(!WindowPlacement::keepsPlacement("frmAbout"));
    }

    void perWindowMaximisedIgnoresStoredGeometryButGenericAppliesIt() {
        auto s = freshSettings("max");
        s->writeText("Configs", "PeekPokeWindowState", "2");
        s->writeText("Configs", "PeekPokeTop", "7777");
        s->writeText("Locations", "frmVideoAdjWindowstate", "2");
        s->writeText("Locations", "frmVideoAdjTop", "7777");
        WindowPlacement p(s.get(), 96);
        const Placement perWindow = p.read("frmPeekPoke", QSize(20000, 15000), QSize(12000, 9000));
        QCOMPARE(perWindow.state, 2);
        QVERIFY(!perWindow.hasPosition);
        QVERIFY(!perWindow.hasSize);
        const Placement generic = p.read("frmVideoAdj", QSize(20000, 15000), QSize(12000, 9000));
        QCOMPARE(generic.state, 2);
        QVERIFY(generic.hasPosition);
        QCOMPARE(generic.top, 7777);
    }

    void unreadableValuesUseTheirDefaults() {
        auto s = freshSettings("bad");
        s->writeText("Configs", "PeekPokeTop", "north");
        s->writeText("Configs", "PeekPokeWindowState", "9");
        WindowPlacement p(s.get(), 96);
        const Placement r = p.read("frmPeekPoke", QSize(20000, 15000), QSize(12000, 9000));
        QCOMPARE(r.top, 500);
        QCOMPARE(r.state, 0);
    }

    void aChildWindowComesBackWhereItWasLeft() {
        ToolHarness h;
        h.start();
        auto* tries = h.ctx().windows->show<FrmChangeTries>();
        QMdiSubWindow* frame = qobject_cast<QMdiSubWindow*>(tries->parentWidget());
        QVERIFY(frame);
        frame->move(30, 40);
        frame->close(); // unloads and saves
        auto s = h.readBackSettings();
        WindowPlacement& wp = *h.ctx().placement;
        QCOMPARE(s->readText("Configs", "TriesTop", ""), QString::number(wp.toTwips(40)));
        QCOMPARE(s->readText("Configs", "TriesLeft", ""), QString::number(wp.toTwips(30)));
        QVERIFY(!s->contains("Configs", "TriesWidth"));
        QTRY_VERIFY(!h.ctx().windows->existing<FrmChangeTries>());
        auto* again = h.ctx().windows->show<FrmChangeTries>();
        QCOMPARE(again->parentWidget()->pos(), QPoint(30, 40));
    }

    // A child window never opens larger than the area it opens in, whether never placed (it takes the size of
    // its contents) or stored larger than the area (it scrolls).
    void aGenericWindowFirstFitsItsArea_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("never placed") << "";
        QTest::newRow("stored larger than the area") << "[Locations]\nfrmConnectWidth=30000\nfrmConnectHeight=20000\n";
    }
    void aGenericWindowFirstFitsItsArea() {
        QFETCH(QString, stored);
        ToolHarness h;
        h.writeSettings("[StartUp]\nRunType=1\n" + stored);
        h.start();
        QWidget* frame = h.ctx().windows->show<FrmConnect>()->parentWidget();
        const QSize area = frame->parentWidget()->size();
        QVERIFY(frame->width() <= area.width() && frame->height() <= area.height());
    }

    void theMainWindowComesBackWhereItWasLeft() {
        // Position and size that a run restores are saved unchanged by the next shut-down: a top-level window's
        // position includes its frame, its size does not.
        ToolHarness h;
        h.writeSettings("[StartUp]\nRunType=1\n[Locations]\nfrmMainTop=1500\nfrmMainLeft=3000\n"
                        "frmMainWidth=9000\nfrmMainHeight=6000\n");
        h.start();
        h.shutdown();
        auto s = h.readBackSettings();
        WindowPlacement& wp = *h.ctx().placement;
        QCOMPARE(s->readText("Locations", "frmMainTop", ""), QString::number(wp.toTwips(wp.toPixels(1500))));
        QCOMPARE(s->readText("Locations", "frmMainLeft", ""), QString::number(wp.toTwips(wp.toPixels(3000))));
        QCOMPARE(s->readText("Locations", "frmMainWidth", ""), QString::number(wp.toTwips(wp.toPixels(9000))));
        QCOMPARE(s->readText("Locations", "frmMainHeight", ""), QString::number(wp.toTwips(wp.toPixels(6000))));
    }

    void theMainWindowOpensMaximisedUnlessASizeIsStored_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("maximised");
        QTest::newRow("stored maximised") << "frmMainWindowstate"
                                          << "2" << true;
        QTest::newRow("first start") << QString() << QString() << true;
        QTest::newRow("stored size") << "frmMainWidth"
                                     << "9000" << false;
    }
    void theMainWindowOpensMaximisedUnlessASizeIsStored() {
        // Start-up restores the main window's placement first and shows the window last.
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(bool, maximised);
        auto s = freshSettings("mainmax" + key);
        if (!key.isEmpty())
            s->writeText("Locations", key, value);
        WindowPlacement p(s.get(), 96);
        QWidget main;
        main.setObjectName("frmMain");
        p.restore(&main, nullptr);
        QVERIFY(!main.isVisible());
        main.show();
        QCOMPARE(main.isMaximized(), maximised);
        // Where nothing maximises it, the first start still takes the screen's free area.
        if (key.isEmpty())
            QCOMPARE(main.normalGeometry().size(), main.screen()->availableSize());
    }

    void aMaximisedWindowReopensMaximised() {
        ToolHarness h;
        h.writeSettings("[Configs]\nTriesWindowState=2\nTriesTop=4000\n");
        h.start();
        auto* frame = h.ctx().windows->show<FrmChangeTries>()->parentWidget();
        QVERIFY(frame->isMaximized());
        frame->showNormal();
        // Reopened maximised, the stored position was not applied.
        QVERIFY(frame->y() != h.ctx().placement->toPixels(4000));
        frame->showMinimized();
        frame->close();
        QCOMPARE(h.readBackSettings()->readText("Configs", "TriesWindowState", ""), QString("1"));
        QTRY_VERIFY(!h.ctx().windows->existing<FrmChangeTries>());
        QVERIFY(h.ctx().windows->show<FrmChangeTries>()->parentWidget()->isMinimized());
    }
};

QTEST_MAIN(PlacementTest)
#include "tst_placement.moc"
