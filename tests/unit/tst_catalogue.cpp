// Every request text of the catalogue, with the argument encodings and their edge cases.
#include "protocol/Catalogue.h"

#include <QtTest>

using namespace Catalogue;

class CatalogueTest : public QObject {
    Q_OBJECT

private slots:
    void requestText_data();
    void requestText();
    void sequence_data();
    void sequence();
    void everyDacRead_data();
    void everyDacRead();
    void everyIdentityRequest_data();
    void everyIdentityRequest();
    void softwareControlByFirmwareClass_data();
    void softwareControlByFirmwareClass();
    void settingKeys_data();
    void settingKeys();
};

namespace {

void row(const char* name, const QString& actual, const char* expected) {
    QTest::newRow(name) << actual << QString::fromLatin1(expected);
}

} // namespace

void CatalogueTest::requestText_data() {
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");

    // Link control, boot block, firmware.
    row("ping", ping(), "p");
    row("run firmware", runFirmware(), "g");
    row("reset", resetMonitor(), "x");
    row("run SRAM", runSram(), "f");
    row("auto-boot off", setAutoBoot(false), "cb0");
    row("auto-boot on", setAutoBoot(true), "cb1");
    row("erase flash", eraseFlash(), "bf3");
    row("SRAM load", startSramLoad(), "bs");
    row("checking off", setChecking(false), "cz0");
    row("checking on", setChecking(true), "cz1");
    row("terse", terseMessages(), "CU");
    row("verbose", verboseMessages(), "CV");
    row("status messages off", setStatusMessages(false), "cu");
    row("status messages on", setStatusMessages(true), "cv");

    // Plain reads.
    row("test points", readTestPoints(), "da");
    row("boot block", readBootBlock(), "db");
    row("current scan set", readCurrentScanSet(), "dc");
    row("boot EPROM version", readBootEpromVersion(), "de");
    row("firmware version", readFirmwareVersion(), "df");
    row("offsets current", readOffsets(DacKind::Current), "dfd");
    row("offsets factory", readOffsets(DacKind::Factory), "dff");
    row("offsets initial", readOffsets(DacKind::Initial), "dfp");
    row("HV controls", readHvControls(), "dh");
    row("panel status", readPanelStatus(), "dp");
    row("panel status for update", readPanelStatusForUpdate(), "dps");
    row("operating time", readOperatingTime(), "dt");
    row("operating time for controls", readOperatingTimeForControls(), "du");
    row("sync frequencies", readSyncFrequencies(), "dv");
    row("model type", readModelType(), "dw");
    row("capability", readCapability(), "dx");
    row("filament steady", readFilament(FilamentSetting::Steady), "drs");
    row("filament warm-up", readFilament(FilamentSetting::Warmup), "drw");
    row("filament immediate", readFilament(FilamentSetting::Immediate), "drf");
    row("part number, no board", readPartNumber(), "dm");
    row("serial number, no board", readSerialNumber(), "ds");

    // Encodings.
    row("plain zero", plainNumber(0), "0");
    row("plain negative", plainNumber(-12), "-12");
    row("spaced positive", spacedNumber(7), " 7");
    row("spaced zero", spacedNumber(0), " 0");
    row("spaced negative", spacedNumber(-3), "-3");

    // DAC settings.
    row("convergence d slider 3 at 120", setDac('d', 3, 120), "cdd3120");
    row("group a first slider at 7", setDac('a', 0, 7), "cda 17");
    row("group a second slider at 120", setDac('a', 1, 120), "cda 2120");
    row("geometry v slider 2 at 45", setDac('v', 2, 45), "cdv245");
    row("group e", setDac('e', 0, 255), "cde0255");
    row("group g", setDac('g', 1, 0), "cdg10");
    row("group i", setDac('i', 2, 9), "cdi29");
    row("group k", setDac('k', 3, 10), "cdk310");
    row("group s", setDac('s', 0, 33), "cds033");
    row("group h", setDac('h', 8, 127), "cdh8127");
    row("group l", setDac('l', 4, 200), "cdl4200");
    row("group b", setDac('b', 1, 64), "cdb164");
    row("upper-case group letter", setDac('D', 3, 120), "cdd3120");
    row("negative value", setDac('l', 2, -5), "cdl2-5");
    row("negative value group a", setDac('a', 0, -7), "cda 1-7");
    row("negative index group a", setDac('a', -2, 5), "cda-15");
    row("scan-set list is not settable", setDac('n', 0, 1), "");
    row("unknown group", setDac('x', 0, 1), "");
    row("contrast", setContrast(128), "cdl0128");
    row("brightness", setBrightness(0), "cdl10");
    row("offset at 100", setOffset(2, 100), "cf2100");
    row("offset at 0", setOffset(0, 0), "cf00");
    row("save a", saveDacs('a'), "cdap");
    row("save d", saveDacs('d'), "cddp");
    row("save e", saveDacs('e'), "cdep");
    row("save g", saveDacs('g'), "cdgp");
    row("save i", saveDacs('i'), "cdip");
    row("save k", saveDacs('k'), "cdkp");
    row("save v", saveDacs('v'), "cdvp");
    row("save h", saveDacs('h'), "cdhp");
    row("save s", saveDacs('s'), "cdsp");
    row("save l", saveDacs('l'), "cdlp");
    row("save b", saveDacs('b'), "cdbp");
    row("save upper-case letter", saveDacs('L'), "cdlp");
    row("save scan-set list", saveDacs('n'), "");
    row("save offsets", saveOffsets(), "cfp");
    row("convergence off", setConvergenceCorrection(false), "cac0");
    row("convergence on", setConvergenceCorrection(true), "cac1");

    // Identity, time, scan sets.
    row("part number trimmed", setPartNumber('C', QStringLiteral(" \t12-34 5 \r\n")), "cmc12-34 5");
    row("monitor part number", setPartNumber('u', QStringLiteral("P1")), "cmuP1");
    row("empty part number still sent", setPartNumber('s', QString()), "cms");
    row("part number unknown board", setPartNumber('x', QStringLiteral("1")), "");
    row("serial number trimmed", setSerialNumber('t', QStringLiteral("  S9 ")), "cstS9");
    row("no serial number for u", setSerialNumber('u', QStringLiteral("1")), "");
    row("cycles", setOperatingField(OperatingField::Cycles, QStringLiteral(" 12 ")), "coc12");
    row("hours", setOperatingField(OperatingField::Hours, QStringLiteral("3")), "coh3");
    row("days", setOperatingField(OperatingField::Days, QStringLiteral("4")), "cod4");
    row("minutes", setOperatingField(OperatingField::Minutes, QStringLiteral("5")), "com5");
    row("seconds", setOperatingField(OperatingField::Seconds, QStringLiteral("6")), "cos6");
    row("select scan set", selectScanSet(3), "CC3");
    row("enable scan set", setScanSetEnabled(12, true), "CCE12");
    row("disable scan set", setScanSetEnabled(0, false), "CCD0");
    row("rename 40 characters", renameScanSet(QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyzABCD")),
        "ccn0123456789abcdefghijklmnopqrstu");
    row("rename 31 characters", renameScanSet(QStringLiteral("abcdefghijklmnopqrstuvwxyz12345")),
        "ccnabcdefghijklmnopqrstuvwxyz12345");
    row("rename 32 characters", renameScanSet(QStringLiteral("abcdefghijklmnopqrstuvwxyz123456")),
        "ccnabcdefghijklmnopqrstuvwxyz12345");
    row("rename as typed", renameScanSet(QStringLiteral(" 1024x768 ")), "ccn 1024x768 ");
    row("empty rename sends nothing", renameScanSet(QString()), "");
    row("operating mode", setOperatingMode(63), "cw63");
    row("operating mode zero", setOperatingMode(0), "cw0");

    // HV, focus, G2, deflection, video.
    row("HV", setHvControl(HvControl::HighVoltage, 200), "chh200");
    row("focus", setHvControl(HvControl::Focus, 0), "chf0");
    row("G2", setHvControl(HvControl::G2, 63), "chg63");
    row("+80 V", setHvControl(HvControl::Video80V, 128), "chv128");
    row("HV lower limit as typed", setHvLowerLimit(QStringLiteral(" 25.5")), "chl 25.5");
    row("HV upper limit as typed", setHvUpperLimit(QStringLiteral("30 ")), "chu30 ");
    row("anode limit trimmed", setAnodeCurrentLimit(QStringLiteral(" 1.2 ")), "cha1.2");
    row("deflection off", setDeflectionEnabled(false), "md0");
    row("deflection on", setDeflectionEnabled(true), "md1");
    row("HV off", setHvEnabled(false), "mh0");
    row("HV on", setHvEnabled(true), "mh1");
    row("degauss", degauss(), "cg");
    row("video external", setVideoSource(VideoSource::External), "ct0");
    row("video black", setVideoSource(VideoSource::Black), "ct1");
    row("video white", setVideoSource(VideoSource::White), "ct2");

    // Flat panel.
    row("filament immediate", setFilament(FilamentSetting::Immediate, QStringLiteral(" 50 ")), "crf50");
    row("filament steady", setFilament(FilamentSetting::Steady, QStringLiteral("40")), "crs40");
    row("filament warm-up", setFilament(FilamentSetting::Warmup, QStringLiteral("90\t")), "crw90");
    row("photocell off", setPhotocell(false), "cp8");
    row("photocell on", setPhotocell(true), "cp9");
    row("heater automatic", heaterAutomatic(), "cp2");
    row("fan automatic", fanAutomatic(), "cp4");
    row("user controls disabled", setUserControls(false), "CP0");
    row("user controls enabled", setUserControls(true), "CP1");
    row("contrast day lower", takeLimit(UserControl::Contrast, LimitKind::DayLower), "cpl0");
    row("contrast day upper", takeLimit(UserControl::Contrast, LimitKind::DayUpper), "cpl1");
    row("contrast night lower", takeLimit(UserControl::Contrast, LimitKind::NightLower), "cpl2");
    row("contrast night upper", takeLimit(UserControl::Contrast, LimitKind::NightUpper), "cpl3");
    row("brightness day lower", takeLimit(UserControl::Brightness, LimitKind::DayLower), "cpl4");
    row("brightness day upper", takeLimit(UserControl::Brightness, LimitKind::DayUpper), "cpl5");
    row("brightness night lower", takeLimit(UserControl::Brightness, LimitKind::NightLower), "cpl6");
    row("brightness night upper", takeLimit(UserControl::Brightness, LimitKind::NightUpper), "cpl7");
    row("contrast hysteresis trimmed", setHysteresis(UserControl::Contrast, QStringLiteral(" 3")), "CPHC3");
    row("brightness hysteresis", setHysteresis(UserControl::Brightness, QStringLiteral("1")), "CPHB1");

    // Diagnostics.
    row("peek address as typed", setPeekAddress(QStringLiteral(" 0x1000 ")), "a 0x1000 ");
    row("address up", stepPeekAddress(true), "a+");
    row("address down", stepPeekAddress(false), "a-");
    row("read byte", readByte(), "rb");
    row("read word", readWord(), "rw");
    row("read char", readChar(), "rc");
    row("write byte as typed", writeByte(QStringLiteral("0x1f")), "wb0x1f");
    row("write word as typed", writeWord(QStringLiteral(" 0xBEEF")), "ww 0xBEEF");
    row("probe address", probe(0x4D), "pi0x4D");
    row("probe pads to two digits", probe(0x0a), "pi0x0A");
    row("probe keeps eight bits", probe(0x1AB), "pi0xAB");
    row("probe typed address trimmed", probe(QStringLiteral(" 4d\t")), "pi0x4d");
    row("toggle LEDs", toggleLeds(), "lt");
}

void CatalogueTest::requestText() {
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void CatalogueTest::sequence_data() {
    QTest::addColumn<QStringList>("actual");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("copy first scan set") << copyFirstScanSet() << QStringList{"CDCC", "cdlp", "cdbp", "cdvp", "cdhp"};
    QTest::newRow("restore HV defaults") << restoreHvDefaults() << QStringList{"chr", "dh"};
    QTest::newRow("heater forced off") << heaterForced(false) << QStringList{"cp3", "cqh0"};
    QTest::newRow("heater forced on") << heaterForced(true) << QStringList{"cp3", "cqh1"};
    QTest::newRow("fan off") << fanForced(FanSpeed::Off) << QStringList{"cp5", "cqf0"};
    QTest::newRow("fan quarter") << fanForced(FanSpeed::Quarter) << QStringList{"cp5", "cqf1"};
    QTest::newRow("fan half") << fanForced(FanSpeed::Half) << QStringList{"cp5", "cqf2"};
    QTest::newRow("fan full") << fanForced(FanSpeed::Full) << QStringList{"cp5", "cqf3"};
    QTest::newRow("contrast day upper then dp")
        << takeLimitAndReread(UserControl::Contrast, LimitKind::DayUpper) << QStringList{"cpl1", "dp"};
    QTest::newRow("brightness night lower then dp")
        << takeLimitAndReread(UserControl::Brightness, LimitKind::NightLower) << QStringList{"cpl6", "dp"};
}

void CatalogueTest::sequence() {
    QFETCH(QStringList, actual);
    QFETCH(QStringList, expected);
    QCOMPARE(actual, expected);
}

void CatalogueTest::everyDacRead_data() {
    QTest::addColumn<QChar>("group");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("factory");
    QTest::addColumn<QString>("initial");
    for (const char g : QByteArray("abdeghiklsv")) {
        const QString letter{QLatin1Char(g)};
        QTest::newRow(qPrintable(letter)) << QChar(QLatin1Char(g)) << "dd" + letter << "ddf" + letter << "ddp" + letter;
        QTest::newRow(qPrintable(letter.toUpper() + " given in upper case"))
            << QChar(QLatin1Char(g)).toUpper() << "dd" + letter << "ddf" + letter << "ddp" + letter;
    }
    QTest::newRow("scan-set list: current only") << QChar('n') << "ddn"
                                                 << ""
                                                 << "";
    QTest::newRow("unknown group") << QChar('c') << ""
                                   << ""
                                   << "";
    QTest::newRow("no group") << QChar() << ""
                              << ""
                              << "";
}

void CatalogueTest::everyDacRead() {
    QFETCH(QChar, group);
    QFETCH(QString, current);
    QFETCH(QString, factory);
    QFETCH(QString, initial);
    QCOMPARE(readDac(group, DacKind::Current), current);
    QCOMPARE(readDac(group, DacKind::Factory), factory);
    QCOMPARE(readDac(group, DacKind::Initial), initial);
}

void CatalogueTest::everyIdentityRequest_data() {
    QTest::addColumn<QChar>("board");
    QTest::addColumn<QString>("readPart");
    QTest::addColumn<QString>("readSerial");
    for (const char b : QByteArray("cdfghlpstv")) {
        const QString letter{QLatin1Char(b)};
        QTest::newRow(qPrintable(letter)) << QChar(QLatin1Char(b)) << "dm" + letter << "ds" + letter;
    }
    QTest::newRow("u: part number only") << QChar('u') << "dmu"
                                         << "";
    QTest::newRow("upper-case board") << QChar('C') << "dmc"
                                      << "dsc";
    QTest::newRow("unknown board") << QChar('m') << ""
                                   << "";
}

void CatalogueTest::everyIdentityRequest() {
    QFETCH(QChar, board);
    QFETCH(QString, readPart);
    QFETCH(QString, readSerial);
    QCOMPARE(readPartNumber(board), readPart);
    QCOMPARE(readSerialNumber(board), readSerial);
    // Setting uses the same board letters as reading.
    const QString setPart = setPartNumber(board, QStringLiteral("X"));
    QCOMPARE(setPart, readPart.isEmpty() ? QString() : "cm" + readPart.mid(2) + "X");
    const QString setSerial = setSerialNumber(board, QStringLiteral("X"));
    QCOMPARE(setSerial, readSerial.isEmpty() ? QString() : "cs" + readSerial.mid(2) + "X");
}

void CatalogueTest::softwareControlByFirmwareClass_data() {
    QTest::addColumn<int>("firmwareClass");
    QTest::addColumn<QString>("contrastDisabled");
    QTest::addColumn<QString>("contrastEnabled");
    QTest::addColumn<QString>("brightnessDisabled");
    QTest::addColumn<QString>("brightnessEnabled");
    QTest::newRow("no class") << 0 << ""
                              << ""
                              << ""
                              << "";
    QTest::newRow("150") << 150 << ""
                         << ""
                         << ""
                         << "";
    QTest::newRow("200") << 200 << ""
                         << ""
                         << ""
                         << "";
    QTest::newRow("201") << 201 << "CP1"
                         << "CP0"
                         << "CP1"
                         << "CP0";
    QTest::newRow("211") << 211 << "CP1"
                         << "CP0"
                         << "CP1"
                         << "CP0";
    QTest::newRow("212") << 212 << "CPC1"
                         << "CPC0"
                         << "CPB1"
                         << "CPB0";
    QTest::newRow("250") << 250 << "CPC1"
                         << "CPC0"
                         << "CPB1"
                         << "CPB0";
    QTest::newRow("299") << 299 << "CPC1"
                         << "CPC0"
                         << "CPB1"
                         << "CPB0";
    QTest::newRow("300") << 300 << "CP1"
                         << "CP0"
                         << "CP1"
                         << "CP0";
    QTest::newRow("310") << 310 << "CP1"
                         << "CP0"
                         << "CP1"
                         << "CP0";
    QTest::newRow("314") << 314 << "CP1"
                         << "CP0"
                         << "CP1"
                         << "CP0";
    QTest::newRow("315") << 315 << "CPC1"
                         << "CPC0"
                         << "CPB1"
                         << "CPB0";
    QTest::newRow("316") << 316 << "CP1"
                         << "CP0"
                         << "CP1"
                         << "CP0";
    QTest::newRow("450") << 450 << "CP1"
                         << "CP0"
                         << "CP1"
                         << "CP0";
}

void CatalogueTest::softwareControlByFirmwareClass() {
    QFETCH(int, firmwareClass);
    QFETCH(QString, contrastDisabled);
    QFETCH(QString, contrastEnabled);
    QFETCH(QString, brightnessDisabled);
    QFETCH(QString, brightnessEnabled);
    QCOMPARE(setSoftwareControl(firmwareClass, UserControl::Contrast, false), contrastDisabled);
    QCOMPARE(setSoftwareControl(firmwareClass, UserControl::Contrast, true), contrastEnabled);
    QCOMPARE(setSoftwareControl(firmwareClass, UserControl::Brightness, false), brightnessDisabled);
    QCOMPARE(setSoftwareControl(firmwareClass, UserControl::Brightness, true), brightnessEnabled);
}

// A setting's key names the DAC or control it sets: the same text may set different DACs, and the same DAC has
// one key however its request is built.
void CatalogueTest::settingKeys_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expectedKey");
    QTest::addColumn<QString>("expectedText");
    auto add = [](const char* name, const Setting& s, const char* key, const char* text) {
        QTest::newRow(name) << s.key << s.text << QString::fromLatin1(key) << QString::fromLatin1(text);
    };
    add("group d, DAC 3 at 10", dacSetting('d', 3, 10), "cdd3", "cdd310");
    add("group d, DAC 31 at 0: the same text", dacSetting('d', 31, 0), "cdd31", "cdd310");
    add("group a counts from 1 after a blank", dacSetting('A', 0, 7), "cda 1", "cda 17");
    add("contrast is DAC 0 of group l", {dacKey('l', 0), setContrast(128)}, "cdl0", "cdl0128");
    add("brightness is DAC 1 of group l", {dacKey('l', 1), setBrightness(5)}, "cdl1", "cdl15");
    add("offset", offsetSetting(2, 100), "cf2", "cf2100");
    add("focus", hvControlSetting(HvControl::Focus, 40), "chf", "chf40");
    add("G2", hvControlSetting(HvControl::G2, 63), "chg", "chg63");
    add("no such group", dacSetting('x', 0, 1), "", "");
    add("no key", setting(QString(), 1), "", "");
}

void CatalogueTest::settingKeys() {
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, expectedKey);
    QFETCH(QString, expectedText);
    QCOMPARE(key, expectedKey);
    QCOMPARE(text, expectedText);
}

QTEST_GUILESS_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
