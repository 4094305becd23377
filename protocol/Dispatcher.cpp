#include "protocol/Dispatcher.h"

#include "model/MonitorModel.h"
#include "protocol/AnswerHandlers.h"
#include "protocol/FirmwareClass.h"
#include "protocol/TextHelpers.h"

namespace {

// Probe result colours as 24-bit RGB values with red in the low byte.
constexpr int colourRed = 255;
constexpr int colourGreen = 65280;
constexpr int colourYellow = 65535;

const QString dacGroupLetters = QStringLiteral("ABDEGHIKLSV");
const QString currentDacLetters = dacGroupLetters + QLatin1Char('N');
const QString partNumberBoards = QStringLiteral("CDFGHLPSTUV");
const QString serialNumberBoards = QStringLiteral("CDFGHLPSTV");
const QString dutyCycleReadings = QStringLiteral("ABDEFMNSW");

// One level of selection: the first non-blank character, upper-cased, and the text after it without leading
// blanks. False when nothing is left to select by.
bool takeSelector(const QString& text, QChar& selector, QString& rest) {
    const QString trimmed = Text::trimLeading(text);
    if (trimmed.isEmpty())
        return false;
    selector = trimmed.at(0).toUpper();
    rest = Text::trimLeading(trimmed.mid(1));
    return true;
}

bool isHexDigit(QChar c) {
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

// "0x" and the hexadecimal digits that follow marker in text, upper-cased; null when marker is absent.
QString hexAfter(const QString& text, const QString& marker) {
    const int at = text.indexOf(marker);
    if (at < 0)
        return QString();
    QString digits;
    for (int i = at + marker.size(); i < text.size() && isHexDigit(text.at(i)); ++i)
        digits += text.at(i).toUpper();
    return QStringLiteral("0x") + digits;
}

// Raises suppressControlEvents for the lifetime of the guard so that options an answer selects send nothing.
class SuppressControlEvents {
public:
    explicit SuppressControlEvents(MonitorModel& model) : m_model(model) { m_model.suppressControlEvents = true; }
    ~SuppressControlEvents() { m_model.suppressControlEvents = false; }
    SuppressControlEvents(const SuppressControlEvents&) = delete;
    SuppressControlEvents& operator=(const SuppressControlEvents&) = delete;

private:
    MonitorModel& m_model;
};

} // namespace

Dispatcher::Dispatcher(MonitorModel& model, AnswerHandlers* handlers) : m_model(model), m_handlers(handlers) {}

void Dispatcher::setHandlers(AnswerHandlers* handlers) {
    m_handlers = handlers;
}

AnswerHandlers& Dispatcher::handlers() {
    // Without handlers every leaf falls through to the do-nothing defaults.
    static AnswerHandlers none;
    return m_handlers ? *m_handlers : none;
}

void Dispatcher::dispatchAnswer(const QString& answer) {
    const QString normalised = Text::trimLeading(answer);
    if (normalised.isEmpty())
        return;
    const QChar family = normalised.at(0).toUpper();
    const QString body = Text::trimLeading(normalised.mid(1));

    switch (family.unicode()) {
    case ':':
        handlers().downloadRecordEcho(normalised);
        break;
    case 'A':
        dispatchAddress(body);
        break;
    case 'B':
        dispatchBoot(body);
        break;
    case 'D':
        dispatchData(body);
        break;
    case 'M':
        dispatchEnableState(body);
        break;
    case 'P':
        dispatchPrompt(body);
        break;
    case 'R':
        dispatchPeekResult(body);
        break;
    default:
        // "C" acknowledges a set command; "E", "W" and anything else carry nothing to read.
        break;
    }
}

void Dispatcher::dispatchBoot(const QString& body) {
    QChar selector;
    QString rest;
    if (!takeSelector(body, selector, rest))
        return;
    if (selector == QLatin1Char('F')) {
        if (rest.startsWith(QLatin1Char('3')))
            handlers().flashEraseAnswer(body);
    } else if (selector == QLatin1Char('S')) {
        handlers().sramLoadAnswer(body);
    }
}

void Dispatcher::dispatchData(const QString& body) {
    QChar selector;
    QString rest;
    if (!takeSelector(body, selector, rest))
        return;
    AnswerHandlers& h = handlers();
    QChar letter;
    QString leaf;
    switch (selector.unicode()) {
    case 'A': {
        switch (FirmwareClass::testPointDecoder(m_model.firmwareClass)) {
        case 1:
            h.testPointsClass1(rest);
            break;
        case 2:
            h.testPointsClass2(rest);
            break;
        case 3:
            h.testPointsClass3(rest);
            break;
        case 4:
            h.testPointsClass4(rest);
            break;
        }
        break;
    }
    case 'B':
        h.bootBlockContents(rest);
        break;
    case 'C':
        h.currentScanSet(rest);
        break;
    case 'D':
        dispatchDacValues(rest);
        break;
    case 'E':
        h.bootEpromVersion(rest);
        break;
    case 'F':
        h.firmwareVersion(rest);
        break;
    case 'H':
        h.hvControls(rest);
        break;
    case 'M':
        if (takeSelector(rest, letter, leaf) && partNumberBoards.contains(letter))
            h.partNumber(letter, leaf);
        break;
    case 'P':
        h.panelStatus(rest);
        break;
    case 'R':
        if (takeSelector(rest, letter, leaf) && dutyCycleReadings.contains(letter))
            h.filamentDutyCycle(letter, leaf);
        break;
    case 'S':
        if (takeSelector(rest, letter, leaf) && serialNumberBoards.contains(letter))
            h.serialNumber(letter, leaf);
        break;
    case 'T':
    case 'U':
        h.operatingTime(rest);
        break;
    case 'V':
        h.syncFrequencies(rest);
        break;
    case 'W':
        h.modelType(rest);
        break;
    case 'X':
        h.capability(rest);
        break;
    default:
        break;
    }
}

void Dispatcher::dispatchDacValues(const QString& body) {
    QChar selector;
    QString rest;
    if (!takeSelector(body, selector, rest))
        return;
    if (selector == QLatin1Char('F') || selector == QLatin1Char('P')) {
        const DacKind kind = selector == QLatin1Char('F') ? DacKind::Factory : DacKind::Initial;
        QChar group;
        QString leaf;
        if (takeSelector(rest, group, leaf) && dacGroupLetters.contains(group))
            handlers().dacValues(group, kind, leaf);
    } else if (currentDacLetters.contains(selector)) {
        handlers().dacValues(selector, DacKind::Current, rest);
    }
}

void Dispatcher::dispatchEnableState(const QString& body) {
    const QString state = body.left(2).toUpper();
    if (state.size() < 2 || (state.at(1) != QLatin1Char('0') && state.at(1) != QLatin1Char('1')))
        return;
    const bool enabled = state.at(1) == QLatin1Char('1');
    AnswerHandlers& h = handlers();
    if (state.at(0) == QLatin1Char('D')) {
        const SuppressControlEvents guard(m_model);
        h.deflectionEnableRead(enabled);
    } else if (state.at(0) == QLatin1Char('H')) {
        const SuppressControlEvents guard(m_model);
        h.hvEnableRead(enabled);
    }
}

void Dispatcher::dispatchPrompt(const QString& body) {
    // Only a lower-case "i" marks a probe result: "pi0x" is the one request of this family that carries one.
    if (body.startsWith(QLatin1Char('i'))) {
        int colour = -1;
        if (body.contains(QLatin1String("NR")))
            colour = colourRed;
        else if (body.contains(QLatin1String("OK")))
            colour = colourGreen;
        else if (body.contains(QLatin1String("NC")))
            colour = colourYellow;
        if (colour >= 0)
            handlers().i2cProbeResult(body, colour);
        return;
    }
    if (body.contains(QLatin1Char('#'))) {
        m_model.monitorResponding = true;
        m_model.bootMode = false;
    } else if (body.startsWith(QLatin1Char('$'))) {
        m_model.monitorResponding = true;
        m_model.bootMode = true;
    } else {
        m_model.monitorResponding = false;
    }
}

void Dispatcher::dispatchAddress(const QString& body) {
    const QString address = hexAfter(body, QStringLiteral("Addr = 0x"));
    if (!address.isNull())
        handlers().peekAddressRead(address);
}

void Dispatcher::dispatchPeekResult(const QString& body) {
    if (body.isEmpty())
        return;
    const QChar selector = body.at(0).toUpper();
    if (selector == QLatin1Char('C')) {
        const int quote = body.indexOf(QLatin1Char('\''));
        if (quote >= 0 && quote + 1 < body.size())
            handlers().peekCharRead(body.mid(quote + 1, 1));
        return;
    }
    if (selector != QLatin1Char('B') && selector != QLatin1Char('W'))
        return;
    const QString value = hexAfter(body, QStringLiteral(":= 0x"));
    if (value.isNull())
        return;
    if (selector == QLatin1Char('B'))
        handlers().peekByteRead(value);
    else
        handlers().peekWordRead(value);
}
