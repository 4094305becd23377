#include "protocol/DataReadHandlers.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "protocol/DiagnosticHandlers.h"
#include "protocol/FirmwareClass.h"
#include "protocol/FlagScope.h"
#include "protocol/ParseRules.h"
#include "protocol/TextHelpers.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

DacTable tableOf(DacKind kind) {
    switch (kind) {
    case DacKind::Factory:
        return DacTable::Factory;
    case DacKind::Initial:
        return DacTable::Initial;
    case DacKind::Current:
        break;
    }
    return DacTable::Value;
}

// The labelled-value rule leaves the reply line's carriage return at the end of the value.
QString withoutLineEnd(QString s) {
    while (!s.isEmpty() && (s.back() == QLatin1Char('\r') || s.back() == QLatin1Char('\n')))
        s.chop(1);
    return s;
}

QString twoDigits(int n) {
    return n < 0 ? QLatin1Char('-') + QString::number(-n).rightJustified(2, QLatin1Char('0'))
                 : QString::number(n).rightJustified(2, QLatin1Char('0'));
}

// The leading decimal number of a text (blanks, sign, digits, fraction), rounded to an integer; 0 when the text
// does not start with a number.
int roundedDecimal(const QString& text) {
    const QString s = Text::trimLeading(text);
    int i = 0;
    if (i < s.size() && (s.at(i) == QLatin1Char('-') || s.at(i) == QLatin1Char('+')))
        ++i;
    const int digitsFrom = i;
    while (i < s.size() && s.at(i).isDigit() && s.at(i).unicode() < 128)
        ++i;
    if (i < s.size() && s.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < s.size() && s.at(i).isDigit() && s.at(i).unicode() < 128)
            ++i;
    }
    if (i == digitsFrom)
        return 0;
    bool ok = false;
    const double v = QLocale::c().toDouble(s.left(i), &ok);
    if (!ok)
        return 0;
    const double r = std::nearbyint(v);
    return static_cast<int>(qBound<double>(std::numeric_limits<int>::min(), r, std::numeric_limits<int>::max()));
}

// The text after label up to the end of its line; empty when the label is absent.
QString lineAfter(const QString& body, const QString& label) {
    const int at = body.indexOf(label);
    if (at < 0)
        return QString();
    QString text = body.mid(at + label.size());
    const int end = text.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    if (end >= 0)
        text.truncate(end);
    return text;
}

} // namespace

DataReadHandlers::DataReadHandlers(MonitorModel& model, QObject* parent)
    : QObject(parent), m_model(model), m_diagnostics(new DiagnosticHandlers(model, this)) {}

int DataReadHandlers::familyOf(int firmwareClass) {
    return FirmwareClass::setUpFamily(firmwareClass);
}

void DataReadHandlers::firmwareVersion(const QString& body) {
    const QString text = Text::trimLeading(body);
    if (text.isEmpty())
        return;
    const QChar selector = text.at(0).toUpper();
    if (selector == QLatin1Char('V'))
        versionAnswer(text);
    else if (selector == QLatin1Char('D') || selector == QLatin1Char('F') || selector == QLatin1Char('P'))
        offsetRow(selector, text);
}

void DataReadHandlers::versionAnswer(const QString& body) {
    bool ok = false;
    const QString version = ParseRules::versionText(body, &ok);
    // Only a plain decimal number gives a class; anything else leaves class, set-up and labels as they are.
    static const QRegularExpression number(QStringLiteral("^[0-9]*\\.?[0-9]+$"));
    if (!ok || !number.match(version).hasMatch())
        return;
    const double value = QLocale::c().toDouble(version, &ok);
    if (!ok)
        return;
    const double scaled = std::floor(value * 100.0 + 0.4);
    if (scaled > std::numeric_limits<qint16>::max())
        return;

    const QString shown = QStringLiteral("V ") + version;
    // Another firmware on the line is another monitor: nothing read of the last one holds for it.
    if (m_model.origin(MonitorModel::firmwareVersionKey) == Origin::Read && m_model.firmwareVersion != shown) {
        m_model.forgetMonitorValues();
        m_diagnostics->monitorValuesForgotten();
    }
    m_model.firmwareVersion = shown;
    m_model.setOrigin(MonitorModel::firmwareVersionKey, Origin::Read);
    emit firmwareVersionRead(shown);

    m_model.firmwareClass = static_cast<int>(scaled);
    // A capability belongs to the monitor that reported it; this one may report its own after its set-up.
    m_model.capabilityReported = false;
    const int family = familyOf(m_model.firmwareClass);
    if (family == 0)
        return;
    m_model.hasBoardIdentity = family == 2;
    emit familySetUpRequested(m_model.firmwareClass);
}

void DataReadHandlers::offsetRow(QChar selector, const QString& body) {
    if (body.contains(QLatin1Char('!')))
        return;
    // The values stand on the second line after the selector's own line.
    const int first = body.indexOf(QLatin1Char('\n'));
    const int second = first < 0 ? -1 : body.indexOf(QLatin1Char('\n'), first + 1);
    if (second < 0)
        return;
    DacKind kind = DacKind::Current;
    if (selector == QLatin1Char('F'))
        kind = DacKind::Factory;
    else if (selector == QLatin1Char('P'))
        kind = DacKind::Initial;
    // The offsets are signed; one beyond a row's range is shown, not taken, by the window.
    QVector<int> values;
    const bool clean = ParseRules::strictList(body.mid(second + 1), 6, -32768, 32767, &values);
    settle(Catalogue::readOffsets(kind), clean, body);
    if (values.isEmpty())
        return;
    if (kind == DacKind::Current)
        for (int& v : values)
            v += 128; // slider positions; the window shows the position minus 128
    if (!m_model.readingAside)
        emit offsetRowRead(kind, values);
}

void DataReadHandlers::bootEpromVersion(const QString& body) {
    bool ok = false;
    const QString version = ParseRules::versionText(body, &ok);
    if (!ok || version.isEmpty())
        return;
    const QString shown = QStringLiteral("V ") + version;
    m_model.romVersion = shown;
    m_model.setOrigin(MonitorModel::romVersionKey, Origin::Read);
    emit bootEpromVersionRead(shown);
}

void DataReadHandlers::bootBlockContents(const QString& body) {
    static const QString marker = QStringLiteral("= 0x");
    if (!body.contains(marker))
        return;
    QStringList values;
    QString rest = body;
    for (int k = 0; k < 9; ++k) {
        const int at = rest.indexOf(marker);
        if (at < 0)
            break;
        values.append(rest.mid(at + marker.size(), 2));
        const int lineFeed = rest.indexOf(QLatin1Char('\n'), at);
        rest = lineFeed < 0 ? QString() : rest.mid(lineFeed + 1);
    }
    MonitorStates& states = m_model.states;
    states.bootBlock.set(values, Origin::Read);

    static const QString autoBoot = QStringLiteral("auto boot ");
    const int at = body.indexOf(autoBoot);
    if (at >= 0) {
        int end = at + autoBoot.size();
        while (end < body.size() && Text::isAlphanumeric(body.at(end)))
            ++end;
        states.autoBoot.set(body.mid(at + autoBoot.size(), end - at - autoBoot.size()), Origin::Read);
    }
    emit statesChanged(MonitorStates::Part::BootBlock);
}

void DataReadHandlers::currentScanSet(const QString& body) {
    static const QString numberLabel = QStringLiteral("Config Number ");
    static const QString nameLabel = QStringLiteral("Config Name = ");
    int number = -1;
    const int at = body.indexOf(numberLabel);
    if (at >= 0) {
        // One character after the label: the "=" is skipped.
        number = Text::parseSignedDecimal(body.mid(at + numberLabel.size() + 1));
        if (number >= 0) {
            m_model.monitorScanSetNumber = number;
            emit currentScanSetNumberRead(number);
        }
    }
    QString name;
    const bool named = body.contains(nameLabel);
    if (named) {
        name = lineAfter(body, nameLabel).left(72);
        m_model.monitorScanSetName = name;
        emit currentScanSetNameRead(name);
    }
    // The nominal frequencies as the monitor words them ("31.47 kHz").
    const QString horizontal = lineAfter(body, QStringLiteral("H Freq = "));
    const QString vertical = lineAfter(body, QStringLiteral("V Freq = "));
    if (!horizontal.isEmpty() || !vertical.isEmpty())
        emit currentScanSetFrequenciesRead(horizontal, vertical);
    // Until the user chooses a scan set, the tool works on the one the monitor runs (numbered from 1).
    if (!m_model.scanSetChosen && named && number >= 1 && number <= MonitorModel::scanSetWindowRows) {
        m_model.currentScanSet = static_cast<qint16>(number - 1);
        m_model.currentScanSetName = name;
        m_model.scanSetCaption = MonitorModel::scanSetCaptionFor(number - 1, name);
        emit scanSetCaptionChanged();
    }
}

void DataReadHandlers::scanSetList(const QString& body) {
    QString remaining = body;
    for (int line = 0; line < m_model.scanSetCount; ++line) {
        const int lineFeed = remaining.indexOf(QLatin1Char('\n'));
        QString text = lineFeed < 0 ? remaining : remaining.left(lineFeed);
        remaining = lineFeed < 0 ? QString() : remaining.mid(lineFeed + 1);
        // A line without its index, flag and name (the prompt, a short list) ends the list.
        if (text.count(QLatin1Char(',')) < 2)
            return;
        int index = ParseRules::nextNumber(text);
        if (index < 0 || index > m_model.scanSetCount)
            index = 0;
        int enabled = ParseRules::nextNumber(text);
        if (enabled < 0 || enabled > 1)
            enabled = 0;
        const QString name = withoutLineEnd(text);
        // The scan-set window has one row per scan set it can show; an index beyond them ends the list.
        if (index >= MonitorModel::scanSetWindowRows)
            return;
        m_model.setScanSetName(index, name);
        m_model.setOrigin(QStringLiteral("scanSetName:%1").arg(index), Origin::Read);
        // The monitor's switch is shown in the scan-set window; the save tick stays the user's choice there.
        emit scanSetEntryRead(index, name, enabled);
    }
}

void DataReadHandlers::identity(QChar board, bool serial, const QString& body, const QString& label) {
    bool found = false;
    const QString value = withoutLineEnd(ParseRules::labelledValue(body, label, &found));
    if (!found)
        return;
    m_model.setBoardNumber(board, serial, value, Origin::Read);
    emit identityRead(board, serial, value);
}

void DataReadHandlers::partNumber(QChar board, const QString& body) {
    identity(board.toUpper(), false, body, QStringLiteral("Model Number = "));
}

void DataReadHandlers::serialNumber(QChar board, const QString& body) {
    if (board.toUpper() == QLatin1Char('U'))
        return; // the monitor's part number has no serial number
    identity(board.toUpper(), true, body, QStringLiteral("Serial Number = "));
}

void DataReadHandlers::filamentDutyCycle(QChar reading, const QString& body) {
    bool found = false;
    const QString value = withoutLineEnd(ParseRules::labelledValue(body, QStringLiteral("Duty Cycle = "), &found));
    if (!found)
        return;
    MonitorStates& states = m_model.states;
    const QChar r = reading.toUpper();
    (r == QLatin1Char('S')   ? states.filamentSteady
     : r == QLatin1Char('W') ? states.filamentWarmup
                             : states.filamentImmediate)
        .set(value, Origin::Read);
    emit statesChanged(MonitorStates::Part::Backlight);
}

void DataReadHandlers::operatingTime(const QString& body) {
    const QStringList lines = body.split(QLatin1Char('\n'));
    // Two lines of times and the cycles line; anything shorter, or a first line without a number, is not an
    // operating-time answer.
    if (lines.size() < 3)
        return;
    if (QString first = lines.at(0); ParseRules::nextNumber(first) == -1)
        return;
    // The stored time and the time since power-on, each days, hours, minutes, seconds, then the cycles: every field
    // a clean number, or the answer is garbled and read again.
    constexpr int most = 999999;
    QVector<int> stored, sincePowerOn, cyclesField;
    const bool clean = ParseRules::strictList(lines.at(0), 4, 0, most, &stored) &&
                       ParseRules::strictList(lines.at(1), 4, 0, most, &sincePowerOn) &&
                       ParseRules::strictList(lines.at(2), 1, 0, most, &cyclesField) && !cyclesField.isEmpty();
    settle(Catalogue::readOperatingTime(), clean, body);
    if (!clean)
        return;
    int fields[4] = {0, 0, 0, 0};
    for (int k = 0; k < 4; ++k)
        fields[k] = stored.value(k) + sincePowerOn.value(k);
    const int cycles = cyclesField.first();

    int& days = fields[0];
    int& hours = fields[1];
    int& minutes = fields[2];
    int& seconds = fields[3];
    if (seconds >= 60) {
        minutes += seconds / 60;
        seconds %= 60;
    }
    if (minutes >= 60) {
        hours += minutes / 60;
        minutes %= 60;
    }
    if (hours >= 24) {
        days += hours / 24;
        hours %= 24;
    }
    const QString timeText = QString::number(days) + QLatin1Char(':') + twoDigits(hours) + QLatin1Char(':') +
                             twoDigits(minutes) + QLatin1Char(':') + twoDigits(seconds);
    const QString cyclesText = QString::number(cycles);
    m_model.operatingTime = timeText;
    m_model.operatingCycles = cyclesText;
    m_model.setOrigin(MonitorModel::operatingTimeKey, Origin::Read);
    emit operatingTimeRead(timeText, cyclesText, days, hours, minutes, seconds, cycles);
}

bool DataReadHandlers::heaterAndFan(const QString& body) {
    const QString heater = lineAfter(body, QStringLiteral("Heater "));
    const QString fan = lineAfter(body, QStringLiteral("Fan "));
    const int heaterState = heater.startsWith(QLatin1String("automatic"))    ? 0
                            : heater.startsWith(QLatin1String("forced off")) ? 1
                            : heater.startsWith(QLatin1String("forced on"))  ? 2
                                                                             : -1;
    int fanState = fan.startsWith(QLatin1String("automatic")) ? 0 : -1;
    static const QString speed = QStringLiteral("forced, speed ");
    if (fan.startsWith(speed)) {
        const int n = Text::parseSignedDecimal(fan.mid(speed.size()));
        fanState = n >= 0 && n <= 3 ? n + 1 : -1;
    }
    if (heaterState >= 0)
        m_model.states.heater.set(heaterState, Origin::Read);
    if (fanState >= 0)
        m_model.states.fan.set(fanState, Origin::Read);
    return heaterState >= 0 || fanState >= 0;
}

void DataReadHandlers::panelStatus(const QString& body) {
    MonitorStates::Parts changed;
    const bool photocellOn = body.contains(QLatin1String("Photocell Enabled"));
    if (photocellOn || body.contains(QLatin1String("Photocell Disabled"))) {
        m_model.states.photocellEnabled.set(photocellOn, Origin::Read);
        changed |= MonitorStates::Part::Backlight;
    }
    if (heaterAndFan(body))
        changed |= MonitorStates::Part::HeaterFan;
    if (panelControls(body))
        changed |= MonitorStates::Part::PanelControls;

    auto failText = [](QChar flag) -> QString {
        if (flag == QLatin1Char('0'))
            return QStringLiteral("Operating");
        if (flag == QLatin1Char('1'))
            return QStringLiteral("Not Operating");
        return QString();
    };
    m_diagnostics->deflectionStatus(body.isEmpty() ? QString() : failText(body.at(0)),
                                    body.size() >= 3 ? failText(body.at(2)) : QString());
    if (changed)
        emit statesChanged(changed);
}

bool DataReadHandlers::panelControls(const QString& body) {
    MonitorStates& states = m_model.states;
    const int fc = m_model.firmwareClass;
    bool any = false;
    static const QString limitsLabel = QStringLiteral("Limits ");
    const int limitsAt = body.indexOf(limitsLabel);
    if (limitsAt >= 0) {
        QString rest = body.mid(limitsAt + limitsLabel.size());
        std::array<int, MonitorStates::limitCount> limits{};
        for (int& limit : limits) {
            limit = roundedDecimal(rest);
            rest = Text::textAfterComma(rest);
        }
        states.limits.set(limits, Origin::Read);
        if (FirmwareClass::limitsCarryHysteresis(fc)) {
            states.contrastHysteresis.set(roundedDecimal(rest), Origin::Read);
            rest = Text::textAfterComma(rest);
            states.brightnessHysteresis.set(roundedDecimal(rest), Origin::Read);
        }
        any = true;
    }

    // "BC" and the user brightness and contrast flags: 0 where the software controls it.
    const int bc = body.indexOf(QLatin1String("BC"));
    if (bc >= 0 && FirmwareClass::limitsCarrySoftwareControl(fc) && bc + 5 < body.size()) {
        states.brightnessSoftware.set(body.at(bc + 3) == QLatin1Char('0'), Origin::Read);
        states.contrastSoftware.set(body.at(bc + 5) == QLatin1Char('0'), Origin::Read);
        any = true;
    }
    return any;
}

void DataReadHandlers::modelType(const QString& body) {
    bool found = false;
    const QString value = ParseRules::labelledValue(body, QStringLiteral("Model Type = "), &found);
    if (!found)
        return;
    const int type = ParseRules::radixNumber(value);
    if (type < 1 || type > 63)
        return;
    // The answer reports bit 8 for a monochrome monitor, "cw" takes it for a colour one.
    m_model.states.operatingMode.set(type ^ 8, Origin::Read);
    emit statesChanged(MonitorStates::Part::OperatingMode);
}

void DataReadHandlers::capability(const QString& body) {
    static const QString label = QStringLiteral("Capability = ");
    const int at = body.indexOf(label);
    if (at < 0)
        return;
    const int mask = ParseRules::radixNumber(body.mid(at + label.size()));
    if (mask < 0)
        return; // no number: -1 would read as every capability
    const FlagScope suppress(m_model.suppressControlEvents, true, false);
    m_model.setCapabilities(mask);
    m_model.capabilityReported = true;
    emit capabilityRead(m_model.capabilityMask());
}

void DataReadHandlers::deflectionEnableRead(bool enabled) {
    m_model.states.deflectionEnabled.set(enabled, Origin::Read);
    emit statesChanged(MonitorStates::Part::DeflectionHv);
}

void DataReadHandlers::hvEnableRead(bool enabled) {
    m_model.states.hvEnabled.set(enabled, Origin::Read);
    emit statesChanged(MonitorStates::Part::DeflectionHv);
}

bool DataReadHandlers::readList(QChar group, DacKind kind, const QString& text, int count, QVector<int>* values) {
    const QString request = Catalogue::readDac(group.toLower(), kind);
    const QString line = Text::trimLeading(text);
    // An answer with no list at all (the prompt right away) reports nothing; it is not a damaged one.
    if (line.isEmpty() || line.at(0) == QLatin1Char('#') || line.at(0) == QLatin1Char('$')) {
        values->clear();
        return false;
    }
    const bool clean = ParseRules::strictList(line, count, 0, 255, values);
    settle(request, clean, text);
    return clean;
}

void DataReadHandlers::settle(const QString& request, bool clean, const QString& answer) {
    if (clean) {
        m_rereads.remove(request);
        return;
    }
    // Read again rather than take a damaged number; a monitor that keeps sending noise is not asked for ever.
    int& tries = m_rereads[request];
    const bool again = ++tries <= maxRereads;
    if (!again)
        m_rereads.remove(request);
    emit answerGarbled(answer.trimmed(), again ? request : QString());
}

void DataReadHandlers::storeRow(QChar group, DacKind kind, const QVector<int>& values, int firstIndex) {
    DacGroup* g = m_model.group(group);
    if (!g)
        return;
    // A scan-set index outside the tables (after "DeSelect") has no cells: the values are only shown.
    for (int i = 0; i < values.size(); ++i)
        g->set(tableOf(kind), firstIndex + i, m_model.currentScanSet, values[i], Origin::Read);
    if (!values.isEmpty())
        emit dacRowStored(group, kind, firstIndex, int(values.size()), m_model.currentScanSet);
}

void DataReadHandlers::dacValues(QChar group, DacKind kind, const QString& body) {
    const QChar letter = group.toUpper();
    if (letter == QLatin1Char('N')) {
        if (kind == DacKind::Current)
            scanSetList(body);
        return;
    }
    switch (letter.unicode()) {
    case 'L':
    case 'B':
    case 'V':
    case 'H':
        groupList(letter, kind, body);
        break;
    case 'S':
        fourValues(letter, kind, kind == DacKind::Current ? body : Text::textAfterLineFeed(body));
        break;
    case 'A':
        fourValues(letter, kind, Text::textAfterLineFeed(Text::textAfterComma(body)));
        break;
    case 'D':
    case 'E':
    case 'G':
    case 'I':
    case 'K':
        fourValues(letter, kind, Text::textAfterLineFeed(kind == DacKind::Current ? body : Text::textAfterComma(body)));
        break;
    default:
        break;
    }
}

void DataReadHandlers::groupList(QChar group, DacKind kind, const QString& body) {
    DacGroup* g = m_model.group(group);
    const int count = group == QLatin1Char('B') ? 2 : g->count;
    // The horizontal answers carry "Horiz S Cap" (horizontal index 8) after the list.
    const bool sCap = group == QLatin1Char('H');
    QVector<int> values;
    if (!readList(group, kind, body, count + (sCap ? 1 : 0), &values))
        return;
    const int extra = sCap && values.size() > count ? values.takeLast() : -1;
    storeRow(group, kind, values);
    if (!values.isEmpty() && !m_model.readingAside)
        emit dacValuesRead(group, kind, values);
    if (extra >= 0) {
        g->set(tableOf(kind), MonitorModel::horizontalSCapIndex, m_model.currentScanSet, extra, Origin::Read);
        emit dacRowStored(group, kind, MonitorModel::horizontalSCapIndex, 1, m_model.currentScanSet);
        if (!m_model.readingAside)
            emit horizontalSCapRead(kind, extra);
    }
}

void DataReadHandlers::fourValues(QChar group, DacKind kind, const QString& numbers) {
    // One above a row's range is still what the monitor holds: the model keeps it, and the row shows it without
    // taking it as a slider position.
    QVector<int> values;
    if (!readList(group, kind, numbers, 4, &values))
        return;
    storeRow(group, kind, values);
    if (!values.isEmpty() && !m_model.readingAside)
        emit dacValuesRead(group, kind, values);
}

void DataReadHandlers::testPointsClass1(const QString& body) {
    m_diagnostics->testPoints(1, body);
}
void DataReadHandlers::testPointsClass2(const QString& body) {
    m_diagnostics->testPoints(2, body);
}
void DataReadHandlers::testPointsClass3(const QString& body) {
    m_diagnostics->testPoints(3, body);
}
void DataReadHandlers::testPointsClass4(const QString& body) {
    m_diagnostics->testPoints(4, body);
}
void DataReadHandlers::hvControls(const QString& body) {
    m_diagnostics->hvControls(body);
}
void DataReadHandlers::syncFrequencies(const QString& body) {
    m_diagnostics->syncFrequencies(body);
}
void DataReadHandlers::i2cProbeResult(const QString& body, int colour) {
    m_diagnostics->i2cProbeResult(body, colour);
}
void DataReadHandlers::peekAddressRead(const QString& text) {
    m_diagnostics->memoryRead(DiagnosticHandlers::MemoryField::Address, text);
}
void DataReadHandlers::peekByteRead(const QString& text) {
    m_diagnostics->memoryRead(DiagnosticHandlers::MemoryField::Byte, text);
}
void DataReadHandlers::peekWordRead(const QString& text) {
    m_diagnostics->memoryRead(DiagnosticHandlers::MemoryField::Word, text);
}
void DataReadHandlers::peekCharRead(const QString& text) {
    m_diagnostics->memoryRead(DiagnosticHandlers::MemoryField::Char, text);
}
