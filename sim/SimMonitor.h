#pragma once

#include "sim/IntelHex.h"
#include "sim/SimProfile.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QVector>

namespace sim {

enum class DacTable { Current, Factory, Initial };

enum class DownloadTarget { None, Flash, Sram };

// The DAC values of one group, per DAC index (0 to 9) and scan set (0 to 5).
struct DacGroupState {
    static constexpr int maxDacs = 10;
    static constexpr int scanSets = 6;

    QVector<int> current = QVector<int>(maxDacs * scanSets, 0);
    QVector<int> factory = QVector<int>(maxDacs * scanSets, 0);
    QVector<int> initial = QVector<int>(maxDacs * scanSets, 0);

    QVector<int>& table(DacTable t) {
        return t == DacTable::Current ? current : t == DacTable::Factory ? factory : initial;
    }
    const QVector<int>& table(DacTable t) const {
        return t == DacTable::Current ? current : t == DacTable::Factory ? factory : initial;
    }
    int value(DacTable t, int index, int scanSet) const { return table(t).value(index * scanSets + scanSet, 0); }
    void setValue(DacTable t, int index, int scanSet, int v) {
        if (index >= 0 && index < maxDacs && scanSet >= 0 && scanSet < scanSets)
            table(t)[index * scanSets + scanSet] = v;
    }
};

struct ScanSetState {
    QString name;
    bool enabled = false;
    double hFreqKHz = 0;
    double vFreqHz = 0;
};

struct BoardIdentity {
    QString part;
    QString serial;
};

// Operating time as the controller keeps it: the total at the last power-on or set, and this session.
struct OperatingTime {
    int days = 0;
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    qint64 sessionSeconds = 0;
    int cycles = 0;
};

// Everything the controller stores or reports. Public so that tests can inspect and prepare it.
struct MonitorState {
    SimProfile profile;
    bool bootMode = false;

    // Boot block and flash.
    bool flashValid = true;
    bool autoBoot = true;
    quint8 bootUnconditional = 0x00;
    quint8 abortAutoBoot = 0x00;
    QByteArray flash;    // whole flash, erased bytes 0xFF
    QByteArray sram;     // whole test-program RAM
    HexImage flashImage; // bytes programmed since the last erase
    HexImage sramImage;  // bytes loaded since the last "bs"
    bool sramLoaded = false;
    bool sramRunning = false;
    DownloadTarget downloadTarget = DownloadTarget::None;
    quint32 addressBase = 0;
    quint32 startAddress = 0;
    int recordsAccepted = 0;  // in the running download
    int recordRejections = 0; // of the record now expected, by the reject-record fault

    // Identity, by board letter "c", "d", "f", "g", "h", "l", "p", "s", "t", "u", "v".
    QMap<char, BoardIdentity> boards;
    OperatingTime time;

    // DAC groups by letter "l", "b", "h", "v", "s", "a", "d", "e", "g", "i", "k".
    QMap<char, DacGroupState> dacs;
    int currentScanSet = 0;
    QVector<ScanSetState> scanSets;
    // Low-brightness colour offsets (signed, -128 to 127), index 0 to 5.
    QVector<int> offsetCurrent = QVector<int>(6, 0);
    QVector<int> offsetFactory = QVector<int>(6, 0);
    QVector<int> offsetInitial = QVector<int>(6, 0);

    // Panel status and brightness/contrast regulation.
    bool photocellEnabled = true;
    QVector<int> limits = QVector<int>(8, 0); // indexed as the "cpl" requests: 0-3 contrast, 4-7 brightness
    int hysteresisContrast = 1;
    int hysteresisBrightness = 1;
    bool userContrast = false;   // true: the monitor's own control governs contrast
    bool userBrightness = false; // likewise brightness
    int operatingMode = 0;       // as set by "cw": 32 BIT, 16 emulator, 8 colour, 4 DAC updating, 2/1 user ctl off
    bool heaterForced = false;
    bool heaterOn = false;
    bool fanForced = false;
    int fanSpeed = 0; // 0 off, 1 quarter, 2 half, 3 full

    // High voltage, focus, G2 and video +80 V: present and default control values.
    QVector<int> hvControl = QVector<int>(4, 0); // 0 HV, 1 focus, 2 G2, 3 +80 V
    QVector<int> hvDefault = QVector<int>(4, 0);
    int hvUpperLimit = 0;
    int hvLowerLimit = 0;
    int anodeCurrentLimit = 0;
    bool deflectionEnabled = true;
    bool hvEnabled = true;

    // Flat-panel backlight filament duty cycles.
    int filamentSteady = 0;
    int filamentWarmup = 0;
    int filamentImmediate = 0;

    // Peek and poke.
    quint16 peekAddress = 0;
    QByteArray memory; // 64 KiB

    // I2C devices by their even (write) address: "OK", "NR" or "NC". Absent addresses do not respond.
    QMap<int, QString> i2cDevices;
    bool ledsOn = false;

    // Switches.
    bool checking = true;
    bool verbose = false;
    bool statusMessages = false;
    bool convergenceOn = true;
    int videoSource = 0; // 0 external, 1 black, 2 white
    int degaussCount = 0;

    qint64 uptimeSeconds = 0; // drives the slow drift of the test-point readings
    int adcReads = 0;
};

// One request line and the controller's complete answer to it.
struct Exchange {
    QByteArray request; // the line as received, without its line end
    QByteArray answer;  // echo, reply lines and prompt (or error text and "!"); empty while silent
    DownloadTarget completed = DownloadTarget::None; // a download that this answer finished
};

// The monitor's controller as a state machine: bytes in, answers out. No I/O and no clock: the
// transport feeds received bytes and calls advanceTime() as time passes.
class SimMonitor {
public:
    static constexpr int flashSize = 0x20000;
    static constexpr int sramSize = 0x10000;
    static constexpr int maxLineLength = 600;

    explicit SimMonitor(const SimProfile& profile = SimProfile::byName(SimProfile::defaultName()),
                        bool bootMode = false);

    // Feeds received bytes; returns one exchange per completed line, in order.
    QList<Exchange> feed(const QByteArray& bytes);
    // Answers one line (without line end) as if it had been received.
    QByteArray handleLine(const QByteArray& line);
    // Lets time pass: operating time and the drift of the readings.
    void advanceTime(int seconds);

    MonitorState& state() { return m_state; }
    const MonitorState& state() const { return m_state; }
    const SimProfile& profile() const { return m_state.profile; }
    bool bootMode() const { return m_state.bootMode; }
    int dac(char group, DacTable table, int index, int scanSet) const;
    int dac(char group, int index) const { return dac(group, DacTable::Current, index, m_state.currentScanSet); }
    const HexImage& flashImage() const { return m_state.flashImage; }
    const HexImage& sramImage() const { return m_state.sramImage; }

    // Number of DAC values that the read of a group reports (and the valid set indices below it,
    // plus index 8 for "h").
    static int reportedCount(char group);
    static QByteArray groupLetters() { return QByteArrayLiteral("lbhvsadegik"); }
    // Largest value of a DAC: 63 for the six-bit north-south and convergence digipots, 127 for the
    // S-capacitor switch, 255 otherwise.
    static int maxValue(char group, int index);

    // Faults that live in the controller: an unplugged monitor and rejected records.
    void setSilent(bool silent);
    bool isSilent() const { return m_silent; }
    // Falls silent after n more answers (n < 0: never).
    void setSilentAfter(int n);
    int answersGiven() const { return m_answersGiven; }
    // One voltage drifts by counts at each test-point read (the anode voltage of a CRT, the first supply of a
    // flat panel), as a monitor burning in might.
    void setDrift(int counts) { m_drift = counts; }
    // Rejects the k-th record of each download (1 = the first) the first `times` times it arrives.
    void setRejectRecord(int k, int times);

    // Power-on reset: volatile state back to its power-on values.
    void reset();

private:
    using Handler = QByteArray (SimMonitor::*)(const QByteArray& line, const QByteArray& args);

    char prompt() const { return m_state.bootMode ? '$' : '#'; }
    QByteArray reply(const QByteArray& echo, const QStringList& lines = {}) const;
    QByteArray ack(const QByteArray& echo, const QString& what) const;
    QByteArray error(const QByteArray& echo, const QString& text) const;

    void initialise();
    QByteArray dispatch(const QByteArray& line);
    QByteArray handleRecord(const QByteArray& line);

    QByteArray readTestPoints(const QByteArray& line);
    QByteArray readBootBlock(const QByteArray& line);
    QByteArray readCurrentScanSet(const QByteArray& line);
    QByteArray readDacs(const QByteArray& line, const QByteArray& args);
    QByteArray readVersion(const QByteArray& line, bool rom);
    QByteArray readOffsets(const QByteArray& line, DacTable table);
    QByteArray readHv(const QByteArray& line);
    QByteArray readIdentity(const QByteArray& line, bool serial, const QByteArray& args);
    QByteArray readPanelStatus(const QByteArray& line);
    QByteArray readDutyCycle(const QByteArray& line, const QByteArray& args);
    QByteArray readOperatingTime(const QByteArray& line);
    QByteArray readSync(const QByteArray& line);

    QByteArray setDac(const QByteArray& line, char group, const QByteArray& args);
    QByteArray setOffset(const QByteArray& line, const QByteArray& args);
    QByteArray setIdentity(const QByteArray& line, bool serial, const QByteArray& args);
    QByteArray setOperatingTime(const QByteArray& line, char field, const QByteArray& args);
    QByteArray scanSetCommand(const QByteArray& line);
    QByteArray hvCommand(const QByteArray& line, const QByteArray& args);
    QByteArray flatPanelCommand(const QByteArray& line);
    QByteArray peekPoke(const QByteArray& line);
    QByteArray probeI2c(const QByteArray& line, const QByteArray& args);
    QByteArray bootCommand(const QByteArray& line);

    int reading(int base, int phase) const;
    void foldOperatingTime();
    bool boardKnown(char board, bool serial) const;

    MonitorState m_state;
    QByteArray m_lineBuffer;
    bool m_lineOverflow = false;
    bool m_lastWasCr = false;
    bool m_silent = false;
    int m_silentAfter = -1;
    int m_answersGiven = 0;
    int m_rejectRecord = 0;
    int m_rejectTimes = 0;
    int m_drift = 0;
};

// Plain number argument: optional "-" and decimal digits, or "0x" and hexadecimal digits; whole text.
bool parseSimNumber(const QByteArray& text, int* value);

} // namespace sim
