#pragma once
// The monitor's option and state values that no DAC table holds: the flat panel's heater, fan, filament duty
// cycles and photocell, deflection and HV enable, the video source, the brightness and contrast limits, hysteresis
// and software control, the operating mode, and the boot block. Each keeps where it came from, so that a window
// shows nothing selected (and says why) for a state nobody read or chose, and nothing sends it back. None of them
// is kept in the data file: they describe the monitor on this connection, and a reconnection forgets them all.
#include "model/Origin.h"

#include <QFlags>
#include <QString>
#include <QStringList>

#include <array>

// A value with where it came from; a value not known holds its type's start value.
template <class T> class Reported {
public:
    const T& value() const { return m_value; }
    Origin origin() const { return m_origin; }
    bool known() const { return m_origin != Origin::Unknown; }
    void set(const T& v, Origin from) {
        m_value = v;
        m_origin = from;
    }
    void forget() { *this = Reported(); }

private:
    T m_value{};
    Origin m_origin = Origin::Unknown;
};

struct MonitorStates {
    // The parts a window shows, and an answer or a window's choice changes.
    enum class Part : unsigned {
        HeaterFan = 1,
        Backlight = 2,    // filament duty cycles, photocell, status messages
        DeflectionHv = 4, // deflection and HV enable
        VideoSource = 8,
        PanelControls = 16, // brightness and contrast limits, hysteresis, software control
        OperatingMode = 32,
        BootBlock = 64,
    };
    Q_DECLARE_FLAGS(Parts, Part)

    enum Heater { HeaterAutomatic, HeaterForcedOff, HeaterForcedOn };
    enum Fan { FanAutomatic, FanForcedOff, FanQuarter, FanHalf, FanFull };
    enum VideoSource { VideoExternal, VideoBlack, VideoWhite };
    static constexpr int limitCount = 8; // contrast day lower, day upper, night lower, night upper; brightness alike

    Reported<int> heater;
    Reported<int> fan;
    // The filament duty cycles as the monitor words them.
    Reported<QString> filamentWarmup;
    Reported<QString> filamentSteady;
    Reported<QString> filamentImmediate;
    Reported<bool> photocellEnabled;
    // The monitor never reports these: known only once the user switched them (or its echo of that).
    Reported<bool> statusMessages;
    Reported<bool> deflectionEnabled;
    Reported<bool> hvEnabled;
    Reported<int> videoSource;
    // Panel status: limits in the order the "cpl" requests number them, hysteresis, and whether the software
    // controls contrast and brightness (true) or the monitor's own controls do.
    Reported<std::array<int, limitCount>> limits;
    Reported<int> contrastHysteresis;
    Reported<int> brightnessHysteresis;
    Reported<bool> contrastSoftware;
    Reported<bool> brightnessSoftware;
    // The operating mode as "cw" takes it (bit 8 colour, 2 and 1 the user brightness and contrast controls off at
    // start-up); the model-type answer reports bit 8 the other way round.
    Reported<int> operatingMode;
    // The boot-block bytes (two hexadecimal digits each, up to nine) and the auto-boot word.
    Reported<QStringList> bootBlock;
    Reported<QString> autoBoot;

    // Every state not known: another monitor, or the same one again, may hold others.
    void forget() { *this = MonitorStates(); }
};
Q_DECLARE_OPERATORS_FOR_FLAGS(MonitorStates::Parts)
