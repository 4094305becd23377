// "Adjust Brightness and Contrast" reached through the Adjustment menu of a connected tool: its reads by firmware
// class, each button and option's requests, the answers filling it without being sent back, its defaults panels
// and the start-up options that drive the operating mode.
#include "adjust/FrmBrightnessContrast.h"
#include "model/MonitorModel.h"
#include "support/OnlineTool.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

namespace {
const QString window = QStringLiteral("frmBrightnessContrast");
const QHash<QString, QStringList> videoValues = {
    {"ddl", {"200,128,1,2,3,4,5,6"}}, {"ddpl", {"201,129"}}, {"ddfl", {"190,120"}}};
} // namespace

class BrightnessContrastTest : public QObject {
    Q_OBJECT
private slots:
    void activationReadsByFirmwareClass_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("reads");
        QTest::newRow("1.38") << "1.38"
                              << "dw|ddl|ddpl|ddfl|";
        QTest::newRow("2.50") << "2.50"
                              << "du|dp|dw|ddl|ddpl|ddfl|";
        QTest::newRow("4.05") << "4.05"
                              << "du|dw|ddl|ddpl|ddfl|";
    }
    void activationReadsByFirmwareClass() {
        QFETCH(QString, version);
        QFETCH(QString, reads);
        OnlineTool t(version);
        QVERIFY(t.choose("mnuAdjustmentBrightnessContrast"));
        QCOMPARE(t.window(window)->windowTitle(), QString("Adjust Brightness and Contrast"));
        QCOMPARE(t.sent(), reads);
    }

    void requests_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("expected");
        const char* rows[][3] = {
            {"2.50", "Option1", "CPC1|"},
            {"2.50", "Option2", "CPC0|"},
            {"2.50", "Option3", "CPB1|"},
            {"3.15", "Option1", "CPC1|"},
            {"2.11", "Option1", "CP1|"},
            {"4.05", "Option4", "CP0|"},
            {"1.38", "Option1", ""},
            {"2.50", "btnSetDayContrastLowerLimit", "cpl0|dp|"},
            {"2.50", "btnDayContrastUpperLimit", "cpl1|dp|"},
            {"2.50", "btnNightContrastLowerLimit", "cpl2|dp|"},
            {"2.50", "Command2", "cpl6|dp|"},
            {"2.50", "Command4", "cpl7|dp|"},
            {"2.50", "btnSetHystC", "CPHC3|"},
            {"2.50", "btnSetHystB", ""}, // nothing read, nothing typed: no value to set
            {"2.50", "Command5", "cdlp|ddpl|"},
            {"2.50", "btnUseInitial1", "cdl0201|"},
            {"2.50", "btnUseFactory1", "cdl0190|"},
            {"2.50", "Command6", "cdl1120|"},
        };
        for (const auto& r : rows)
            QTest::newRow(qPrintable(QString("%1 %2").arg(r[0], r[1]))) << r[0] << r[1] << r[2];
    }
    void requests() {
        QFETCH(QString, version);
        QFETCH(QString, control);
        QFETCH(QString, expected);
        OnlineTool t(version, videoValues);
        QVERIFY(t.choose("mnuAdjustmentBrightnessContrast"));
        t.sent();
        // The user opens the panels to reach their buttons.
        t.get<QAbstractButton>(window, "btnSetDefaultsContrast")->click();
        t.get<QAbstractButton>(window, "btnSetDefaultsBrightness")->click();
        t.get<QLineEdit>(window, "txtHystC")->setText(" 3");
        QVERIFY(t.get<QAbstractButton>(window, control)->isVisibleTo(t.window(window)));
        t.get<QAbstractButton>(window, control)->click();
        QCOMPARE(t.sent(), expected);
    }

    void answersFillTheWindowWithoutSendingThemBack() {
        QHash<QString, QStringList> replies = videoValues;
        replies.insert("dw", {"Model Type = 3"});
        replies.insert("dp", {"0 0 V/H sync fail", "Limits 40,200,30,180,50,220,-5,210,3,2", "BC 1 0"});
        OnlineTool t("2.50", replies);
        QVERIFY(t.choose("mnuAdjustmentBrightnessContrast"));
        // Nothing shown goes back: not the present values, the limits, the hysteresis, the software control or the
        // start-up options.
        QCOMPARE(t.sent(), QString("du|dp|dw|ddl|ddpl|ddfl|"));
        const QStringList labels{"lblContrastPV", "Label18", "Label12",      "Label31",
                                 "Label15",       "Label33", "lblLimits(0)", "lblLimits(6)"};
        const QStringList shown{"200", "128", "201", "129", "190", "120", " 40", "-5"};
        for (int k = 0; k < labels.size(); ++k)
            QCOMPARE(t.get<QLabel>(window, labels[k])->text(), shown[k]);
        QCOMPARE(t.get<QLineEdit>(window, "txtHystB")->text(), QString(" 2"));
        QVERIFY(t.get<QAbstractButton>(window, "Option2")->isChecked());
        QVERIFY(t.get<QAbstractButton>(window, "Option3")->isChecked());
        // Software control of brightness is off: its slider is hidden.
        QVERIFY(t.get<QScrollBar>(window, "HScroll_Brightness")->isHidden());
        QVERIFY(!t.get<QScrollBar>(window, "HScroll_Contrast")->isHidden());
        QVERIFY(t.get<QAbstractButton>(window, "UserBrightnessDisabledOption")->isChecked());
        QVERIFY(t.get<QAbstractButton>(window, "UserContrastDisabledOption")->isChecked());

        // The user's start-up choice is the operating mode's: its window takes it and sends the mode (colour 8 +
        // user brightness off 2, as the model type left them).
        t.get<QAbstractButton>(window, "UserContrastEnabledOption")->click();
        QCOMPARE(t.sent(), QString("cw10|"));
        QVERIFY(t.get<QAbstractButton>("frmOperatingMode", "UserContrastEnabledOption")->isChecked());
    }

    void defaultsPanelsCollapseAndExpand() {
        OnlineTool t("4.05");
        QVERIFY(t.choose("mnuAdjustmentBrightnessContrast"));
        auto* w = static_cast<FrmBrightnessContrast*>(t.window(window));
        using UC = Catalogue::UserControl;
        QVERIFY(!w->defaultsPanelShown(UC::Contrast) && !w->defaultsPanelShown(UC::Brightness));
        t.get<QAbstractButton>(window, "btnSetDefaultsBrightness")->click();
        QVERIFY(w->defaultsPanelShown(UC::Brightness) && !w->defaultsPanelShown(UC::Contrast));
        QCOMPARE(t.get<QAbstractButton>(window, "btnSetDefaultsContrast")->text(),
                 QString("       Set/Use  Defaults/Limits"));
        t.get<QAbstractButton>(window, "btnOKDefaultsBrightness")->click();
        QVERIFY(!w->defaultsPanelShown(UC::Brightness));
        // The contrast panel pushes the brightness section down while it is open, and no further.
        const auto brightnessTop = [&] { return t.get<QWidget>(window, "Label16")->y(); };
        const int closed = brightnessTop();
        t.get<QAbstractButton>(window, "btnSetDefaultsContrast")->click();
        QVERIFY(brightnessTop() > t.get<QWidget>(window, "btnOKDefaultsContrast")->geometry().bottom());
        t.get<QAbstractButton>(window, "btnOKDefaultsContrast")->click();
        QCOMPARE(brightnessTop(), closed);
    }

    void contrastHysteresisByFamily_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("shown");
        QTest::newRow("2.15") << "2.15" << false;
        QTest::newRow("2.16") << "2.16" << true;
        QTest::newRow("3.15") << "3.15" << true;
        QTest::newRow("3.17") << "3.17" << false;
        QTest::newRow("4.05") << "4.05" << false;
    }
    void contrastHysteresisByFamily() {
        QFETCH(QString, version);
        QFETCH(bool, shown);
        OnlineTool t(version);
        t.h.ctx().windows->window<FrmBrightnessContrast>();
        for (const char* name : {"lblHystC", "txtHystC", "btnSetHystC"})
            QCOMPARE(!t.get<QWidget>(window, name)->isHidden(), shown);
    }
};

QTEST_MAIN(BrightnessContrastTest)
#include "tst_brightnesscontrast.moc"
