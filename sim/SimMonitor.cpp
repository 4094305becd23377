#include "sim/SimMonitor.h"

#include <QtMath>

#include <algorithm>
#include <cctype>

namespace sim {

namespace {

const char crlf[] = "\r\n";

QString groupTitle(char group) {
    switch (group) {
    case 'l':
        return QStringLiteral("Video");
    case 'b':
        return QStringLiteral("Bias");
    case 'h':
        return QStringLiteral("Horizontal");
    case 'v':
        return QStringLiteral("Vertical");
    case 's':
        return QStringLiteral("North-South");
    case 'a':
        return QStringLiteral("Convergence DC");
    case 'd':
        return QStringLiteral("Convergence H Ramp");
    case 'i':
        return QStringLiteral("Convergence H Parabola");
    case 'e':
        return QStringLiteral("Convergence V Ramp");
    case 'k':
        return QStringLiteral("Convergence V Parabola");
    case 'g':
        return QStringLiteral("Purity");
    }
    return QString();
}

QString tableTitle(DacTable t) {
    return t == DacTable::Current   ? QStringLiteral("present")
           : t == DacTable::Factory ? QStringLiteral("factory")
                                    : QStringLiteral("initial");
}

QString hex2(int v) {
    return QStringLiteral("0x") + QStringLiteral("%1").arg(v & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

QString hex4(int v) {
    return QStringLiteral("0x") + QStringLiteral("%1").arg(v & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper();
}

QByteArray trimmed(const QByteArray& text) {
    return text.trimmed();
}

// Text that the controller sends back inside a reply line: prompt and error characters would cut the
// answer short at the tool, control characters would break the line.
QString printable(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (c == QLatin1Char('#') || c == QLatin1Char('$') || c == QLatin1Char('!') || c.unicode() < 0x20 ||
            c.unicode() > 0x7E)
            out += QLatin1Char('_');
        else
            out += c;
    }
    return out;
}

bool inRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

} // namespace

bool parseSimNumber(const QByteArray& text, int* value) {
    if (text.isEmpty())
        return false;
    bool ok = false;
    qlonglong v = 0;
    if (text.startsWith("0x") || text.startsWith("0X")) {
        if (text.size() == 2 || text.size() > 10)
            return false;
        v = text.mid(2).toLongLong(&ok, 16);
    } else {
        int i = text.startsWith('-') ? 1 : 0;
        if (i == text.size() || text.size() > 10)
            return false;
        for (int k = i; k < text.size(); ++k) {
            if (text[k] < '0' || text[k] > '9')
                return false;
        }
        v = text.toLongLong(&ok, 10);
    }
    if (!ok || v > 0x7FFFFFFF || v < -0x7FFFFFFF)
        return false;
    *value = int(v);
    return true;
}

SimMonitor::SimMonitor(const SimProfile& profile, bool bootMode) {
    m_state.profile = profile;
    initialise();
    m_state.bootMode = bootMode;
}

void SimMonitor::initialise() {
    MonitorState& s = m_state;
    const SimProfile& p = s.profile;

    s.flash = QByteArray(flashSize, char(0xFF));
    // The factory firmware: a recognisable, deterministic pattern in the lower half.
    for (int i = 0; i < flashSize / 2; ++i)
        s.flash[i] = char((i * 37 + (i >> 8) * 11) & 0xFF);
    s.sram = QByteArray(sramSize, char(0));
    s.memory = QByteArray(0x10000, char(0));
    for (int i = 0; i < s.memory.size(); ++i)
        s.memory[i] = char((i ^ (i >> 7)) & 0xFF);
    const QByteArray banner = p.modelNumber.toLatin1() + ' ' + p.firmwareVersion.toLatin1();
    for (int i = 0; i < banner.size(); ++i)
        s.memory[0x0100 + i] = banner[i];

    s.boards.clear();
    s.boards['s'] = {p.modelNumber, p.serialNumber};
    s.boards['u'] = {p.partNumber, QString()};
    s.boards['t'] = {p.crtPartNumber, p.crtSerialNumber};
    if (p.hasBoardIdentity) {
        s.boards['c'] = {QStringLiteral("610-0044-02"), QStringLiteral("CV-1043")};
        s.boards['d'] = {QStringLiteral("610-0011-05"), QStringLiteral("DF-2210")};
        s.boards['f'] = {QStringLiteral("610-0071-01"), QStringLiteral("FC-0317")};
        s.boards['g'] = {QStringLiteral("610-0090-01"), QStringLiteral("G2-0518")};
        s.boards['h'] = {QStringLiteral("610-0080-03"), QStringLiteral("HV-7781")};
        s.boards['l'] = {QStringLiteral("610-0030-04"), QStringLiteral("LV-3302")};
        s.boards['p'] = {QStringLiteral("610-0050-07"), QStringLiteral("CP-5120")};
        s.boards['v'] = {QStringLiteral("610-0020-06"), QStringLiteral("VD-2046")};
    }

    s.time.days = 412;
    s.time.hours = 7;
    s.time.minutes = 23;
    s.time.seconds = 5;
    s.time.sessionSeconds = 0;
    s.time.cycles = 1287;

    s.scanSets = {
        {QStringLiteral("640x480 60Hz"), true, 31.47, 59.94},
        {QStringLiteral("800x600 60Hz"), true, 37.88, 60.32},
        {QStringLiteral("1024x768 60Hz"), true, 48.36, 60.00},
        {QStringLiteral("1280x1024 60Hz"), true, 63.98, 60.02},
        {QStringLiteral("1280x1024 72Hz"), false, 76.97, 72.00},
        {QStringLiteral("1600x1200 60Hz"), false, 75.00, 60.00},
    };
    s.currentScanSet = 0;

    // Factory values per group and scan set; the initial (power-on) values were trimmed a little at
    // installation, and the present values start as the initial ones.
    s.dacs.clear();
    const QByteArray letters = groupLetters();
    for (char g : letters) {
        DacGroupState group;
        for (int set = 0; set < DacGroupState::scanSets; ++set) {
            for (int i = 0; i < DacGroupState::maxDacs; ++i) {
                int f = 128;
                switch (g) {
                case 'l': {
                    static const int video[8] = {200, 128, 180, 176, 184, 128, 130, 126};
                    f = i < 8 ? video[i] : 0;
                    break;
                }
                case 'b':
                    f = i == 0 ? 150 : i == 1 ? 100 : 0;
                    break;
                case 'h':
                    f = i == 0 ? 140 + 4 * set : i == 8 ? 2 + set % 3 : i < 4 ? 128 - 2 * i : 0;
                    break;
                case 'v':
                    f = i == 0 ? 150 + 3 * set : i == 3 ? 110 + 2 * set : i < 7 ? 128 : 0;
                    break;
                case 'a':
                    f = i < 4 ? 120 + 4 * i + set : 0;
                    break;
                default:
                    // Six-bit digipots sit near their middle.
                    f = i < 4 ? 28 + 2 * i + set % 4 : 0;
                    break;
                }
                const int initial = std::clamp(f + ((i + set) % 3) - 1, 0, maxValue(g, i));
                group.setValue(DacTable::Factory, i, set, f);
                group.setValue(DacTable::Initial, i, set, initial);
                group.setValue(DacTable::Current, i, set, initial);
            }
        }
        s.dacs[g] = group;
    }
    s.offsetFactory = {0, 0, 0, 0, 0, 0};
    s.offsetInitial = {-3, 2, 0, 5, -1, 4};
    s.offsetCurrent = s.offsetInitial;

    s.limits = {40, 200, 30, 180, 50, 220, 40, 210};
    s.hysteresisContrast = 1;
    s.hysteresisBrightness = 1;
    s.operatingMode = 32 | 8; // continuous built-in test on, colour
    s.photocellEnabled = p.flatPanel;

    s.hvDefault = {180, 128, 40, 200};
    s.hvControl = {182, 126, 41, 200};
    s.hvUpperLimit = 230;
    s.hvLowerLimit = 150;
    s.anodeCurrentLimit = 200;

    s.filamentSteady = 180;
    s.filamentWarmup = 240;

    // Bus devices of the boards that this monitor has. One device of each set is broken and does not
    // respond, so that the probe shows both results.
    s.i2cDevices.clear();
    auto add = [&s](std::initializer_list<int> addresses, const char* result) {
        for (int a : addresses)
            s.i2cDevices[a & 0xFE] = QString::fromLatin1(result);
    };
    add({0x48}, "OK");             // CPU LED control register
    add({0xA8, 0x96, 0x98}, "OK"); // LVPS
    if (p.flatPanel) {
        add({0x30, 0x44, 0xA6}, "OK"); // power distribution
        add({0x9A}, "NR");
        if (p.capability & 4)
            add({0x94, 0xAC, 0x90}, "OK"); // video
    } else {
        add({0xAA, 0x4C, 0x9C, 0x92, 0x4A, 0x54}, "OK"); // deflection
        add({0x94, 0xAC, 0x90}, "OK");                   // video
        if (p.family >= 2) {
            add({0x5E, 0x5C, 0x5A, 0x4E, 0x9E, 0x58, 0xAE}, "OK"); // convergence
            add({0x56}, "NR");
            add({0x52, 0xA4}, "OK"); // G2
        } else {
            add({0x5E, 0x5C}, "NR");
        }
    }
    reset();
    s.time.sessionSeconds = 0;
}

void SimMonitor::reset() {
    MonitorState& s = m_state;
    foldOperatingTime();
    for (auto it = s.dacs.begin(); it != s.dacs.end(); ++it)
        it->current = it->initial;
    s.offsetCurrent = s.offsetInitial;
    s.peekAddress = 0;
    s.deflectionEnabled = true;
    s.hvEnabled = true;
    // The user-control setting lasts one power cycle; the operating mode holds its default.
    s.userBrightness = !(s.operatingMode & 2);
    s.userContrast = !(s.operatingMode & 1);
    s.filamentImmediate = s.filamentSteady;
    s.downloadTarget = DownloadTarget::None;
    s.sramRunning = false;
    s.heaterForced = false;
    s.fanForced = false;
    s.videoSource = 0;
    s.bootMode = !(s.flashValid && (s.autoBoot || s.bootUnconditional == 0x34) && s.abortAutoBoot == 0);
}

int SimMonitor::reportedCount(char group) {
    switch (group) {
    case 'l':
        return 8;
    case 'b':
        return 2;
    case 'h':
        return 4;
    case 'v':
        return 7;
    case 's':
    case 'a':
    case 'd':
    case 'e':
    case 'g':
    case 'i':
    case 'k':
        return 4;
    }
    return 0;
}

int SimMonitor::maxValue(char group, int index) {
    if (QByteArray("sdegik").contains(group))
        return 63;
    if (group == 'h' && index == 8)
        return 127;
    return 255;
}

int SimMonitor::dac(char group, DacTable table, int index, int scanSet) const {
    if (!m_state.dacs.contains(group))
        return -1;
    return m_state.dacs[group].value(table, index, scanSet);
}

void SimMonitor::setSilent(bool silent) {
    m_silent = silent;
    m_silentAfter = -1;
    if (silent) {
        m_lineBuffer.clear();
        m_lineOverflow = false;
    }
}

void SimMonitor::setSilentAfter(int n) {
    m_silentAfter = n;
    if (n == 0)
        setSilent(true);
}

void SimMonitor::setRejectRecord(int k, int times) {
    m_rejectRecord = k;
    m_rejectTimes = times;
    m_state.recordRejections = 0;
}

void SimMonitor::advanceTime(int seconds) {
    if (seconds <= 0)
        return;
    m_state.time.sessionSeconds += seconds;
    m_state.uptimeSeconds += seconds;
}

void SimMonitor::foldOperatingTime() {
    OperatingTime& t = m_state.time;
    qint64 secs = qint64(t.seconds) + t.sessionSeconds;
    qint64 mins = t.minutes + secs / 60;
    secs %= 60;
    qint64 hours = t.hours + mins / 60;
    mins %= 60;
    qint64 days = t.days + hours / 24;
    hours %= 24;
    t.days = int(std::min<qint64>(days, 65535));
    t.hours = int(hours);
    t.minutes = int(mins);
    t.seconds = int(secs);
    t.sessionSeconds = 0;
}

QList<Exchange> SimMonitor::feed(const QByteArray& bytes) {
    QList<Exchange> out;
    for (char c : bytes) {
        if (m_silent)
            return out;
        if (c == '\0')
            continue;
        if (c == '\n' && m_lastWasCr) {
            m_lastWasCr = false;
            continue;
        }
        m_lastWasCr = (c == '\r');
        if (c == '\r' || c == '\n') {
            Exchange e;
            e.request = m_lineBuffer;
            const bool overflow = m_lineOverflow;
            m_lineBuffer.clear();
            m_lineOverflow = false;
            const DownloadTarget before = m_state.downloadTarget;
            e.answer = overflow ? error(QByteArray(), QStringLiteral("Line too long")) : handleLine(e.request);
            if (before != DownloadTarget::None && m_state.downloadTarget == DownloadTarget::None &&
                e.answer.contains("\r\nEOF\r\n"))
                e.completed = before;
            ++m_answersGiven;
            if (m_silentAfter > 0 && --m_silentAfter == 0)
                setSilent(true);
            out.append(e);
            continue;
        }
        if (m_lineBuffer.size() >= maxLineLength)
            m_lineOverflow = true;
        else
            m_lineBuffer.append(c);
    }
    return out;
}

QByteArray SimMonitor::reply(const QByteArray& echo, const QStringList& lines) const {
    QByteArray out = echo + crlf;
    for (const QString& l : lines)
        out += l.toLatin1() + crlf;
    out += prompt();
    return out;
}

QByteArray SimMonitor::ack(const QByteArray& echo, const QString& what) const {
    if (m_state.verbose && !what.isEmpty())
        return reply(echo, {what});
    return reply(echo);
}

QByteArray SimMonitor::error(const QByteArray& echo, const QString& text) const {
    return echo + crlf + printable(text).toLatin1() + '!';
}

QByteArray SimMonitor::handleLine(const QByteArray& line) {
    if (line.startsWith(':'))
        return handleRecord(line);
    // During a download anything that is not a command word is a damaged record.
    if (m_state.downloadTarget != DownloadTarget::None && !line.isEmpty() && !std::isalpha(uchar(line[0])))
        return handleRecord(line);
    return dispatch(line);
}

QByteArray SimMonitor::handleRecord(const QByteArray& line) {
    MonitorState& s = m_state;
    if (s.downloadTarget == DownloadTarget::None)
        return error(line, QStringLiteral("No download in progress"));

    const int recordNumber = s.recordsAccepted + 1;
    if (m_rejectRecord > 0 && recordNumber == m_rejectRecord && s.recordRejections < m_rejectTimes) {
        ++s.recordRejections;
        return error(line, hexRecordErrorText(HexRecordError::Checksum));
    }

    HexRecord record;
    const HexRecordError e = parseHexRecord(line, &record);
    if (e != HexRecordError::None)
        return error(line, hexRecordErrorText(e));

    const bool flash = s.downloadTarget == DownloadTarget::Flash;
    switch (record.type) {
    case HexData: {
        // In 64 bits: after a high extended address a record's end may lie past 2^32, which must not wrap round
        // into the array.
        const quint64 start = quint64(s.addressBase) + record.address;
        const quint64 size = flash ? flashSize : sramSize;
        // The record's own address is 16 bits: its bytes never run on past 0xFFFF into the next 64 KiB.
        const bool wraps = record.address + record.data.size() > 0x10000;
        if (wraps || start > size || quint64(record.data.size()) > size - start)
            return error(line, QStringLiteral("Address out of range"));
        const quint32 address = quint32(start);
        if (flash) {
            // Flash can only clear bits; a byte that does not read back as written was not erased.
            for (int i = 0; i < record.data.size(); ++i) {
                const quint8 now = quint8(s.flash[int(address) + i]) & quint8(record.data[i]);
                if (now != quint8(record.data[i]))
                    return error(line, QStringLiteral("Flash verify error"));
            }
            for (int i = 0; i < record.data.size(); ++i)
                s.flash[int(address) + i] = record.data[i];
            s.flashImage.write(address, record.data);
        } else {
            for (int i = 0; i < record.data.size(); ++i)
                s.sram[int(address) + i] = record.data[i];
            s.sramImage.write(address, record.data);
        }
        break;
    }
    case HexEndOfFile: {
        ++s.recordsAccepted;
        s.recordRejections = 0;
        if (flash)
            s.flashValid = true;
        else
            s.sramLoaded = true;
        s.downloadTarget = DownloadTarget::None;
        return reply(line, {QStringLiteral("EOF")});
    }
    case HexExtendedSegmentAddress:
        s.addressBase = ((quint8(record.data[0]) << 8) | quint8(record.data[1])) * 16u;
        break;
    case HexExtendedLinearAddress:
        s.addressBase = quint32((quint8(record.data[0]) << 8) | quint8(record.data[1])) << 16;
        break;
    default:
        s.startAddress = (quint32(quint8(record.data[0])) << 24) | (quint32(quint8(record.data[1])) << 16) |
                         (quint32(quint8(record.data[2])) << 8) | quint8(record.data[3]);
        break;
    }
    ++s.recordsAccepted;
    s.recordRejections = 0;
    return reply(line);
}

QByteArray SimMonitor::dispatch(const QByteArray& line) {
    MonitorState& s = m_state;
    const QByteArray& l = line;

    if (l.isEmpty())
        return reply(l);
    if (l == "p")
        return reply(l);

    // What the boot block understands; everything else needs the running firmware.
    static const QList<QByteArray> bootWords = {"g",   "x",   "f",   "db", "de", "df", "cb0",
                                                "cb1", "cz0", "cz1", "CU", "CV", "bs"};
    if (s.bootMode && !bootWords.contains(l) && !l.startsWith("bf"))
        return error(l, QStringLiteral("Not available in boot mode"));

    if (l == "g" || l == "x" || l == "f" || l.startsWith("bf") || l == "bs" || l == "cb0" || l == "cb1")
        return bootCommand(l);
    if (l == "cz0" || l == "cz1") {
        s.checking = l == "cz1";
        return ack(l, s.checking ? QStringLiteral("Checking enabled") : QStringLiteral("Checking disabled"));
    }
    if (l == "CU" || l == "CV") {
        s.verbose = l == "CV";
        return reply(l, {s.verbose ? QStringLiteral("Verbose messages") : QStringLiteral("Terse messages")});
    }
    if (l == "cu" || l == "cv") {
        s.statusMessages = l == "cv";
        return ack(l, s.statusMessages ? QStringLiteral("Status messages on") : QStringLiteral("Status messages off"));
    }

    // Data reads.
    if (l == "da")
        return readTestPoints(l);
    if (l == "db")
        return readBootBlock(l);
    if (l == "dc")
        return readCurrentScanSet(l);
    if (l == "de")
        return readVersion(l, true);
    if (l == "df")
        return readVersion(l, false);
    if (l == "dfd")
        return readOffsets(l, DacTable::Current);
    if (l == "dff")
        return readOffsets(l, DacTable::Factory);
    if (l == "dfp")
        return readOffsets(l, DacTable::Initial);
    if (l == "dh")
        return readHv(l);
    if (l == "dp" || l == "dps")
        return readPanelStatus(l);
    if (l == "dt" || l == "du")
        return readOperatingTime(l);
    if (l == "dv")
        return readSync(l);
    if (l == "dw")
        return reply(l, {QStringLiteral("Model Type = %1").arg(s.operatingMode ^ 8)});
    if (l == "dx") {
        if (!s.profile.hasCapability)
            return error(l, QStringLiteral("Unknown command"));
        return reply(l, {QStringLiteral("Capability = %1").arg(hex2(s.profile.capability))});
    }
    if (l.startsWith("dr"))
        return readDutyCycle(l, l.mid(2));
    if (l.startsWith("dm"))
        return readIdentity(l, false, l.mid(2));
    if (l.startsWith("ds"))
        return readIdentity(l, true, l.mid(2));
    if (l.startsWith("dd"))
        return readDacs(l, l.mid(2));

    // DAC settings.
    if (l.startsWith("cd") && l.size() >= 3 && groupLetters().contains(l[2]))
        return setDac(l, l[2], l.mid(3));
    if (l.startsWith("cf"))
        return setOffset(l, l.mid(2));
    if (l == "cac0" || l == "cac1") {
        s.convergenceOn = l == "cac1";
        return ack(l, s.convergenceOn ? QStringLiteral("Convergence on") : QStringLiteral("Convergence off"));
    }

    // Identity, time, scan sets, operating mode.
    if (l.startsWith("cm") && l.size() >= 3)
        return setIdentity(l, false, l.mid(2));
    if (l.startsWith("cs") && l.size() >= 3)
        return setIdentity(l, true, l.mid(2));
    if (l.startsWith("co") && l.size() >= 3)
        return setOperatingTime(l, l[2], l.mid(3));
    if (l.startsWith("CC") || l.startsWith("ccn") || l == "CDCC")
        return scanSetCommand(l);
    if (l.startsWith("cw")) {
        int v = 0;
        if (!parseSimNumber(l.mid(2), &v) || !inRange(v, 0, 63))
            return error(l, QStringLiteral("Bad operating mode"));
        s.operatingMode = v;
        return ack(l, QStringLiteral("Operating mode %1").arg(v));
    }

    // High voltage, deflection, video.
    if (l.startsWith("ch"))
        return hvCommand(l, l.mid(2));
    if (l == "md0" || l == "md1") {
        s.deflectionEnabled = l == "md1";
        return reply(
            l, {s.deflectionEnabled ? QStringLiteral("Deflection enabled") : QStringLiteral("Deflection disabled")});
    }
    if (l == "mh0" || l == "mh1") {
        s.hvEnabled = l == "mh1";
        return reply(l,
                     {s.hvEnabled ? QStringLiteral("High voltage enabled") : QStringLiteral("High voltage disabled")});
    }
    if (l == "cg") {
        ++s.degaussCount;
        return ack(l, QStringLiteral("Degauss"));
    }
    if (l == "ct0" || l == "ct1" || l == "ct2") {
        s.videoSource = l[2] - '0';
        return ack(l, QStringLiteral("Video source %1").arg(s.videoSource));
    }

    // Flat panel.
    if (l.startsWith("cr") || l.startsWith("cp") || l.startsWith("cq") || l.startsWith("CP"))
        return flatPanelCommand(l);

    // Diagnostics.
    if (l.startsWith("a") || l == "rb" || l == "rw" || l == "rc" || l.startsWith("wb") || l.startsWith("ww"))
        return peekPoke(l);
    if (l.startsWith("pi0x"))
        return probeI2c(l, l.mid(4));
    if (l == "lt") {
        s.ledsOn = !s.ledsOn;
        return ack(l, s.ledsOn ? QStringLiteral("LEDs on") : QStringLiteral("LEDs off"));
    }

    return error(l, QStringLiteral("Unknown command"));
}

QByteArray SimMonitor::bootCommand(const QByteArray& l) {
    MonitorState& s = m_state;
    if (l == "g") {
        if (!s.bootMode)
            return reply(l);
        if (!s.flashValid)
            return error(l, QStringLiteral("No valid firmware in flash"));
        s.bootMode = false;
        s.downloadTarget = DownloadTarget::None;
        return reply(l, {QStringLiteral("Starting firmware V %1").arg(s.profile.firmwareVersion)});
    }
    if (l == "x") {
        reset();
        return reply(l, {QStringLiteral("Controller reset"),
                         s.bootMode ? QStringLiteral("Boot block V %1").arg(s.profile.romVersion)
                                    : QStringLiteral("Firmware V %1").arg(s.profile.firmwareVersion)});
    }
    if (l == "f") {
        if (!s.sramLoaded)
            return error(l, QStringLiteral("No SRAM program loaded"));
        s.sramRunning = true;
        return reply(l, {QStringLiteral("Running SRAM program at %1").arg(hex4(int(s.startAddress)))});
    }
    if (l == "cb0" || l == "cb1") {
        s.autoBoot = l == "cb1";
        return ack(l, s.autoBoot ? QStringLiteral("Auto boot on") : QStringLiteral("Auto boot off"));
    }
    if (l == "bf3") {
        s.flash.fill(char(0xFF));
        s.flashImage.clear();
        s.flashValid = false;
        s.bootMode = true;
        s.downloadTarget = DownloadTarget::Flash;
        s.addressBase = 0;
        s.startAddress = 0;
        s.recordsAccepted = 0;
        s.recordRejections = 0;
        return reply(l, {QStringLiteral("Flash erased")});
    }
    if (l.startsWith("bf")) {
        if (l == "bf1" || l == "bf2")
            return error(l, QStringLiteral("Block protected"));
        return error(l, QStringLiteral("Unknown command"));
    }
    // "bs": the SRAM loader belongs to the firmware and always answers with its prompt.
    s.sram.fill(char(0));
    s.sramImage.clear();
    s.sramLoaded = false;
    s.sramRunning = false;
    s.downloadTarget = DownloadTarget::Sram;
    s.addressBase = 0;
    s.startAddress = 0;
    s.recordsAccepted = 0;
    s.recordRejections = 0;
    return l + crlf + "Ready for SRAM load" + crlf + '#';
}

int SimMonitor::reading(int base, int phase) const {
    // Slow drift of a couple of counts, plus a one-count flicker from read to read.
    const double t = double(m_state.uptimeSeconds) / 20.0 + phase * 0.7;
    const int drift = int(qRound(1.5 * qSin(t)));
    const int flicker = ((m_state.adcReads + phase) % 3) - 1;
    return std::clamp(base + drift + flicker, 0, 255);
}

QByteArray SimMonitor::readTestPoints(const QByteArray& l) {
    MonitorState& s = m_state;
    ++s.adcReads;
    const bool hv = s.hvEnabled;
    const ScanSetState& set = s.scanSets.value(s.currentScanSet);
    const auto drifted = [&](int count) { return std::clamp(count + m_drift * (s.adcReads - 1), 0, 255); };
    QStringList numbers;
    QStringList lines;
    switch (s.profile.family) {
    case 1: {
        // Horizontal frequency count: kHz * 0.049 * 64.
        const int hCount = s.deflectionEnabled ? int(qRound(set.hFreqKHz * 0.049 * 64)) : 0;
        const int values[7] = {hCount,
                               reading(160, 1),
                               reading(160, 2),
                               hv ? reading(176, 3) : 10,
                               hv ? drifted(reading(std::clamp(s.hvControl[0] + 24, 0, 250), 4)) : 0,
                               reading(203, 5),
                               reading(209, 6)};
        for (int v : values)
            numbers << QString::number(v);
        lines << numbers.join(QLatin1Char(','));
        break;
    }
    case 2: {
        const int values[4] = {reading(159, 1), reading(160, 2), reading(160, 3), reading(120, 4)};
        for (int v : values)
            numbers << QString::number(v);
        lines << numbers.join(QLatin1Char(','));
        lines << QStringLiteral("Video_+80V %1").arg(reading(243, 5));
        lines << QStringLiteral("Anode Voltage %1").arg(hv ? drifted(reading(std::clamp(s.hvControl[0] + 40, 0, 250), 6)) : 0);
        lines << QStringLiteral("Anode Current %1").arg(hv ? reading(123, 7) : 0);
        lines << QStringLiteral("Focus Voltage %1").arg(hv ? reading(std::clamp(s.hvControl[1] + 25, 0, 250), 8) : 0);
        lines << QStringLiteral("G2 Voltage %1").arg(hv ? reading(std::clamp(s.hvControl[2] * 3, 0, 250), 9) : 0);
        lines << QStringLiteral("-8V %1").arg(reading(125, 10));
        lines << QStringLiteral("+90V %1").arg(reading(202, 11));
        lines << QStringLiteral("+24V %1").arg(reading(204, 12));
        lines << QStringLiteral("+12V %1").arg(reading(205, 13));
        lines << QStringLiteral("+6.3V %1").arg(reading(203, 14));
        lines << QStringLiteral("+5V %1").arg(reading(204, 15));
        lines << QStringLiteral("-12V %1").arg(reading(204, 16));
        lines << QStringLiteral("-100V %1").arg(reading(204, 17));
        break;
    }
    default: {
        const bool led = s.profile.family == 4;
        const int values[12] = {reading(80, 1),   reading(160, 2),  reading(160, 3),
                                reading(100, 4),  reading(30, 5),   reading(50, 6),
                                reading(70, 7),   reading(159, 8),  drifted(reading(led ? 200 : 206, 9)),
                                reading(204, 10), reading(204, 11), reading(led ? 204 : 52, 12)};
        for (int v : values)
            numbers << QString::number(v);
        lines << numbers.join(QLatin1Char(','));
        break;
    }
    }
    return reply(l, lines);
}

QByteArray SimMonitor::readBootBlock(const QByteArray& l) {
    const MonitorState& s = m_state;
    // Bounds of the programmed flash in 512-byte pages.
    int lowPage = 0;
    int highPage = flashSize / 512 - 1;
    if (!s.flashImage.isEmpty()) {
        lowPage = int(s.flashImage.lowestAddress() / 512);
        highPage = int(s.flashImage.highestAddress() / 512);
    }
    quint8 sum = 0;
    for (int i = lowPage * 512; i < (highPage + 1) * 512 && i < s.flash.size(); ++i)
        sum = quint8(sum + quint8(s.flash[i]));
    return reply(l, {QStringLiteral("Flag AA = %1").arg(hex2(0xAA)), QStringLiteral("Flag 55 = %1").arg(hex2(0x55)),
                     QStringLiteral("Boot Unconditional = %1").arg(hex2(s.bootUnconditional)),
                     QStringLiteral("Flash L Bound H = %1").arg(hex2(lowPage >> 8)),
                     QStringLiteral("Flash L Bound L = %1").arg(hex2(lowPage)),
                     QStringLiteral("Flash U Bound H = %1").arg(hex2(highPage >> 8)),
                     QStringLiteral("Flash U Bound L = %1").arg(hex2(highPage)),
                     QStringLiteral("Flash Checksum = %1").arg(hex2(s.flashValid ? sum : 0xFF)),
                     QStringLiteral("Abort AutoBoot = %1").arg(hex2(s.abortAutoBoot)),
                     QStringLiteral("auto boot %1").arg(s.autoBoot ? QStringLiteral("ON") : QStringLiteral("OFF"))});
}

QByteArray SimMonitor::readCurrentScanSet(const QByteArray& l) {
    const MonitorState& s = m_state;
    const ScanSetState set = s.scanSets.value(s.currentScanSet);
    return reply(l, {QStringLiteral("Config Number = %1").arg(s.currentScanSet + 1),
                     QStringLiteral("Config Name = %1").arg(printable(set.name)),
                     QStringLiteral("H Freq = %1 kHz").arg(set.hFreqKHz, 0, 'f', 2),
                     QStringLiteral("V Freq = %1 Hz").arg(set.vFreqHz, 0, 'f', 2)});
}

QByteArray SimMonitor::readDacs(const QByteArray& l, const QByteArray& args) {
    const MonitorState& s = m_state;
    if (args == "n") {
        QStringList lines;
        for (int i = 0; i < s.scanSets.size(); ++i)
            lines << QStringLiteral("%1,%2,%3")
                         .arg(i)
                         .arg(s.scanSets[i].enabled ? 1 : 0)
                         .arg(printable(s.scanSets[i].name));
        return reply(l, lines);
    }
    DacTable table = DacTable::Current;
    QByteArray rest = args;
    if (rest.size() == 2 && (rest[0] == 'f' || rest[0] == 'p')) {
        table = rest[0] == 'f' ? DacTable::Factory : DacTable::Initial;
        rest = rest.mid(1);
    }
    if (rest.size() != 1 || !groupLetters().contains(rest[0]))
        return error(l, QStringLiteral("Unknown DAC group"));
    const char g = rest[0];
    const DacGroupState& group = s.dacs[g];
    const int set = s.currentScanSet;
    QStringList numbers;
    for (int i = 0; i < reportedCount(g); ++i)
        numbers << QString::number(group.value(table, i, set));
    if (g == 'h')
        numbers << QString::number(group.value(table, 8, set)); // the S-capacitor switch
    const QString values = numbers.join(QLatin1Char(','));
    const bool convergence = QByteArray("adegik").contains(g);
    // The convergence answers, and the stored north-south values, come under a heading line; the
    // heading holds a comma, which the tool skips to before it looks for the values' line.
    if (convergence || (g == 's' && table != DacTable::Current)) {
        const QString heading = QStringLiteral("%1 %2, Scan Set %3").arg(groupTitle(g), tableTitle(table)).arg(set + 1);
        return reply(l, {heading, values});
    }
    return reply(l, {values});
}

QByteArray SimMonitor::readVersion(const QByteArray& l, bool rom) {
    const MonitorState& s = m_state;
    if (!rom && !s.flashValid)
        return error(l, QStringLiteral("No valid firmware in flash"));
    return reply(l, {QStringLiteral("V %1").arg(rom ? s.profile.romVersion : s.profile.firmwareVersion)});
}

QByteArray SimMonitor::readOffsets(const QByteArray& l, DacTable table) {
    const MonitorState& s = m_state;
    const QVector<int>& v = table == DacTable::Current   ? s.offsetCurrent
                            : table == DacTable::Factory ? s.offsetFactory
                                                         : s.offsetInitial;
    QStringList numbers;
    for (int x : v)
        numbers << QString::number(x);
    return reply(l,
                 {QStringLiteral("Low brightness offsets, %1").arg(tableTitle(table)), numbers.join(QLatin1Char(','))});
}

QByteArray SimMonitor::readHv(const QByteArray& l) {
    const MonitorState& s = m_state;
    return reply(l, {QStringLiteral("HV Control Value = %1, %2").arg(s.hvControl[0]).arg(s.hvDefault[0]),
                     QStringLiteral("Focus Control Value = %1, %2").arg(s.hvControl[1]).arg(s.hvDefault[1]),
                     QStringLiteral("G2 Control Value = %1, %2").arg(s.hvControl[2]).arg(s.hvDefault[2]),
                     QStringLiteral("Video +80V Control Value = %1, %2").arg(s.hvControl[3]).arg(s.hvDefault[3]),
                     QStringLiteral("Upper Limit = %1").arg(s.hvUpperLimit),
                     QStringLiteral("Lower Limit = %1").arg(s.hvLowerLimit),
                     QStringLiteral("Current Limit = %1").arg(s.anodeCurrentLimit)});
}

bool SimMonitor::boardKnown(char board, bool serial) const {
    if (serial && board == 'u')
        return false;
    return m_state.boards.contains(board);
}

QByteArray SimMonitor::readIdentity(const QByteArray& l, bool serial, const QByteArray& args) {
    const MonitorState& s = m_state;
    const QString label = serial ? QStringLiteral("Serial Number = ") : QStringLiteral("Model Number = ");
    if (args.isEmpty()) {
        // The reads without a board letter name the board on the reply line: the monitor itself.
        const BoardIdentity id = s.boards.value('s');
        return reply(l, {QStringLiteral("S ") + label + printable(serial ? id.serial : id.part)});
    }
    if (args.size() != 1 || !boardKnown(args[0], serial))
        return error(l, QStringLiteral("Unknown board"));
    const BoardIdentity id = s.boards.value(args[0]);
    return reply(l, {label + printable(serial ? id.serial : id.part)});
}

QByteArray SimMonitor::readPanelStatus(const QByteArray& l) {
    const MonitorState& s = m_state;
    const QString fail = (s.deflectionEnabled || s.profile.flatPanel) ? QStringLiteral("0 0") : QStringLiteral("1 1");
    QStringList limits;
    for (int v : s.limits)
        limits << QString::number(v);
    limits << QString::number(s.hysteresisContrast) << QString::number(s.hysteresisBrightness);
    QStringList lines;
    lines << fail + QStringLiteral(" V/H sync fail");
    lines << (s.photocellEnabled ? QStringLiteral("Photocell Enabled") : QStringLiteral("Photocell Disabled"));
    lines << QStringLiteral("Limits ") + limits.join(QLatin1Char(','));
    lines << QStringLiteral("BC %1 %2").arg(s.userBrightness ? 1 : 0).arg(s.userContrast ? 1 : 0);
    if (s.profile.flatPanel) {
        lines << QStringLiteral("Heater %1")
                     .arg(s.heaterForced ? (s.heaterOn ? QStringLiteral("forced on") : QStringLiteral("forced off"))
                                         : QStringLiteral("automatic"));
        lines << (s.fanForced ? QStringLiteral("Fan forced, speed %1").arg(s.fanSpeed)
                              : QStringLiteral("Fan automatic"));
    }
    return reply(l, lines);
}

QByteArray SimMonitor::readDutyCycle(const QByteArray& l, const QByteArray& args) {
    const MonitorState& s = m_state;
    if (args.size() != 1)
        return error(l, QStringLiteral("Unknown reading"));
    int v = 0;
    switch (args[0]) {
    case 's':
        v = s.filamentSteady;
        break;
    case 'w':
        v = s.filamentWarmup;
        break;
    case 'f':
        v = s.filamentImmediate;
        break;
    case 'a':
    case 'b':
    case 'd':
    case 'e':
    case 'm':
    case 'n':
        v = std::clamp(s.filamentImmediate + (args[0] % 5) - 2, 0, 255);
        break;
    default:
        return error(l, QStringLiteral("Unknown reading"));
    }
    return reply(l, {QStringLiteral("Duty Cycle = %1").arg(v)});
}

QByteArray SimMonitor::readOperatingTime(const QByteArray& l) {
    const OperatingTime& t = m_state.time;
    const qint64 ss = t.sessionSeconds;
    return reply(l,
                 {QStringLiteral("%1,%2,%3,%4").arg(t.days).arg(t.hours).arg(t.minutes).arg(t.seconds),
                  QStringLiteral("%1,%2,%3,%4").arg(ss / 86400).arg((ss / 3600) % 24).arg((ss / 60) % 60).arg(ss % 60),
                  QString::number(t.cycles)});
}

QByteArray SimMonitor::readSync(const QByteArray& l) {
    const MonitorState& s = m_state;
    const ScanSetState set = s.scanSets.value(s.currentScanSet);
    double v = set.vFreqHz;
    double h = set.hFreqKHz / 1.024; // the tool scales the horizontal count by 1.024
    if (!s.deflectionEnabled && !s.profile.flatPanel) {
        v = 0;
        h = 0;
    } else {
        v += ((s.adcReads + s.uptimeSeconds) % 3 - 1) * 0.01;
    }
    return reply(l, {QStringLiteral("Vsync Frequency = %1").arg(v, 0, 'f', 2),
                     QStringLiteral("Hsync Frequency = %1").arg(h, 0, 'f', 2)});
}

QByteArray SimMonitor::setDac(const QByteArray& l, char g, const QByteArray& args) {
    MonitorState& s = m_state;
    DacGroupState& group = s.dacs[g];
    const int set = s.currentScanSet;
    if (args == "p") {
        for (int i = 0; i < DacGroupState::maxDacs; ++i)
            group.setValue(DacTable::Initial, i, set, group.value(DacTable::Current, i, set));
        return ack(l, QStringLiteral("%1 initial settings saved").arg(groupTitle(g)));
    }
    QByteArray a = args;
    int index = -1;
    if (g == 'a') {
        // Spaced number of the index plus one.
        if (a.startsWith(' '))
            a = a.mid(1);
        if (a.isEmpty() || a[0] < '1' || a[0] > '9')
            return error(l, QStringLiteral("Bad DAC index"));
        index = a[0] - '1';
    } else {
        if (a.isEmpty() || a[0] < '0' || a[0] > '9')
            return error(l, QStringLiteral("Bad DAC index"));
        index = a[0] - '0';
    }
    const bool indexOk = index < reportedCount(g) || (g == 'h' && index == 8);
    if (!indexOk)
        return error(l, QStringLiteral("Bad DAC index"));
    int value = 0;
    const QByteArray digits = a.mid(1);
    if (digits.isEmpty() || digits.startsWith('-') || digits.startsWith("0x") || !parseSimNumber(digits, &value) ||
        !inRange(value, 0, maxValue(g, index)))
        return error(l, QStringLiteral("Bad DAC value"));
    group.setValue(DacTable::Current, index, set, value);
    return ack(l, QStringLiteral("%1 DAC %2 = %3").arg(groupTitle(g)).arg(index).arg(value));
}

QByteArray SimMonitor::setOffset(const QByteArray& l, const QByteArray& args) {
    MonitorState& s = m_state;
    if (args == "p") {
        s.offsetInitial = s.offsetCurrent;
        return ack(l, QStringLiteral("Offsets saved"));
    }
    if (args.isEmpty() || args[0] < '0' || args[0] > '5')
        return error(l, QStringLiteral("Bad offset index"));
    int value = 0;
    const QByteArray digits = args.mid(1);
    if (digits.isEmpty() || digits.startsWith('-') || digits.startsWith("0x") || !parseSimNumber(digits, &value) ||
        !inRange(value, 0, 255))
        return error(l, QStringLiteral("Bad offset value"));
    s.offsetCurrent[args[0] - '0'] = value - 128;
    return ack(l, QStringLiteral("Offset %1 = %2").arg(args[0] - '0').arg(value - 128));
}

QByteArray SimMonitor::setIdentity(const QByteArray& l, bool serial, const QByteArray& args) {
    MonitorState& s = m_state;
    const char board = args[0];
    if (!boardKnown(board, serial))
        return error(l, QStringLiteral("Unknown board"));
    const QString text = QString::fromLatin1(trimmed(args.mid(1))).left(31);
    if (serial)
        s.boards[board].serial = text;
    else
        s.boards[board].part = text;
    return ack(l, serial ? QStringLiteral("Serial number stored") : QStringLiteral("Part number stored"));
}

QByteArray SimMonitor::setOperatingTime(const QByteArray& l, char field, const QByteArray& args) {
    MonitorState& s = m_state;
    int v = 0;
    const QByteArray text = trimmed(args);
    if (text.startsWith('-') || text.startsWith("0x") || !parseSimNumber(text, &v))
        return error(l, QStringLiteral("Bad number"));
    foldOperatingTime();
    OperatingTime& t = s.time;
    switch (field) {
    case 'd':
        if (v > 65535)
            return error(l, QStringLiteral("Value out of range"));
        t.days = v;
        break;
    case 'h':
        if (v > 23)
            return error(l, QStringLiteral("Value out of range"));
        t.hours = v;
        break;
    case 'm':
        // Whole hours in a minute count carry over, as the counter itself would.
        if (v > 65535)
            return error(l, QStringLiteral("Value out of range"));
        t.minutes = 0;
        t.sessionSeconds = qint64(v) * 60;
        foldOperatingTime();
        break;
    case 's':
        if (v > 59)
            return error(l, QStringLiteral("Value out of range"));
        t.seconds = v;
        break;
    case 'c':
        if (v > 9999999)
            return error(l, QStringLiteral("Value out of range"));
        t.cycles = v;
        break;
    default:
        return error(l, QStringLiteral("Unknown command"));
    }
    return ack(l, QStringLiteral("Operating time stored"));
}

QByteArray SimMonitor::scanSetCommand(const QByteArray& l) {
    MonitorState& s = m_state;
    if (l == "CDCC") {
        const int to = s.currentScanSet;
        for (auto it = s.dacs.begin(); it != s.dacs.end(); ++it) {
            for (int i = 0; i < DacGroupState::maxDacs; ++i)
                it->setValue(DacTable::Current, i, to, it->value(DacTable::Current, i, 0));
        }
        return ack(l, QStringLiteral("Scan set 1 copied to %1").arg(to + 1));
    }
    if (l.startsWith("ccn")) {
        const QString name = QString::fromLatin1(l.mid(3)).left(31);
        if (name.trimmed().isEmpty())
            return error(l, QStringLiteral("Missing name"));
        s.scanSets[s.currentScanSet].name = name;
        return ack(l, QStringLiteral("Scan set renamed"));
    }
    QByteArray arg;
    int kind = 0; // 0 select, 1 enable, 2 disable
    if (l.startsWith("CCE")) {
        kind = 1;
        arg = l.mid(3);
    } else if (l.startsWith("CCD")) {
        kind = 2;
        arg = l.mid(3);
    } else {
        arg = l.mid(2);
    }
    int n = -1;
    if (arg.startsWith("0x") || !parseSimNumber(arg, &n) || !inRange(n, 0, int(s.scanSets.size()) - 1))
        return error(l, QStringLiteral("Bad scan set"));
    if (kind == 0)
        s.currentScanSet = n;
    else
        s.scanSets[n].enabled = kind == 1;
    return ack(l, QStringLiteral("Scan set %1").arg(n + 1));
}

QByteArray SimMonitor::hvCommand(const QByteArray& l, const QByteArray& args) {
    MonitorState& s = m_state;
    if (args == "r") {
        s.hvControl = s.hvDefault;
        return ack(l, QStringLiteral("HV defaults restored"));
    }
    if (args.isEmpty())
        return error(l, QStringLiteral("Unknown command"));
    const char what = args[0];
    int v = 0;
    const QByteArray text = trimmed(args.mid(1));
    const bool ok = !text.startsWith('-') && parseSimNumber(text, &v) && inRange(v, 0, 255);
    int* target = nullptr;
    switch (what) {
    case 'h':
        target = &s.hvControl[0];
        break;
    case 'f':
        target = &s.hvControl[1];
        break;
    case 'g':
        target = &s.hvControl[2];
        break;
    case 'v':
        target = &s.hvControl[3];
        break;
    case 'u':
        target = &s.hvUpperLimit;
        break;
    case 'l':
        target = &s.hvLowerLimit;
        break;
    case 'a':
        target = &s.anodeCurrentLimit;
        break;
    default:
        return error(l, QStringLiteral("Unknown command"));
    }
    if (!ok)
        return error(l, QStringLiteral("Bad value"));
    *target = v;
    return ack(l, QStringLiteral("Set to %1").arg(v));
}

QByteArray SimMonitor::flatPanelCommand(const QByteArray& l) {
    MonitorState& s = m_state;
    auto value = [&](const QByteArray& text, int* v) {
        const QByteArray t = trimmed(text);
        return !t.startsWith('-') && parseSimNumber(t, v) && inRange(*v, 0, 255);
    };
    int v = 0;
    if (l.startsWith("crf") || l.startsWith("crs") || l.startsWith("crw")) {
        if (!value(l.mid(3), &v))
            return error(l, QStringLiteral("Bad duty cycle"));
        (l[2] == 'f' ? s.filamentImmediate : l[2] == 's' ? s.filamentSteady : s.filamentWarmup) = v;
        return ack(l, QStringLiteral("Duty cycle %1").arg(v));
    }
    if (l == "cp8" || l == "cp9") {
        s.photocellEnabled = l == "cp9";
        return ack(l, s.photocellEnabled ? QStringLiteral("Photocell enabled") : QStringLiteral("Photocell disabled"));
    }
    if (l == "cp2" || l == "cp3") {
        s.heaterForced = l == "cp3";
        return ack(l, QStringLiteral("Heater %1").arg(s.heaterForced ? "forced" : "automatic"));
    }
    if (l == "cp4" || l == "cp5") {
        s.fanForced = l == "cp5";
        return ack(l, QStringLiteral("Fan %1").arg(s.fanForced ? "forced" : "automatic"));
    }
    if (l == "cqh0" || l == "cqh1") {
        s.heaterOn = l == "cqh1";
        return ack(l, QStringLiteral("Heater %1").arg(s.heaterOn ? "on" : "off"));
    }
    if (l.size() == 4 && l.startsWith("cqf") && l[3] >= '0' && l[3] <= '3') {
        s.fanSpeed = l[3] - '0';
        return ack(l, QStringLiteral("Fan speed %1").arg(s.fanSpeed));
    }
    if (l.size() == 4 && l.startsWith("cpl") && l[3] >= '0' && l[3] <= '7') {
        const int k = l[3] - '0';
        // The present master contrast (limits 0-3) or brightness (4-7) becomes the limit.
        s.limits[k] = dac('l', k < 4 ? 0 : 1);
        return ack(l, QStringLiteral("Limit %1 = %2").arg(k).arg(s.limits[k]));
    }
    if (l == "CP0" || l == "CP1") {
        s.userContrast = s.userBrightness = l == "CP1";
        return ack(l, QStringLiteral("User controls %1").arg(l == "CP1" ? "enabled" : "disabled"));
    }
    if (l == "CPC0" || l == "CPC1") {
        s.userContrast = l == "CPC1";
        return ack(l, QStringLiteral("User contrast %1").arg(s.userContrast ? "enabled" : "disabled"));
    }
    if (l == "CPB0" || l == "CPB1") {
        s.userBrightness = l == "CPB1";
        return ack(l, QStringLiteral("User brightness %1").arg(s.userBrightness ? "enabled" : "disabled"));
    }
    if (l.startsWith("CPHB") || l.startsWith("CPHC")) {
        if (!value(l.mid(4), &v))
            return error(l, QStringLiteral("Bad hysteresis"));
        (l[3] == 'B' ? s.hysteresisBrightness : s.hysteresisContrast) = v;
        return ack(l, QStringLiteral("Hysteresis %1").arg(v));
    }
    return error(l, QStringLiteral("Unknown command"));
}

QByteArray SimMonitor::peekPoke(const QByteArray& l) {
    MonitorState& s = m_state;
    auto addressLine = [&]() { return QStringLiteral("Addr = %1").arg(hex4(s.peekAddress)); };
    if (l == "a+" || l == "a-") {
        s.peekAddress = quint16(s.peekAddress + (l == "a+" ? 1 : -1));
        return reply(l, {addressLine()});
    }
    if (l.startsWith("a")) {
        const QByteArray text = trimmed(l.mid(1));
        if (!text.isEmpty()) {
            int v = 0;
            if (text.startsWith('-') || !parseSimNumber(text, &v) || !inRange(v, 0, 0xFFFF))
                return error(l, QStringLiteral("Bad address"));
            s.peekAddress = quint16(v);
        }
        return reply(l, {addressLine()});
    }
    const int a = s.peekAddress;
    const quint8 byte = quint8(s.memory[a]);
    const quint16 word = quint16((byte << 8) | quint8(s.memory[(a + 1) & 0xFFFF]));
    if (l == "rb")
        return reply(l, {QStringLiteral("Byte %1 := %2").arg(hex4(a), hex2(byte))});
    if (l == "rw")
        return reply(l, {QStringLiteral("Word %1 := %2").arg(hex4(a), hex4(word))});
    if (l == "rc") {
        const QChar c = (byte >= 0x20 && byte < 0x7F) ? QChar(byte) : QLatin1Char('.');
        return reply(l, {QStringLiteral("Char %1 = '%2'").arg(hex4(a), printable(QString(c)))});
    }
    // "wb" and "ww".
    const bool isWord = l.startsWith("ww");
    int v = 0;
    const QByteArray text = trimmed(l.mid(2));
    if (text.startsWith('-') || !parseSimNumber(text, &v) || !inRange(v, 0, isWord ? 0xFFFF : 0xFF))
        return error(l, QStringLiteral("Bad value"));
    if (isWord) {
        s.memory[a] = char(v >> 8);
        s.memory[(a + 1) & 0xFFFF] = char(v & 0xFF);
        return reply(l, {QStringLiteral("Word %1 = %2").arg(hex4(a), hex4(v))});
    }
    s.memory[a] = char(v);
    return reply(l, {QStringLiteral("Byte %1 = %2").arg(hex4(a), hex2(v))});
}

QByteArray SimMonitor::probeI2c(const QByteArray& l, const QByteArray& args) {
    bool ok = !args.isEmpty() && args.size() <= 2;
    for (char c : args)
        ok = ok && std::isxdigit(uchar(c));
    if (!ok)
        return error(l, QStringLiteral("Bad I2C address"));
    const int address = args.toInt(nullptr, 16);
    const QString result = m_state.i2cDevices.value(address & 0xFE, QStringLiteral("NR"));
    return reply(l, {QStringLiteral("Device %1 %2").arg(hex2(address), result)});
}

} // namespace sim
