#pragma once
// What the diagnostics answers show: a text for a named control of one or more windows. The windows set the
// text of their control of that name; a window without such a control ignores it.
#include <QFlags>
#include <QMetaType>
#include <QString>
#include <QVector>

enum class DiagWindow : unsigned {
    TestPoint = 1,         // frmTestPoint (first family)
    MdiTestPoints = 2,     // frmMDITestPoints
    CrtVoltages = 4,       // frmCRTVoltages
    FlatPanel = 8,         // frmFlatPanelTestPoints
    HvLimits = 16,         // frmHVLimits
    DeflectionStatus = 32, // frmDeflectionStatus
    HighVoltage = 64,      // frmMDI_HV
    G2 = 128,              // frmG2
    PeekPoke = 256,        // frmPeekPoke
};
Q_DECLARE_FLAGS(DiagWindows, DiagWindow)
Q_DECLARE_OPERATORS_FOR_FLAGS(DiagWindows)

struct ControlText {
    DiagWindows windows;
    QString control; // documented name; element i of a control array as "Name(i)"
    QString text;
};
using ControlTexts = QVector<ControlText>;

Q_DECLARE_METATYPE(ControlTexts)
