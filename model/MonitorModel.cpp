#include "model/MonitorModel.h"

#include <QStringList>

#include <limits>

namespace {

bool fitsCell(int v) {
    return v >= std::numeric_limits<qint16>::min() && v <= std::numeric_limits<qint16>::max();
}

struct GroupDefinition {
    char letter;
    const char* countKey;
    int count;
    std::array<const char*, DacGroup::dacSlots> names;
};

// Slider array of each coupling row s = 1..5 and the element each column d = 1..4 is bound to.
constexpr int couplingRowArray[5] = {6, 2, 5, 1, 4};
constexpr int couplingRowElements[5][4] = {{0, 1, 3, 2}, {0, 1, 2, 3}, {0, 1, 2, 3}, {0, 1, 2, 3}, {1, 0, 2, 3}};

// Non-zero coefficients per position and colour, one entry per direction 1 to 4. "+2.3" is coefficient +1 on
// element 3 of slider array 2.
const char* const couplingEntries[9][3][4] = {
    {{"-6.0 -6.2", "+6.0 +6.2", "-6.1 +6.3", "+6.1 -6.3"},
     {"+6.2", "-6.2", "-6.3", "+6.3"},
     {"+6.0 -6.2", "-6.0 +6.2", "+6.1 +6.3", "-6.1 -6.3"}},
    {{"+2.0 +2.3 -5.0 -5.3", "-2.0 -2.3 +5.0 +5.3", "+2.1 -2.2 -5.1 +5.2", "-2.1 +2.2 +5.1 -5.2"},
     {"-2.3 +5.3", "+2.3 -5.3", "+2.2 -5.2", "-2.2 +5.2"},
     {"-2.0 +2.3 +5.0 -5.3", "+2.0 -2.3 -5.0 +5.3", "+2.1 +2.2 -5.1 -5.2", ""}},
    {{"-2.0 +2.3 +5.0 -5.3", "+2.0 -2.3 -5.0 +5.3", "-2.1 -2.2 -5.1 +5.2", "+2.1 +2.2 +5.1 -5.2"},
     {"+2.3 +5.3", "-2.3 -5.3", "-2.2 -5.2", "+2.2 +5.2"},
     {"+2.0 +2.3 -5.0 -5.3", "-2.0 -2.3 +5.0 +5.3", "-2.1 +2.2 -5.1 -5.2", ""}},
    {{"+1.0 +1.3 -4.1 -4.3", "-1.0 -1.3 +4.1 +4.3", "+1.1 -1.2 -4.0 +4.2", "-1.1 +1.2 +4.0 -4.2"},
     {"-1.3 +4.3", "+1.3 -4.3", "+1.2 -4.2", "-1.2 +4.2"},
     {"-1.0 +1.3 +4.1 -4.3", "+1.0 -1.3 -4.1 +4.3", "+2.1 +2.2 -5.1 -5.2", ""}},
    {{"-1.0 -1.3 -4.1 -4.3", "+1.0 +1.3 +4.1 +4.3", "-1.1 +1.2 -4.0 +4.2", "+1.1 -1.2 +4.0 -4.2"},
     {"+1.3 +4.3", "-1.3 -4.3", "-1.2 -4.2", "+1.2 +4.2"},
     {"+1.0 -1.3 +4.1 -4.3", "-1.0 +1.3 -4.1 +4.3", "-2.1 -2.2 -5.1 -5.2", ""}},
    {{"+1.0 +2.0 -4.1 -5.0", "-1.0 -2.0 +4.1 +5.0", "+1.1 +2.1 -4.0 -5.1", "-1.1 -2.1 +4.0 +5.1"},
     {"-1.3 -2.3 +4.3 +5.3", "+1.3 +2.3 -4.3 -5.3", "+1.2 +2.2 -4.2 -5.2", "-1.2 -2.2 +4.2 +5.2"},
     {"-1.0 -2.0 +4.1 +5.0", "+1.0 +2.0 -4.1 -5.0", "-1.1 -2.1 +4.0 +5.1", "+1.1 +2.1 -4.0 -5.1"}},
    {{"-1.0 +2.0 -4.1 -5.0", "+1.0 -2.0 +4.1 +5.0", "-1.1 +2.1 -4.0 -5.1", "+1.1 -2.1 +4.0 +5.1"},
     {"+1.3 -2.3 +4.3 +5.3", "-1.3 +2.3 -4.3 -5.3", "-1.2 +2.2 -4.2 -5.2", "+1.2 -2.2 +4.2 +5.2"},
     {"+1.0 -2.0 +4.1 +5.0", "-1.0 +2.0 -4.1 -5.0", "+1.1 -2.1 +4.0 +5.1", "-1.1 +2.1 -4.0 -5.1"}},
    {{"+1.0 -2.0 -4.1 -5.0", "-1.0 +2.0 +4.1 +5.0", "+1.1 -2.1 -4.0 -5.1", "-1.1 +2.1 +4.0 +5.1"},
     {"-1.3 +2.3 +4.3 +5.3", "+1.3 -2.3 -4.3 -5.3", "+1.2 -2.2 -4.2 -5.2", "-1.2 +2.2 +4.2 +5.2"},
     {"-1.0 +2.0 +4.1 +5.0", "+1.0 -2.0 -4.1 -5.0", "-1.1 +2.1 +4.0 +5.1", "+1.1 -2.1 -4.0 -5.1"}},
    {{"+1.0 -2.0 -4.1 -5.0", "-1.0 +2.0 +4.1 +5.0", "-1.1 -2.1 -4.0 -5.1", "+1.1 +2.1 +4.0 +5.1"},
     {"+1.3 +2.3 +4.3 +5.3", "-1.3 -2.3 -4.3 -5.3", "-1.2 -2.2 -4.2 -5.2", "+1.2 +2.2 +4.2 +5.2"},
     {"-1.0 +2.0 +4.1 +5.0", "+1.0 -2.0 -4.1 -5.0", "+1.1 +2.1 +4.0 +5.1", "-1.1 -2.1 -4.0 -5.1"}},
};

} // namespace

DacGroup::Table& DacGroup::table(DacTable which) {
    switch (which) {
    case DacTable::Committed:
        return committedValue;
    case DacTable::Factory:
        return factoryValue;
    case DacTable::Initial:
        return initialValue;
    case DacTable::Value:
        break;
    }
    return value;
}

const DacGroup::Table& DacGroup::table(DacTable which) const {
    return const_cast<DacGroup*>(this)->table(which);
}

bool DacGroup::set(DacTable which, int dac, int scanSet, int v, Origin from) {
    if (!validIndex(dac, scanSet) || !fitsCell(v))
        return false;
    table(which)[dac][scanSet] = static_cast<qint16>(v);
    origins[int(which)][dac][scanSet] = from;
    return true;
}

Origin DacGroup::origin(DacTable which, int dac, int scanSet) const {
    return validIndex(dac, scanSet) ? origins[int(which)][dac][scanSet] : Origin::Unknown;
}

bool DacGroup::get(DacTable which, int dac, int scanSet, int* out) const {
    if (!validIndex(dac, scanSet))
        return false;
    if (out)
        *out = table(which)[dac][scanSet];
    return true;
}

int DacGroup::indexOfName(const QString& name) const {
    if (name.isEmpty())
        return -1;
    for (int i = 0; i < dacSlots; ++i)
        if (names[i] == name)
            return i;
    return -1;
}

MonitorModel::MonitorModel() {
    initialise();
}

QString MonitorModel::boardNumber(QChar board, bool serial) const {
    switch (board.toUpper().unicode()) {
    case 'S':
        return serial ? serialNumber : modelNumber;
    case 'U':
        return serial ? QString() : partNumber;
    case 'T':
        return serial ? crtSerialNumber : crtPartNumber;
    default:
        return m_boardNumbers.value(board.toUpper() + QLatin1Char(serial ? 'S' : 'P'));
    }
}

void MonitorModel::setBoardNumber(QChar board, bool serial, const QString& text, Origin from) {
    setOrigin(boardKey(board, serial), from);
    switch (board.toUpper().unicode()) {
    case 'S':
        (serial ? serialNumber : modelNumber) = text;
        break;
    case 'U':
        if (!serial)
            partNumber = text;
        break;
    case 'T':
        (serial ? crtSerialNumber : crtPartNumber) = text;
        break;
    default:
        m_boardNumbers.insert(board.toUpper() + QLatin1Char(serial ? 'S' : 'P'), text);
        break;
    }
}

void MonitorModel::initialise() {
    monitorResponding = false;
    bootMode = false;
    suppressControlEvents = false;
    controlClickArmed = false;
    firmwareClass = 0;
    hasBoardIdentity = false;

    modelNumber.clear();
    serialNumber.clear();
    partNumber.clear();
    crtSerialNumber.clear();
    crtPartNumber.clear();
    firmwareVersion.clear();
    romVersion.clear();
    operatingTime.clear();
    operatingCycles.clear();
    m_boardNumbers.clear();
    m_origins.clear();
    hvUpperLimit = 0;
    hvLowerLimit = 0;
    diagnostics = DiagnosticValues();
    states.forget();
    dataChanged = false;
    operatingModeMask = 0;
    setCapabilities(0);

    scanSetCount = 6;
    // The names the scan-set window shows until the monitor or a data file names the scan sets.
    for (int i = 0; i < scanSetNameSlots; ++i)
        scanSetNames[i] = QStringLiteral("Scan Set %1 Title").arg(i + 1);
    scanSetEnabled.fill(0);
    currentScanSet = 0;
    currentScanSetName.clear();
    scanSetCaption = QStringLiteral("Scan Set Selected: (None Selected)");
    scanSetChosen = false;
    ScanSetReading = 0;
    monitorScanSetNumber = 0;
    monitorScanSetName.clear();

    static const GroupDefinition definitions[12] = {
        {'l',
         "NumLDacs",
         8,
         {"Master Contrast", "Master Brightness", "Red Gain", "Green Gain", "Blue Gain", "Red Offset", "Green Offset",
          "Blue Offset", nullptr, nullptr}},
        {'b', "NumBDacs", 2, {"White Level", "Bias Adjust"}},
        {'h',
         "NumHDacs",
         4,
         {"Horizontal Size", "Horizontal Center", "Horizontal Linearity", "Trace Rotation", nullptr, nullptr, nullptr,
          nullptr, "Horiz S Cap", nullptr}},
        {'v',
         "NumVDacs",
         7,
         {"Vertical Size", "Vertical Center", "Vert Linearity", "E-W Correction", "Horiz Trapezoid", "Horiz Parabola",
          "Horiz Bow"}},
        {'s', "NumNDacs", 3, {"North-South Correction", "North-South Trapezoid", "North-South Phase"}},
        {'a',
         "NumCODacs",
         4,
         {"Convergence RB V DC", "Convergence RB H DC", "Convergence RGB H DC", "Convergence RGB V DC"}},
        {'d',
         "NumCHRDacs",
         4,
         {"Convergence RB V HRamp", "Convergence RB H HRamp", "Convergence RGB H HRamp", "Convergence RGB V HRamp"}},
        {'i',
         "NumCHPDacs",
         4,
         {"Convergence RB V HParabola", "Convergence RB H HParabola", "Convergence RGB H HParabola",
          "Convergence RGB V HParabola"}},
        {'e',
         "NumCVRDacs",
         4,
         {"Convergence RB V VRamp", "Convergence RB H VRamp", "Convergence RGB H VRamp", "Convergence RGB V VRamp"}},
        {'k',
         "NumCVPDacs",
         4,
         {"Convergence RB V VParabola", "Convergence RB H VParabola", "Convergence RGB H VParabola",
          "Convergence RGB V VParabola"}},
        {'g',
         "NumCPPDacs",
         4,
         {"Purity Horizontal", "Purity Vertical", "Convergence VParabola Balance", "Convergence HParabola Balance"}},
        {0,
         nullptr,
         6,
         {"Day Lo Red Offset", "Day Lo Grn Offset", "Day Lo Blu Offset", "Night Lo Red Offset", "Night Lo Grn Offset",
          "Night Lo Blu Offset"}},
    };
    const QVector<DacGroup*> groups = allGroups();
    for (int g = 0; g < groups.size(); ++g) {
        DacGroup& group = *groups[g];
        const GroupDefinition& def = definitions[g];
        group = DacGroup();
        group.letter = def.letter ? QChar(QLatin1Char(def.letter)) : QChar();
        group.countKey = def.countKey ? QString::fromLatin1(def.countKey) : QString();
        group.count = static_cast<qint16>(def.count);
        for (int i = 0; i < DacGroup::dacSlots; ++i)
            group.names[i] = def.names[i] ? QString::fromLatin1(def.names[i]) : QString();
    }

    FileIsOpen = false;
    DiskFileNum = 0;
    filePath.clear();
    fileTitle.clear();
    fileOpenForReading = false;

    fillConvergenceCoupling();
}

void MonitorModel::forgetMonitorValues() {
    auto forget = [](Origin& o) {
        if (o == Origin::Read)
            o = Origin::Unknown;
    };
    for (DacGroup* g : allGroups())
        for (auto& table : g->origins)
            for (auto& dac : table)
                for (Origin& o : dac)
                    forget(o);
    for (Origin& o : m_origins)
        forget(o);
    diagnostics.forgetAll();
    states.forget();
}

bool MonitorModel::scanSetKnown(int scanSet) const {
    for (const DacGroup* g : fileGroups())
        for (int dac = 0; dac < DacGroup::dacSlots; ++dac)
            if (g->known(DacTable::Value, dac, scanSet))
                return true;
    return false;
}

void MonitorModel::setCapabilities(int mask) {
    hasLowVoltageSupply = mask & 1;
    hasPowerDistribution = mask & 2;
    hasVideo = mask & 4;
    hasDeflection = mask & 8;
    hasNorthSouth = mask & 16;
    hasConvergence = mask & 32;
    hasG2Adjustment = mask & 64;
    hasExpansionLeds = mask & 128;
}

int MonitorModel::capabilityMask() const {
    return (hasLowVoltageSupply ? 1 : 0) | (hasPowerDistribution ? 2 : 0) | (hasVideo ? 4 : 0) |
           (hasDeflection ? 8 : 0) | (hasNorthSouth ? 16 : 0) | (hasConvergence ? 32 : 0) | (hasG2Adjustment ? 64 : 0) |
           (hasExpansionLeds ? 128 : 0);
}

bool MonitorModel::setScanSetName(int index, const QString& name) {
    if (index < 0 || index >= scanSetNameSlots)
        return false;
    scanSetNames[index] = name;
    return true;
}

QVector<DacGroup*> MonitorModel::fileGroups() {
    return {&videoGroup,
            &biasGroup,
            &horizontalGroup,
            &verticalGroup,
            &northSouthGroup,
            &convergenceDcGroup,
            &convergenceHRampGroup,
            &convergenceHParabolaGroup,
            &convergenceVRampGroup,
            &convergenceVParabolaGroup,
            &purityGroup};
}

QVector<const DacGroup*> MonitorModel::fileGroups() const {
    QVector<const DacGroup*> groups;
    for (DacGroup* g : const_cast<MonitorModel*>(this)->fileGroups())
        groups << g;
    return groups;
}

const DacGroup* MonitorModel::group(QChar letter) const {
    return const_cast<MonitorModel*>(this)->group(letter);
}

QVector<DacGroup*> MonitorModel::allGroups() {
    QVector<DacGroup*> groups = fileGroups();
    groups.append(&lowBrightnessGroup);
    return groups;
}

DacGroup* MonitorModel::group(QChar letter) {
    const QChar lower = letter.toLower();
    if (lower.isNull())
        return nullptr;
    for (DacGroup* g : fileGroups())
        if (g->letter == lower)
            return g;
    return nullptr;
}

DacGroup* MonitorModel::groupByCountKey(const QString& key) {
    if (key.isEmpty())
        return nullptr;
    for (DacGroup* g : fileGroups())
        if (g->countKey == key)
            return g;
    return nullptr;
}

bool MonitorModel::findDacName(const QString& name, DacGroup** group, int* index) {
    for (DacGroup* g : fileGroups()) {
        const int i = g->indexOfName(name);
        if (i >= 0) {
            if (group)
                *group = g;
            if (index)
                *index = i;
            return true;
        }
    }
    return false;
}

bool MonitorModel::storeFileValues(DacGroup& group, int dac, int live, int factory, int initial) {
    const int s = ScanSetReading;
    if (!DacGroup::validIndex(dac, s) || !fitsCell(live) || !fitsCell(factory) || !fitsCell(initial))
        return false;
    group.set(DacTable::Value, dac, s, live, Origin::Loaded);
    group.set(DacTable::Committed, dac, s, live, Origin::Loaded);
    group.set(DacTable::Factory, dac, s, factory, Origin::Loaded);
    group.set(DacTable::Initial, dac, s, initial, Origin::Loaded);
    return true;
}

int MonitorModel::couplingIndex(int p, int q, int r, int s, int d) {
    if (p < 1 || p > 9 || q < 1 || q > 3 || r < 1 || r > 4 || s < 1 || s > 5 || d < 1 || d > 4)
        return -1;
    return (p - 1) + 9 * ((q - 1) + 3 * ((r - 1) + 4 * ((s - 1) + 5 * (d - 1))));
}

int MonitorModel::coupling(int p, int q, int r, int s, int d) const {
    const int i = couplingIndex(p, q, r, s, d);
    return i < 0 ? 0 : convergenceCoupling[i];
}

int MonitorModel::couplingRow(int sliderArray) {
    for (int s = 0; s < 5; ++s)
        if (couplingRowArray[s] == sliderArray)
            return s + 1;
    return 0;
}

void MonitorModel::fillConvergenceCoupling() {
    convergenceCoupling.fill(0);
    for (int s = 1; s <= 5; ++s)
        for (int d = 1; d <= 4; ++d)
            couplingSliders[(s - 1) + 5 * (d - 1)] = {couplingRowArray[s - 1], couplingRowElements[s - 1][d - 1]};

    for (int p = 1; p <= 9; ++p)
        for (int q = 1; q <= 3; ++q)
            for (int r = 1; r <= 4; ++r) {
                const QStringList refs = QString::fromLatin1(couplingEntries[p - 1][q - 1][r - 1])
                                             .split(QLatin1Char(' '), Qt::SkipEmptyParts);
                for (const QString& ref : refs) {
                    // sign, array number, ".", element
                    const int sign = ref.at(0) == QLatin1Char('-') ? -1 : 1;
                    const int array = ref.at(1).digitValue();
                    const int element = ref.at(3).digitValue();
                    const int s = couplingRow(array);
                    int d = 0;
                    for (int col = 0; col < 4; ++col)
                        if (couplingRowElements[s - 1][col] == element)
                            d = col + 1;
                    convergenceCoupling[couplingIndex(p, q, r, s, d)] = static_cast<qint16>(sign);
                }
            }
}
