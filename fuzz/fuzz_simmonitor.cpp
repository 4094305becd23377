// The simulated monitor's request handling: the input's first byte picks the profile and whether the monitor
// starts in its boot block, the rest is what the tool sends. A NUL byte lets a second of monitor time pass.
// Every answer ends in a prompt, and no download writes outside the flash or SRAM it targets. A power-on monitor of
// each kind is built once and copied for each input (its memories are shared until written).
#include "FuzzCheck.h"
#include "sim/SimMonitor.h"

#include <cstddef>
#include <cstdint>

namespace {

bool endsInPrompt(const QByteArray& answer) {
    return answer.endsWith('#') || answer.endsWith('$') || answer.endsWith('!');
}

// Monitors as they power on: each profile, in its firmware and in its boot block.
QVector<sim::SimMonitor> poweredOn() {
    QVector<sim::SimMonitor> monitors;
    for (const QString& name : sim::SimProfile::names())
        for (const bool boot : {false, true})
            monitors.append(sim::SimMonitor(sim::SimProfile::byName(name), boot));
    return monitors;
}

bool withinMemory(const sim::HexImage& image, quint32 size) {
    return image.isEmpty() || image.highestAddress() < size;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static const QVector<sim::SimMonitor> monitors = poweredOn();
    const int profile = (data[0] & 0x7F) % (monitors.size() / 2);
    sim::SimMonitor monitor = monitors.at(profile * 2 + ((data[0] & 0x80) ? 1 : 0));

    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    for (const QByteArray& piece : input.split('\0')) {
        for (const sim::Exchange& exchange : monitor.feed(piece))
            FUZZ_CHECK(exchange.answer.isEmpty() || endsInPrompt(exchange.answer));
        monitor.advanceTime(1);
    }
    const sim::MonitorState& state = monitor.state();
    FUZZ_CHECK(state.flash.size() == sim::SimMonitor::flashSize);
    FUZZ_CHECK(state.sram.size() == sim::SimMonitor::sramSize);
    FUZZ_CHECK(withinMemory(state.flashImage, sim::SimMonitor::flashSize));
    FUZZ_CHECK(withinMemory(state.sramImage, sim::SimMonitor::sramSize));
    return 0;
}
