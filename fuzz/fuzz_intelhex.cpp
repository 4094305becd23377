// The simulated monitor's Intel-HEX parser: each line of the input as one record, and the whole input as an
// image. An image that reads is written out again, and that text must read back to the same image; its binary
// form spans exactly its lowest to its highest address. The tool's own check of a download image must agree with
// the monitor on every line: it may refuse only what the monitor refuses too.
#include "FuzzCheck.h"
#include "download/ImageCheck.h"
#include "sim/IntelHex.h"

#include <cstddef>
#include <cstdint>

namespace {

// The binary form is only built for images that fit in memory comfortably.
constexpr quint32 maxBinarySpan = 1 << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QByteArray& line : input.split('\n')) {
        sim::HexRecord record;
        const sim::HexRecordError error = sim::parseHexRecord(line, &record);
        FUZZ_CHECK(!sim::hexRecordErrorText(error).isEmpty() || error == sim::HexRecordError::None);
        if (error == sim::HexRecordError::None) {
            sim::HexRecord again;
            FUZZ_CHECK(sim::parseHexRecord(sim::makeHexRecord(record.type, record.address, record.data), &again) ==
                       sim::HexRecordError::None);
            FUZZ_CHECK(again.type == record.type && again.address == record.address && again.data == record.data);
        }
        // The download sends the line without its line ends; the monitor also ignores blanks after a record.
        QByteArray sent = line;
        while (sent.endsWith('\r'))
            sent.chop(1);
        bool endRecord = false;
        const ImageCheck::LineError check = ImageCheck::checkLine(sent, &endRecord);
        if (check == ImageCheck::LineError::None)
            FUZZ_CHECK(error == sim::HexRecordError::None && endRecord == (record.type == sim::HexEndOfFile));
        else if (!sent.endsWith(' ') && !sent.endsWith('\t'))
            FUZZ_CHECK(error != sim::HexRecordError::None);
    }

    sim::HexImage image;
    QString error;
    if (!sim::HexImage::fromIntelHex(input, &image, &error)) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    sim::HexImage again;
    FUZZ_CHECK(sim::HexImage::fromIntelHex(image.toIntelHex(), &again));
    FUZZ_CHECK(again == image);
    if (!image.isEmpty() && image.highestAddress() - image.lowestAddress() < maxBinarySpan) {
        const QByteArray binary = image.toBinary();
        FUZZ_CHECK(quint32(binary.size()) == image.highestAddress() - image.lowestAddress() + 1);
    }
    return 0;
}
