// The high-voltage windows reached through "&High Voltage": the HV window on a CRT that reports no G2 adjustment
// board, "Adjust High Voltage, Focus, G2" on one that does. The HV answer fills sliders, boxes and limits without
// sending anything back; each control sends its request.
#include "adjust/HvWindows.h"
#include "support/OnlineTool.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

namespace {
// 2.05 reports no capability: the HV window; 2.10 reports a G2 adjustment board: the G2 window.
const QHash<QString, QStringList> monitor = {
    {"dh",
     {"HV Control Value = 182, 180", "Focus Control Value = 120, 118", "G2 Control Value = 95, 80",
      "Video +80V Control Value = 140, 141", "Upper Limit = 230", "Lower Limit = 150", "Current Limit = 200"}},
    {"dx", {"Capability = 0x7D"}}};
// A monitor whose HV, focus and G2 fit the 6-bit rows.
const QHash<QString, QStringList> sixBitMonitor = {
    {"dh", {"HV Control Value = 40, 41", "Focus Control Value = 20, 21", "G2 Control Value = 30, 31"}},
    {"dx", {"Capability = 0x7D"}}};
} // namespace

class HvWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void hvWindowShowsTheAnswerAndSendsNothingBack() {
        OnlineTool t("2.05", monitor);
        QVERIFY(t.choose("mnuAdjustHV"));
        auto* w = qobject_cast<FrmMDI_HV*>(t.window("frmMDI_HV"));
        QVERIFY(w && w->parentWidget()->isVisible());
        QCOMPARE(w->windowTitle(), QString("High Voltage"));
        QCOMPARE(t.sent(), QString("dh|"));
        const QList<int> present{182, 120, 95, 140};
        const QStringList factory{"180", "118", "080", "141"};
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(t.get<QScrollBar>("frmMDI_HV", QString("HScroll1(%1)").arg(k))->value(), present[k]);
            QCOMPARE(t.get<QLineEdit>("frmMDI_HV", QString("Text1(%1)").arg(k))->text(), QString::number(present[k]));
            QCOMPARE(t.get<QLineEdit>("frmMDI_HV", QString("Text2(%1)").arg(k))->text(), factory[k]);
        }
        QCOMPARE(t.get<QLineEdit>("frmMDI_HV", "HVUpperLimitTextBox")->text(), QString("230"));
        QCOMPARE(t.get<QLineEdit>("frmMDI_HV", "HVLowerLimitTextBox")->text(), QString("150"));
        t.get<QAbstractButton>("frmMDI_HV", "ReadADCButton")->click();
        QCOMPARE(t.sent(), QString("dh|"));
    }

    void g2WindowShowsValuesBeyondItsRangeWithoutTakingThem() {
        OnlineTool t("2.10", monitor);
        QVERIFY(t.choose("mnuAdjustHV"));
        QCOMPARE(t.window("frmG2")->windowTitle(), QString("Adjust High Voltage, Focus, G2"));
        // G2 95, HV 182 and focus 120 are beyond the 6-bit rows: shown as they are, their rows locked, nothing sent.
        QCOMPARE(t.sent(), QString("dh|da|"));
        const QStringList held{"95", "182", "120"};
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(t.get<QLabel>("frmG2", QString("Label2(%1)").arg(k))->text(), held[k]);
            QVERIFY(!t.get<QScrollBar>("frmG2", QString("HScroll1(%1)").arg(k))->isEnabled());
        }
        // The monitor's default as it reported it, not cut to the rows' range.
        QCOMPARE(t.get<QLabel>("frmG2", "Label4(0)")->text(), QString("80"));
        QVERIFY(t.get<QLabel>("frmG2", "lblBeyondRange")->text().contains("G2 95, HV 182, Focus 120"));
        t.get<QAbstractButton>("frmG2", "btnHighVoltage")->click();
        QVERIFY(t.window("frmMDI_HV")->isVisible());
    }

    void requests_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed"); // slider position, or the text of the limit box beside the button
        QTest::addColumn<QString>("expected");
        const char* rows[][4] = {
            {"2.05", "HScroll1(0)", "100", "chh100|"},
            {"2.05", "HScroll1(1)", "90", "chf90|"},
            {"2.05", "HScroll1(2)", "0", "chg0|"},
            {"2.05", "HScroll1(3)", "255", "chv255|"},
            {"2.05", "HVUpperLimitSetButton", "25", "chu25|"},
            {"2.05", "HVUpperLimitSetButton", "", "chu|"},
            {"2.05", "HVLowerLimitSetButton", " 140", "chl 140|"},
            {"2.05", "btnRestoreFactoryDefaults", "", "chr|dh|"},
            {"2.10", "HScroll1(0)", "12", "chg12|"},
            {"2.10", "HScroll1(1)", "30", "chh30|"},
            {"2.10", "HScroll1(2)", "40", "chf40|"},
            {"2.10", "btnUseFactoryDefaults", "", "chr|dh|"},
        };
        for (const auto& r : rows)
            QTest::newRow(qPrintable(QString("%1 %2 '%3'").arg(r[0], r[1], r[2]))) << r[0] << r[1] << r[2] << r[3];
    }
    void requests() {
        QFETCH(QString, version);
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        OnlineTool t(version, version == "2.05" ? monitor : sixBitMonitor);
        QVERIFY(t.choose("mnuAdjustHV"));
        const QString window = version == "2.05" ? "frmMDI_HV" : "frmG2";
        t.sent();
        if (auto* slider = t.window(window)->findChild<QScrollBar*>(control)) {
            slider->setValue(typed.toInt());
        } else {
            if (control.startsWith("HV"))
                t.get<QLineEdit>(window, QString(control).replace("SetButton", "TextBox"))->setText(typed);
            t.get<QAbstractButton>(window, control)->click();
        }
        // The restore's read brings the answer's values back, which are not sent either.
        QCOMPARE(t.sent(), expected);
    }
};

QTEST_MAIN(HvWindowsTest)
#include "tst_hvwindows.moc"
