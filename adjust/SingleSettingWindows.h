#pragma once
// Windows that send one setting per control: the flat panel's heater and fan, the CRT's video source and degauss,
// and the enabling of deflection and high voltage. Each shows the state the model holds (nothing selected, with a
// note, while it is not known) and sends only the user's choice.
#include "adjust/SettingWindow.h"

#include <QList>

class QAbstractButton;

// "Heater and Fan Control".
// Activation asks for the panel status, whose heater and fan lines report the monitor's state.
class FrmFPHeaterFan : public SettingWindow {
    Q_OBJECT
public:
    explicit FrmFPHeaterFan(AppContext& ctx, QWidget* parent = nullptr);
    void onActivated() override;
    MonitorStates::Parts shownParts() const override { return MonitorStates::Part::HeaterFan; }
    void showStates() override;

private:
    QList<QAbstractButton*> m_heater; // by MonitorStates::Heater
    QList<QAbstractButton*> m_fan;    // by MonitorStates::Fan
    QLabel* m_note;
};

// "Video Mode": video source and degauss. Degauss acts on the tube at once; the wait between two cycles
// that the window asks for is the user's to keep.
// A flat panel has no tube to degauss: the button and its note are hidden for it. The monitor never reports its
// video source: the window shows the one chosen here on this connection.
class FrmVideoConfig : public SettingWindow {
    Q_OBJECT
public:
    explicit FrmVideoConfig(AppContext& ctx, QWidget* parent = nullptr);
    void onActivated() override;
    MonitorStates::Parts shownParts() const override { return MonitorStates::Part::VideoSource; }
    void showStates() override;

private:
    QList<QAbstractButton*> m_sources; // by MonitorStates::VideoSource
    QLabel* m_note;
};

// "Deflection & HV Enable/Disable". The monitor reports these states only in its "M" answers to the switching
// requests, so the window shows what was switched on this connection; only the user's choice switches the
// hardware.
class FrmDeflHVEnable : public SettingWindow {
    Q_OBJECT
public:
    explicit FrmDeflHVEnable(AppContext& ctx, QWidget* parent = nullptr);
    MonitorStates::Parts shownParts() const override { return MonitorStates::Part::DeflectionHv; }
    void showStates() override;

private:
    QList<QAbstractButton*> m_deflection; // enable, disable
    QList<QAbstractButton*> m_hv;         // enable, disable
    QLabel* m_note;
};
