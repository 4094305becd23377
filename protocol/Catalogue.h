#pragma once
// Every request text the tool sends to the monitor, built in one place. The texts come without the line end:
// the transmit queue appends CR LF. An empty text means there is nothing to send (an empty scan-set name, a
// board or group letter that has no such request, a firmware class with no user-control request).
#include "protocol/AnswerHandlers.h"

#include <QChar>
#include <QString>
#include <QStringList>

namespace Catalogue {

// Argument encodings.
// Decimal digits, "-" in front of negative values, no blank.
QString plainNumber(int value);
// A blank in front of values of zero or more, "-" in front of negative ones (group "a" DAC index only).
QString spacedNumber(int value);

// Link control, boot block and firmware.
QString ping();                     // "p"
QString runFirmware();              // "g": leave the boot block
QString resetMonitor();             // "x"
QString runSram();                  // "f": run the program loaded into SRAM
QString setAutoBoot(bool enabled);  // "cb1" / "cb0"
QString eraseFlash();               // "bf3"
QString startSramLoad();            // "bs"
QString setChecking(bool enabled);  // "cz1" / "cz0"
QString terseMessages();            // "CU"
QString verboseMessages();          // "CV"
QString setStatusMessages(bool on); // "cv" / "cu"

// Data reads.
QString readTestPoints();               // "da"
QString readBootBlock();                // "db"
QString readCurrentScanSet();           // "dc"
QString readScanSetList();              // "ddn": index, enable flag and name of each scan set
QString readBootEpromVersion();         // "de"
QString readFirmwareVersion();          // "df"
QString readOffsets(DacKind kind);      // "dfd" current, "dff" factory, "dfp" initial
QString readHvControls();               // "dh"
QString readPanelStatus();              // "dp"
QString readPanelStatusForUpdate();     // "dps": the same answer, asked by Update All Data
QString readOperatingTime();            // "dt"
QString readOperatingTimeForControls(); // "du": asked by the user-control windows, answered like "dt"
QString readSyncFrequencies();          // "dv"
QString readModelType();                // "dw"
QString readCapability();               // "dx"

enum class FilamentSetting { Steady, Warmup, Immediate };
QString readFilament(FilamentSetting setting); // "drs", "drw", "drf"

// Board letters of the identity requests, lower case: c convergence, d deflection, f focus, g G2, h HV power
// supply, l LV power supply, p CPU, s monitor, t CRT, u monitor part number (part only), v video.
QString partNumberBoards();            // "cdfghlpstuv"
QString serialNumberBoards();          // "cdfghlpstv"
QString readPartNumber();              // "dm": no board letter (firmware class 1)
QString readSerialNumber();            // "ds": no board letter (firmware class 1)
QString readPartNumber(QChar board);   // "dm" + board
QString readSerialNumber(QChar board); // "ds" + board

// DAC groups, lower case. "n" (the scan-set list) is readable as current values only.
QString dacGroups();                        // "abdeghiklsv"
QString readDac(QChar group, DacKind kind); // "dd" / "ddf" / "ddp" + group

// A value setting of one DAC or control: the request text and its key, the request without the value ("cdd3"
// of "cdd3120"). The digits of index and value run together, so the key cannot be read back from the text; two
// settings with one key set the same thing. Empty texts (and keys) mean there is nothing to send.
struct Setting {
    QString key;
    QString text;
};
// key + the plain value; nothing for an empty key.
Setting setting(const QString& key, int value);

// DAC settings.
// "cda" + spaced (index + 1); "cdd", "cde", "cdg", "cdi", "cdk", "cds", "cdv", "cdh", "cdl", "cdb" + index.
QString dacKey(QChar group, int index);
Setting dacSetting(QChar group, int index, int value); // dacKey + value
QString setDac(QChar group, int index, int value);
QString setContrast(int value);   // "cdl0" + value: the "l" group's DAC 0
QString setBrightness(int value); // "cdl1" + value: the "l" group's DAC 1
// "cf" + index + slider position (0 to 255; the window shows position - 128).
QString offsetKey(int index);
Setting offsetSetting(int index, int sliderValue);
QString setOffset(int index, int sliderValue);
QString saveDacs(QChar group);             // "cd" + group + "p"
QString saveOffsets();                     // "cfp"
QString setConvergenceCorrection(bool on); // "cac1" / "cac0"

// Identity, time and scan sets. Typed texts are sent trimmed unless noted.
QString setPartNumber(QChar board, const QString& typed);   // "cm" + board + text
QString setSerialNumber(QChar board, const QString& typed); // "cs" + board + text
enum class OperatingField { Cycles, Hours, Days, Minutes, Seconds };
QString setOperatingField(OperatingField field, const QString& typed); // "coc", "coh", "cod", "com", "cos"
QString selectScanSet(int index);                                      // "CC" + index
QString setScanSetEnabled(int index, bool enabled);                    // "CCE" / "CCD" + index
// "ccn" + the name as typed, cut to 31 characters; empty for an empty name.
QString renameScanSet(const QString& name);
constexpr int scanSetNameLength = 31;
// "CDCC" then the saves of the groups it copies: "cdlp", "cdbp", "cdvp", "cdhp".
QStringList copyFirstScanSet();
QString setOperatingMode(int mask); // "cw" + mask

// High voltage, focus, G2, deflection, video.
enum class HvControl { HighVoltage, Focus, G2, Video80V };
QString hvControlKey(HvControl control);                // "chh", "chf", "chg", "chv"
Setting hvControlSetting(HvControl control, int value); // hvControlKey + value
QString setHvControl(HvControl control, int value);
QString setHvLowerLimit(const QString& typed);      // "chl" + text as typed
QString setHvUpperLimit(const QString& typed);      // "chu" + text as typed
QString setAnodeCurrentLimit(const QString& typed); // "cha" + text trimmed
QStringList restoreHvDefaults();                    // "chr" then "dh"
QString setDeflectionEnabled(bool enabled);         // "md1" / "md0"
QString setHvEnabled(bool enabled);                 // "mh1" / "mh0"
QString degauss();                                  // "cg"
enum class VideoSource { External, Black, White };
QString setVideoSource(VideoSource source); // "ct0", "ct1", "ct2"

// Flat-panel controls.
QString setFilament(FilamentSetting setting, const QString& typed); // "crs", "crw", "crf" + text trimmed
QString setPhotocell(bool on);                                      // "cp9" / "cp8"
QString heaterAutomatic();                                          // "cp2"
QStringList heaterForced(bool on);                                  // "cp3" then "cqh1" / "cqh0"
QString fanAutomatic();                                             // "cp4"
enum class FanSpeed { Off, Quarter, Half, Full };
QStringList fanForced(FanSpeed speed); // "cp5" then "cqf0".."cqf3"

enum class UserControl { Contrast, Brightness };
// The user-controls window: "Enabled" gives the monitor's own controls back ("CP1"), "Disabled" lets the tool
// govern contrast and brightness ("CP0").
QString setUserControls(bool enabled);
// The brightness-contrast window's software-control options of one section: "CPC"/"CPB" + "0" (enabled) or
// "1" (disabled) for firmware classes 212 to 299 and 315; "CP0" / "CP1" for the other classes from 201 up;
// empty below 201.
QString setSoftwareControl(int firmwareClass, UserControl section, bool enabled);
enum class LimitKind { DayLower, DayUpper, NightLower, NightUpper };
// "cpl0".."cpl3" for contrast, "cpl4".."cpl7" for brightness: the present setting becomes the limit.
QString takeLimit(UserControl section, LimitKind kind);
QStringList takeLimitAndReread(UserControl section, LimitKind kind); // the limit request then "dp"
QString setHysteresis(UserControl section, const QString& typed);    // "CPHC" / "CPHB" + text trimmed

// Diagnostics. Typed texts are sent as typed unless noted.
QString setPeekAddress(const QString& typed); // "a" + text
QString stepPeekAddress(bool up);             // "a+" / "a-"
QString readByte();                           // "rb"
QString readWord();                           // "rw"
QString readChar();                           // "rc"
QString writeByte(const QString& typed);      // "wb" + text
QString writeWord(const QString& typed);      // "ww" + text
QString probe(int address);                   // "pi0x" + two upper-case hex digits of the 8-bit address
QString probe(const QString& typedHex);       // "pi0x" + text trimmed
QString toggleLeds();                         // "lt"

} // namespace Catalogue
