// The monitor data-file reader: the input is the file. The stored versions go through the real dispatcher and
// handlers, as in the tool. A file that reads without error is written out again, and that text must read back
// to the same text. Everything is built once; the model is reset for each input.
#include "FuzzCheck.h"
#include "model/DataFile.h"
#include "model/MonitorModel.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/Dispatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstddef>
#include <cstdint>

namespace {

// The file is written for every input: in memory where the system offers a memory file system.
QDir scratchDir() {
    const QDir shm(QStringLiteral("/dev/shm"));
    return shm.exists() && QFileInfo(shm.path()).isWritable() ? shm : QDir::temp();
}

struct Reader {
    const MonitorModel initialModel; // copied over the model for each input: cheaper than initialise()
    MonitorModel model;
    DataReadHandlers handlers{model};
    Dispatcher dispatcher{model, &handlers};
    DataFile file{model};
    const QString path =
        scratchDir().filePath(QStringLiteral("orvexmon-fuzz-datafile-%1.mdv").arg(QCoreApplication::applicationPid()));

    Reader() {
        file.setDispatch([this](const QString& answer) { dispatcher.dispatchAnswer(answer); });
        file.setTimestamp([] { return QStringLiteral("1/2/2026 3:04:05 AM"); });
    }

    DataFileResult read(const QByteArray& contents) {
        QFile out(path);
        FUZZ_CHECK(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(out.write(contents) == contents.size());
        out.close();
        model = initialModel;
        file.openForReading(path);
        return file.readMdf();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Reader* const reader = new Reader; // lives for the whole run
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));

    const DataFileResult first = reader->read(input);
    if (!first.ok) {
        FUZZ_CHECK(!first.message.isEmpty());
        return 0;
    }
    const QByteArray written = reader->file.contents();
    const DataFileResult second = reader->read(written);
    FUZZ_CHECK(second.ok);
    FUZZ_CHECK(reader->file.contents() == written);
    return 0;
}
