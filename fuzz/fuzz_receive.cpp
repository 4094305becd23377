// The receive path: characters from the serial port are framed by the link, each answer goes through the real
// dispatcher to the data-read handlers, and they write the monitor data model. A NUL byte (the port drops NULs)
// splits the input into separate receive events 50 ms apart on a fake clock, so that answers cut anywhere,
// the keep-alive and the answer time-out are exercised too. Everything except the link is built once.
#include "FuzzCheck.h"
#include "link/Link.h"
#include "link/LogSink.h"
#include "model/MonitorModel.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/Dispatcher.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingTone.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr int eventGapMs = 50;

struct ReceivePath {
    FakeClock clock;
    FakeSerialPort port;
    RecordingTone tone;
    const MonitorModel initialModel; // copied over the model for each input: cheaper than initialise()
    MonitorModel model;
    LineKeepingLog log;
    DataReadHandlers handlers{model};
    Dispatcher dispatcher{model, &handlers};

    ReceivePath() { port.open(1, QStringLiteral("9600,N,8,1")); }

    void reset() {
        model = initialModel;
        port.written.clear();
        tone.tones.clear();
        log.lines.clear();
        log.current.clear();
    }
};

// A "!" inside an answer's text is text (only one that ends the answer refuses the request), so the text that
// waits for the next prompt may hold one; never a "#" or "$".
bool holdsPrompt(const QString& text) {
    return text.contains(QLatin1Char('#')) || text.contains(QLatin1Char('$'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ReceivePath* const rig = new ReceivePath; // lives for the whole run
    rig->reset();

    Link link(&rig->port, &rig->clock, &rig->tone, &rig->model);
    link.setLog(&rig->log);
    link.logToWindow = true;
    link.setDispatch([](const QString& answer) { rig->dispatcher.dispatchAnswer(answer); });
    link.startKeepAlive();

    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    qsizetype from = 0;
    while (from <= input.size()) {
        qsizetype to = input.indexOf('\0', from);
        if (to < 0)
            to = input.size();
        if (to > from)
            rig->port.receive(input.mid(from, to - from));
        rig->clock.advance(eventGapMs);
        // A prompt always ends the answer it closes: what waits for the next prompt never holds one.
        FUZZ_CHECK(!holdsPrompt(link.receiveBuffer()));
        from = to + 1;
    }
    return 0;
}
