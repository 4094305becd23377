#include "protocol/Catalogue.h"

#include "protocol/FirmwareClass.h"

namespace Catalogue {

namespace {

QString letters(const char* text) {
    return QString::fromLatin1(text);
}

// The lower-case form of letter when it is one of allowed, else a null character.
QChar pick(QChar letter, const QString& allowed) {
    const QChar lower = letter.toLower();
    return allowed.contains(lower) ? lower : QChar();
}

QString withLetter(const char* command, QChar letter, const QString& allowed) {
    const QChar chosen = pick(letter, allowed);
    return chosen.isNull() ? QString() : letters(command) + chosen;
}

QString onOff(bool on, const char* whenOn, const char* whenOff) {
    return letters(on ? whenOn : whenOff);
}

} // namespace

QString plainNumber(int value) {
    return QString::number(value);
}

QString spacedNumber(int value) {
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

QString ping() {
    return letters("p");
}

QString runFirmware() {
    return letters("g");
}

QString resetMonitor() {
    return letters("x");
}

QString runSram() {
    return letters("f");
}

QString setAutoBoot(bool enabled) {
    return onOff(enabled, "cb1", "cb0");
}

QString eraseFlash() {
    return letters("bf3");
}

QString startSramLoad() {
    return letters("bs");
}

QString setChecking(bool enabled) {
    return onOff(enabled, "cz1", "cz0");
}

QString terseMessages() {
    return letters("CU");
}

QString verboseMessages() {
    return letters("CV");
}

QString setStatusMessages(bool on) {
    return onOff(on, "cv", "cu");
}

QString readTestPoints() {
    return letters("da");
}

QString readBootBlock() {
    return letters("db");
}

QString readCurrentScanSet() {
    return letters("dc");
}

QString readScanSetList() {
    return letters("ddn");
}

QString readBootEpromVersion() {
    return letters("de");
}

QString readFirmwareVersion() {
    return letters("df");
}

QString readOffsets(DacKind kind) {
    switch (kind) {
    case DacKind::Factory:
        return letters("dff");
    case DacKind::Initial:
        return letters("dfp");
    case DacKind::Current:
        break;
    }
    return letters("dfd");
}

QString readHvControls() {
    return letters("dh");
}

QString readPanelStatus() {
    return letters("dp");
}

QString readPanelStatusForUpdate() {
    return letters("dps");
}

QString readOperatingTime() {
    return letters("dt");
}

QString readOperatingTimeForControls() {
    return letters("du");
}

QString readSyncFrequencies() {
    return letters("dv");
}

QString readModelType() {
    return letters("dw");
}

QString readCapability() {
    return letters("dx");
}

namespace {

QChar filamentLetter(FilamentSetting setting) {
    switch (setting) {
    case FilamentSetting::Warmup:
        return QLatin1Char('w');
    case FilamentSetting::Immediate:
        return QLatin1Char('f');
    case FilamentSetting::Steady:
        break;
    }
    return QLatin1Char('s');
}

} // namespace

QString readFilament(FilamentSetting setting) {
    return letters("dr") + filamentLetter(setting);
}

QString partNumberBoards() {
    return letters("cdfghlpstuv");
}

QString serialNumberBoards() {
    return letters("cdfghlpstv");
}

QString readPartNumber() {
    return letters("dm");
}

QString readSerialNumber() {
    return letters("ds");
}

QString readPartNumber(QChar board) {
    return withLetter("dm", board, partNumberBoards());
}

QString readSerialNumber(QChar board) {
    return withLetter("ds", board, serialNumberBoards());
}

QString dacGroups() {
    return letters("abdeghiklsv");
}

QString readDac(QChar group, DacKind kind) {
    switch (kind) {
    case DacKind::Factory:
        return withLetter("ddf", group, dacGroups());
    case DacKind::Initial:
        return withLetter("ddp", group, dacGroups());
    case DacKind::Current:
        break;
    }
    return withLetter("dd", group, dacGroups() + QLatin1Char('n'));
}

Setting setting(const QString& key, int value) {
    if (key.isEmpty())
        return Setting();
    return {key, key + plainNumber(value)};
}

QString dacKey(QChar group, int index) {
    const QChar g = pick(group, dacGroups());
    if (g.isNull())
        return QString();
    // Group "a" counts its sliders from 1 and puts a blank before the index; every other group counts from 0.
    const QString indexText = g == QLatin1Char('a') ? spacedNumber(index + 1) : plainNumber(index);
    return letters("cd") + g + indexText;
}

Setting dacSetting(QChar group, int index, int value) {
    return setting(dacKey(group, index), value);
}

QString setDac(QChar group, int index, int value) {
    return dacSetting(group, index, value).text;
}

QString setContrast(int value) {
    return setDac(QLatin1Char('l'), 0, value);
}

QString setBrightness(int value) {
    return setDac(QLatin1Char('l'), 1, value);
}

QString offsetKey(int index) {
    return letters("cf") + plainNumber(index);
}

Setting offsetSetting(int index, int sliderValue) {
    return setting(offsetKey(index), sliderValue);
}

QString setOffset(int index, int sliderValue) {
    return offsetSetting(index, sliderValue).text;
}

QString saveDacs(QChar group) {
    const QString cmd = withLetter("cd", group, dacGroups());
    return cmd.isEmpty() ? cmd : cmd + QLatin1Char('p');
}

QString saveOffsets() {
    return letters("cfp");
}

QString setConvergenceCorrection(bool on) {
    return onOff(on, "cac1", "cac0");
}

QString setPartNumber(QChar board, const QString& typed) {
    const QString cmd = withLetter("cm", board, partNumberBoards());
    return cmd.isEmpty() ? cmd : cmd + typed.trimmed();
}

QString setSerialNumber(QChar board, const QString& typed) {
    const QString cmd = withLetter("cs", board, serialNumberBoards());
    return cmd.isEmpty() ? cmd : cmd + typed.trimmed();
}

QString setOperatingField(OperatingField field, const QString& typed) {
    const char* cmd = "coc";
    switch (field) {
    case OperatingField::Hours:
        cmd = "coh";
        break;
    case OperatingField::Days:
        cmd = "cod";
        break;
    case OperatingField::Minutes:
        cmd = "com";
        break;
    case OperatingField::Seconds:
        cmd = "cos";
        break;
    case OperatingField::Cycles:
        break;
    }
    return letters(cmd) + typed.trimmed();
}

QString selectScanSet(int index) {
    return letters("CC") + plainNumber(index);
}

QString setScanSetEnabled(int index, bool enabled) {
    return onOff(enabled, "CCE", "CCD") + plainNumber(index);
}

QString renameScanSet(const QString& name) {
    if (name.isEmpty())
        return QString();
    return letters("ccn") + name.left(scanSetNameLength);
}

QStringList copyFirstScanSet() {
    return {letters("CDCC"), letters("cdlp"), letters("cdbp"), letters("cdvp"), letters("cdhp")};
}

QString setOperatingMode(int mask) {
    return letters("cw") + plainNumber(mask);
}

QString hvControlKey(HvControl control) {
    const char* cmd = "chh";
    switch (control) {
    case HvControl::Focus:
        cmd = "chf";
        break;
    case HvControl::G2:
        cmd = "chg";
        break;
    case HvControl::Video80V:
        cmd = "chv";
        break;
    case HvControl::HighVoltage:
        break;
    }
    return letters(cmd);
}

Setting hvControlSetting(HvControl control, int value) {
    return setting(hvControlKey(control), value);
}

QString setHvControl(HvControl control, int value) {
    return hvControlSetting(control, value).text;
}

QString setHvLowerLimit(const QString& typed) {
    return letters("chl") + typed;
}

QString setHvUpperLimit(const QString& typed) {
    return letters("chu") + typed;
}

QString setAnodeCurrentLimit(const QString& typed) {
    return letters("cha") + typed.trimmed();
}

QStringList restoreHvDefaults() {
    return {letters("chr"), readHvControls()};
}

QString setDeflectionEnabled(bool enabled) {
    return onOff(enabled, "md1", "md0");
}

QString setHvEnabled(bool enabled) {
    return onOff(enabled, "mh1", "mh0");
}

QString degauss() {
    return letters("cg");
}

QString setVideoSource(VideoSource source) {
    switch (source) {
    case VideoSource::Black:
        return letters("ct1");
    case VideoSource::White:
        return letters("ct2");
    case VideoSource::External:
        break;
    }
    return letters("ct0");
}

QString setFilament(FilamentSetting setting, const QString& typed) {
    return letters("cr") + filamentLetter(setting) + typed.trimmed();
}

QString setPhotocell(bool on) {
    return onOff(on, "cp9", "cp8");
}

QString heaterAutomatic() {
    return letters("cp2");
}

QStringList heaterForced(bool on) {
    return {letters("cp3"), onOff(on, "cqh1", "cqh0")};
}

QString fanAutomatic() {
    return letters("cp4");
}

QStringList fanForced(FanSpeed speed) {
    return {letters("cp5"), letters("cqf") + plainNumber(static_cast<int>(speed))};
}

QString setUserControls(bool enabled) {
    return onOff(enabled, "CP1", "CP0");
}

QString setSoftwareControl(int firmwareClass, UserControl section, bool enabled) {
    const QString flag = enabled ? letters("0") : letters("1");
    if (FirmwareClass::hasSeparateSoftwareControls(firmwareClass))
        return (section == UserControl::Contrast ? letters("CPC") : letters("CPB")) + flag;
    if (FirmwareClass::hasSoftwareControl(firmwareClass))
        return letters("CP") + flag;
    return QString();
}

QString takeLimit(UserControl section, LimitKind kind) {
    // Lower/upper is bit 0, day/night bit 1, contrast/brightness bit 2 of the limit number.
    int number = section == UserControl::Brightness ? 4 : 0;
    if (kind == LimitKind::DayUpper || kind == LimitKind::NightUpper)
        number += 1;
    if (kind == LimitKind::NightLower || kind == LimitKind::NightUpper)
        number += 2;
    return letters("cpl") + plainNumber(number);
}

QStringList takeLimitAndReread(UserControl section, LimitKind kind) {
    return {takeLimit(section, kind), readPanelStatus()};
}

QString setHysteresis(UserControl section, const QString& typed) {
    return (section == UserControl::Contrast ? letters("CPHC") : letters("CPHB")) + typed.trimmed();
}

QString setPeekAddress(const QString& typed) {
    return letters("a") + typed;
}

QString stepPeekAddress(bool up) {
    return onOff(up, "a+", "a-");
}

QString readByte() {
    return letters("rb");
}

QString readWord() {
    return letters("rw");
}

QString readChar() {
    return letters("rc");
}

QString writeByte(const QString& typed) {
    return letters("wb") + typed;
}

QString writeWord(const QString& typed) {
    return letters("ww") + typed;
}

QString probe(int address) {
    return letters("pi0x") + QString::number(address & 0xFF, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

QString probe(const QString& typedHex) {
    return letters("pi0x") + typedHex.trimmed();
}

QString toggleLeds() {
    return letters("lt");
}

} // namespace Catalogue
