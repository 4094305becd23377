#pragma once
// The one in-memory record of the connected (or loaded) monitor: identity, versions, operating time, scan sets,
// the adjustment values (DACs) per scan set, the option and state values and the diagnostics' readings. Answer
// handlers write it, windows read and change it, the data file saves and loads it.
#include "model/DiagnosticValues.h"
#include "model/MonitorStates.h"
#include "model/Origin.h"

#include <QChar>
#include <QHash>
#include <QString>
#include <QVector>
#include <array>

// The four value tables of a DAC group.
enum class DacTable { Value, Committed, Factory, Initial };

class DacGroup {
public:
    static constexpr int dacSlots = 10;    // DAC index 0 to 9
    static constexpr int scanSetSlots = 7; // scan-set index 0 to 6
    using Table = std::array<std::array<qint16, scanSetSlots>, dacSlots>;

    // Letter of the read requests ("dd", "ddf", "ddp" + letter), lower case; null for a group read by no request.
    QChar letter;
    // Key of the group's count line in the data file; empty for a group the file does not hold.
    QString countKey;
    // Number of DACs in use.
    qint16 count = 0;
    // DAC names, also the keys of the DAC lines in the data file; empty where a DAC has no name.
    std::array<QString, dacSlots> names;

    // Cells are [DAC index][scan-set index].
    Table value{};
    Table committedValue{};
    Table factoryValue{};
    Table initialValue{};
    // Origin of each cell of the four tables, indexed [table][DAC index][scan-set index].
    std::array<std::array<std::array<Origin, scanSetSlots>, dacSlots>, 4> origins{};

    static bool validIndex(int dac, int scanSet) {
        return dac >= 0 && dac < dacSlots && scanSet >= 0 && scanSet < scanSetSlots;
    }
    Table& table(DacTable which);
    const Table& table(DacTable which) const;

    // Writes one cell and where its value came from. Refused (false, nothing written) for an index outside the
    // table or a value that does not fit a signed 16-bit cell.
    bool set(DacTable which, int dac, int scanSet, int v, Origin from = Origin::User);
    // Unknown for an index outside the table.
    Origin origin(DacTable which, int dac, int scanSet) const;
    bool known(DacTable which, int dac, int scanSet) const { return origin(which, dac, scanSet) != Origin::Unknown; }
    // Reads one cell into out. Refused (false, out untouched) for an index outside the table.
    bool get(DacTable which, int dac, int scanSet, int* out) const;

    // Index of the DAC with this name, -1 when none.
    int indexOfName(const QString& name) const;
};

class MonitorModel {
public:
    MonitorModel();

    // Sets every field to its start value and fills the convergence coupling table.
    void initialise();

    // A reconnection, or another monitor: nothing read from the monitor is known of the one that answers now.
    // Values loaded from a data file stay the file's, and those the user set stay the user's choice; the option and
    // state values (states) are all forgotten, since the monitor may have changed them meanwhile.
    void forgetMonitorValues();
    // Origin of the other values the monitor reports (identity and boards, scan-set names, versions...), by the
    // key the handler that reads them gives ("board:S:P", "firmwareVersion", "scanSetName:2").
    Origin origin(const QString& key) const { return m_origins.value(key, Origin::Unknown); }
    void setOrigin(const QString& key, Origin from) { m_origins.insert(key, from); }
    bool known(const QString& key) const { return origin(key) != Origin::Unknown; }
    // The keys of the identity and status values the data file holds.
    static QString boardKey(QChar board, bool serial) {
        return QStringLiteral("board:%1:%2").arg(board.toUpper()).arg(QLatin1Char(serial ? 'S' : 'P'));
    }
    static inline const QString firmwareVersionKey = QStringLiteral("firmwareVersion");
    static inline const QString romVersionKey = QStringLiteral("romVersion");
    static inline const QString operatingTimeKey = QStringLiteral("operatingTime");
    static inline const QString hvUpperLimitKey = QStringLiteral("hvUpperLimit");
    static inline const QString hvLowerLimitKey = QStringLiteral("hvLowerLimit");
    // A scan set whose values a data file may hold: at least one of its present values is known.
    bool scanSetKnown(int scanSet) const;
    // Ticked for saving in "Scan Selection" (or by a loaded file) and known: what a data file holds.
    bool scanSetSavable(int scanSet) const {
        return scanSet >= 0 && scanSet < scanSetEnabledSlots && scanSetEnabled[scanSet] == 1 && scanSetKnown(scanSet);
    }

    // Flags set by dispatch from prompt answers and read by the link.
    bool monitorResponding = false;
    bool bootMode = false;
    bool suppressControlEvents = false;
    // Shared by the user-controls and backlight windows: cleared whenever an answer sets one of their controls;
    // the first option click after that only arms it and sends nothing.
    bool controlClickArmed = false;

    // Firmware version times 100 from the last firmware-version answer; 0 until one arrives.
    int firmwareClass = 0;
    bool hasBoardIdentity = false;

    // Identity and status. The boards' own part and serial numbers are not kept (they go straight to the
    // identity window); only the CRT's pair is, because the data file stores it.
    QString modelNumber;
    QString serialNumber;
    QString partNumber;
    QString crtSerialNumber;
    QString crtPartNumber;
    QString firmwareVersion; // "V " and the version digits
    QString romVersion;      // "V " and the version digits
    QString operatingTime;   // days ":" hh ":" mm ":" ss
    QString operatingCycles;
    // Part and serial numbers of every board as last read or loaded (board letter of the requests, either case).
    // The monitor's own ("S", "U") and the CRT's ("T") are the fields above; the other boards' are kept here so
    // that the command line sees what the identity window shows.
    QString boardNumber(QChar board, bool serial) const;
    void setBoardNumber(QChar board, bool serial, const QString& text, Origin from = Origin::User);
    // The HV limits of the data file; each with its origin under its key above.
    qint16 hvUpperLimit = 0;
    qint16 hvLowerLimit = 0;
    // The readings of the diagnostics answers, the monitor's alone.
    DiagnosticValues diagnostics;
    // The option and state values the monitor reports (heater and fan, backlight, deflection and HV enable, video
    // source, brightness and contrast limits, operating mode, boot block).
    MonitorStates states;
    bool dataChanged = false;
    unsigned operatingModeMask = 0;

    // Capability flags from the capability answer, bits 1 to 128 in this order.
    bool hasLowVoltageSupply = false;
    bool hasPowerDistribution = false;
    bool hasVideo = false;
    bool hasDeflection = false;
    bool hasNorthSouth = false;
    bool hasConvergence = false;
    bool hasG2Adjustment = false;
    bool hasExpansionLeds = false;
    // Set by a capability answer since the last firmware version: the flags describe this monitor.
    bool capabilityReported = false;
    // Sets the eight flags from a capability value.
    void setCapabilities(int mask);
    int capabilityMask() const;

    // Scan sets.
    static constexpr int scanSetNameSlots = 7;
    static constexpr int scanSetEnabledSlots = 10;
    static constexpr int scanSetWindowRows = 6; // rows (name label, check box) of the scan-set window
    static constexpr int maxFileScanSets = 8;   // most scan sets a data file may announce
    qint16 scanSetCount = 6;
    std::array<QString, scanSetNameSlots> scanSetNames;
    std::array<int, scanSetEnabledSlots> scanSetEnabled{}; // 0 unticked, 1 ticked, 2 greyed
    qint16 currentScanSet = 0;                             // 7 after "DeSelect", negative for none
    // The history's reads have the monitor on another scan set than the tool's for a moment: what they read is
    // stored under that scan set, and not shown in the windows, which show the tool's.
    bool readingAside = false;
    QString currentScanSetName;
    QString scanSetCaption;
    // Set once "Scan Selection" has chosen a scan set; until then the tool follows the scan set the monitor
    // reports as its current one.
    bool scanSetChosen = false;
    qint16 ScanSetReading = 0; // scan set that the data-file reader is filling
    // The caption the adjustment windows show for scan set index (0 to 5) and its name.
    static QString scanSetCaptionFor(int index, const QString& name) {
        return QStringLiteral("Scan Set Selected: #%1: %2").arg(index + 1).arg(name);
    }
    // The scan set the monitor runs, as its current-scan-set answer reports it: number from 1 (0 until read)
    // and name. Not the tool's own selection (currentScanSet).
    int monitorScanSetNumber = 0;
    QString monitorScanSetName;

    // Refused (false) for an index outside the name table.
    bool setScanSetName(int index, const QString& name);

    // DAC groups, in the order the data file writes them; lowBrightnessGroup is not written.
    DacGroup videoGroup;
    DacGroup biasGroup;
    DacGroup horizontalGroup;
    DacGroup verticalGroup;
    DacGroup northSouthGroup;
    DacGroup convergenceDcGroup;
    DacGroup convergenceHRampGroup;
    DacGroup convergenceHParabolaGroup;
    DacGroup convergenceVRampGroup;
    DacGroup convergenceVParabolaGroup;
    DacGroup purityGroup;
    DacGroup lowBrightnessGroup;
    static constexpr int horizontalSCapIndex = 8; // "Horiz S Cap", beyond the horizontal count

    // The eleven groups of the data file, in file order.
    QVector<DacGroup*> fileGroups();
    QVector<const DacGroup*> fileGroups() const;
    // All twelve groups (the file groups, then lowBrightnessGroup).
    QVector<DacGroup*> allGroups();
    // The group read with this letter (either case); nullptr for any other letter.
    DacGroup* group(QChar letter);
    const DacGroup* group(QChar letter) const;
    // The group whose data-file count key this is; nullptr for any other text.
    DacGroup* groupByCountKey(const QString& key);
    // Finds the group and index of a DAC line's name among the data-file groups; false when no DAC has it.
    bool findDacName(const QString& name, DacGroup** group, int* index);

    // One DAC line of the data file at scan set ScanSetReading: value and committedValue = live, factoryValue =
    // factory, initialValue = initial. Refused (false, nothing written) for a DAC or scan-set index outside the
    // tables or a number that does not fit a cell.
    bool storeFileValues(DacGroup& group, int dac, int live, int factory, int initial);

    // Data-file state.
    bool FileIsOpen = false;
    int DiskFileNum = 0; // handle number of the open file, 1 to 255
    QString filePath;
    QString fileTitle; // file name without its directory
    bool fileOpenForReading = false;
    static inline const QString dataFileExtension = QStringLiteral(".mdv");
    static inline const QString dataFileFirstLine = QStringLiteral("Kestrane Monitor DAC Value File");
    static inline const QString dataFileSecondLine = QStringLiteral("Version 2.0");

    // Convergence coupling: for screen position p (1-9), colour q (1-3), direction r (1-4), a coefficient -1, 0
    // or +1 for the coupled slider at control row s (1-5) and column d (1-4).
    static constexpr int couplingCells = 9 * 3 * 4 * 5 * 4;
    std::array<qint16, couplingCells> convergenceCoupling{};
    // Cell index, -1 when an argument is out of range.
    static int couplingIndex(int p, int q, int r, int s, int d);
    // The coefficient, 0 when an argument is out of range.
    int coupling(int p, int q, int r, int s, int d) const;
    // The detail-window slider a coupling row and column are bound to: slider array number (6 offset, 2 vertical
    // ramp, 5 vertical parabola, 1 horizontal ramp, 4 horizontal parabola) and element 0 to 3.
    struct CouplingSlider {
        int sliderArray = 0;
        int element = 0;
    };
    // Indexed (s - 1) + 5 * (d - 1).
    std::array<CouplingSlider, 20> couplingSliders{};
    // Row s of the coupling table for a slider array number; 0 when the array is not coupled.
    static int couplingRow(int sliderArray);

private:
    void fillConvergenceCoupling();

    QHash<QString, QString> m_boardNumbers; // board letter (upper case) + "P" or "S"
    QHash<QString, Origin> m_origins;
};
