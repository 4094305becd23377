#pragma once
// Geometry: the vertical-deflection DACs, the horizontal-deflection DACs with the S-correction capacitor ("Horiz S
// Cap", 0 to 127), and on the monitors that have it the north-south correction (0 to 63, walked by the group's count of
// three although four rows are shown).
#include "protocol/FirmwareClass.h"
#include "ui/DacAdjustWindow.h"

class QLabel;

class FrmGeometryAdj : public DacAdjustWindow {
    Q_OBJECT
public:
    explicit FrmGeometryAdj(AppContext& ctx, QWidget* parent = nullptr);

    void onActivated() override;
    // The geometry window keeps its rows adjustable when another window becomes active.
    void onDeactivated() override {}

    // "Horiz S Cap" (horizontal index 8) read from the monitor.
    void showHorizontalSCap(DacKind kind, int value);

    static bool isFirstFamily(int firmwareClass) { return FirmwareClass::isClass1(firmwareClass); }
    static bool isSecondFamily(int firmwareClass) { return FirmwareClass::isClass2(firmwareClass); }

    DacRowGroup* verticalRows() const { return m_vertical; }
    DacRowGroup* horizontalRows() const { return m_horizontal; }
    DacRowGroup* sCapRows() const { return m_sCap; }
    DacRowGroup* northSouthRows() const { return m_northSouth; }

protected:
    void queueReads() override;

private:
    // The north-south rows by firmware class and capability, on activation with a monitor.
    void applyNorthSouthRule();
    // The north-south rows' values, or a note in their place that the monitor has no north-south correction.
    void showNorthSouthFitted(bool fitted);
    // The hint icons at a row's ends, towards 0 and towards Max.
    QList<QLabel*> addHints(const QString& array, int element, const char* lower, const char* higher, int top);

    DacRowGroup* m_vertical = nullptr;
    DacRowGroup* m_horizontal = nullptr;
    DacRowGroup* m_sCap = nullptr;
    DacRowGroup* m_northSouth = nullptr;
    QList<QLabel*> m_northSouthNotes;
    QList<QLabel*> m_northSouthHints;
};
