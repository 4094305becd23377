// What reaches the monitor without the user choosing it, against the simulated monitor of each family over a
// pseudo-terminal: opening every window the family offers sends no setting; a factory button sends neither a value
// nobody read nor one the application mode locks; "Set" beside a number nobody read sends nothing, and an emptied
// one only after a Yes.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "model/BoardIdentity.h"
#include "model/MonitorModel.h"
#include "model/windows/FrmSetModelAndSerialNumber.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// Bounds that only keep a broken build from hanging; nothing is measured against them.
constexpr int connectWithinMs = 15000;
constexpr int answersWithinMs = 20000;

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

const char* const windowItems[] = {"mnuAdjustVideo",
                                   "mnuAdjustGeometry",
                                   "mnuAdjustmentConvergence",
                                   "mnuAdjustmentConvergenceGoals",
                                   "mnuAdjustmentBrightnessContrast",
                                   "mnuAdjustHV",
                                   "mnuConfigureBacklight",
                                   "mnuConfigureHeater",
                                   "mnuConfigureSelectScanSet",
                                   "mnuConfigureModelAndSerialNumber",
                                   "mnuConfigureOperatingMode",
                                   "mnuConfigureVideoMode",
                                   "mnuDiagnosticsDeflHV",
                                   "mnuInfoLimits"};

// The tool connected to a simulated monitor of a profile, with every setting request ("c...") it receives.
struct Online {
    ToolHarness h;
    sim::PtySimulator* simulator = nullptr;
    QStringList settings;

    Online(const QString& profile, const QString& settingsText) : h(ToolHarness::Port::Real, settingsText) {
        sim::SimOptions options;
        options.profile = profile;
        simulator = h.startWithSimulator(options);
        QObject::connect(simulator, &sim::PtySimulator::requestHandled, simulator,
                         [this](const QByteArray& request, const QByteArray&) {
                             if (request.startsWith('c'))
                                 settings << QString::fromLatin1(request);
                         });
    }
    bool connected(const QString& profile) {
        const int cls = qRound(profile.toDouble() * 100);
        return h.waitFor([&] { return h.ctx().model->firmwareClass == cls && h.linkIdle(); }, connectWithinMs);
    }
    bool open(const char* item) {
        return h.chooseMenu(item) && h.waitFor([&] { return h.linkIdle(); }, answersWithinMs);
    }
    template <class T> T* control(const QString& name) { return h.app().mainWindow()->findChild<T*>(name); }
};

} // namespace

class UnchosenWritesEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void openingEveryWindowSendsNoSetting_data() {
        QTest::addColumn<QString>("profile");
        for (const char* profile : {"1.38", "2.10", "3.15", "4.05"})
            QTest::newRow(profile) << QString::fromLatin1(profile);
    }
    void openingEveryWindowSendsNoSetting() {
        QFETCH(QString, profile);
        Online t(profile, factoryMode);
        QVERIFY(t.connected(profile));
        int opened = 0;
        for (const char* item : windowItems) {
            if (!t.h.app().mainWindow()->menus()->action(QLatin1String(item))->isEnabled())
                continue;
            QVERIFY2(t.open(item), item);
            ++opened;
        }
        QVERIFY(opened >= 4);
        QVERIFY2(t.settings.isEmpty(), qPrintable(t.settings.join(' ')));
    }

    void factoryButtonSendsOnlyKnownValuesTheModeAllows_data() {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<QString>("settingsText");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("never");
        // The first family is never asked for its north-south factory values.
        QTest::newRow("1.38 geometry") << "1.38" << factoryMode << "mnuAdjustGeometry"
                                       << "frmGeometryAdj"
                                       << "Command1" << QStringList{"cds"};
        // Installation mode greys the colour balance and the +80 V adjustment.
        QTest::newRow("2.10 colour balance, Installation mode")
            << "2.10" << QString() << "mnuAdjustVideo"
            << "frmVideoAdj"
            << "VideoRestoreFactoryDefaultsButton" << QStringList{"cdl", "cdb0"};
    }
    void factoryButtonSendsOnlyKnownValuesTheModeAllows() {
        QFETCH(QString, profile);
        QFETCH(QString, settingsText);
        QFETCH(QString, item);
        QFETCH(QString, window);
        QFETCH(QString, button);
        QFETCH(QStringList, never);
        Online t(profile, settingsText);
        QVERIFY(t.connected(profile));
        QVERIFY(t.open(item.toLatin1().constData()));
        t.h.ctx().windows->find(window)->findChild<QPushButton*>(button)->click();
        QVERIFY(t.h.waitFor([&] { return t.h.linkIdle(); }, answersWithinMs));
        for (const QString& setting : std::as_const(t.settings))
            for (const QString& prefix : never)
                QVERIFY2(!setting.startsWith(prefix), qPrintable(setting));
    }

    void setBesideAnUnreadNumber() {
        Online t(QStringLiteral("2.10"), factoryMode);
        QVERIFY(t.connected(QStringLiteral("2.10")));
        QVERIFY(t.open("mnuConfigureModelAndSerialNumber"));
        const BoardIdentity::Row* board = nullptr;
        for (const BoardIdentity::Row& row : BoardIdentity::rows())
            if (row.boardOnlyOnSetWindow && row.board && !board)
                board = &row;
        QVERIFY(board);
        auto* box = t.control<QLineEdit>(QString::fromLatin1(board->box));
        auto* set = t.control<QPushButton>(QString::fromLatin1(board->button));
        QVERIFY(box->text().isEmpty());
        set->click();
        QVERIFY(t.h.waitFor([&] { return t.h.linkIdle(); }, answersWithinMs));
        QCOMPARE(t.settings, QStringList());

        QTest::keyClicks(box, QStringLiteral("PN-7"));
        set->click();
        QVERIFY(t.h.waitFor([&] { return t.settings.size() == 1 && t.h.linkIdle(); }, answersWithinMs));
        QVERIFY(t.settings.first().endsWith("PN-7"));

        // Emptied by the user: asked first; No sends nothing.
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        t.h.dialogs.answers.enqueue(Dialogs::AnswerNo);
        set->click();
        QVERIFY(t.h.waitFor([&] { return t.h.linkIdle(); }, answersWithinMs));
        QCOMPARE(t.h.dialogs.texts(),
                 QStringList{FrmSetModelAndSerialNumber::eraseQuestion(QString::fromLatin1(board->caption))});
        QCOMPARE(t.settings.size(), 1);
    }
};

QTEST_MAIN(UnchosenWritesEndToEndTest)
#include "tst_e2e_unchosenwrites.moc"
