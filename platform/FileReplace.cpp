#include "platform/FileReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// A previous file larger than this is not held in memory to be put back after a failed in-place write; no data
// file comes near it.
constexpr qint64 maxKeptPrevious = 64 * 1024 * 1024;

FileReplaceResult failure(const QString& error, bool inPlace, bool previousIntact = true) {
    FileReplaceResult r;
    r.ok = false;
    r.error = error.isEmpty() ? QStringLiteral("Unknown error") : error;
    r.inPlace = inPlace;
    r.previousIntact = previousIntact;
    return r;
}

// Writes data at the file's current position, flushes it and asks the system to put it on the disk. Empty on
// success, else what failed. A file that cannot be synchronised (a device) counts as written once flushed.
QString writeThrough(QFileDevice& file, const QByteArray& data) {
    // A short write is tried again for the rest, so that the cause (a full disk) is reported, not guessed.
    for (qint64 done = 0; done < data.size();) {
        const qint64 n = file.write(data.constData() + done, data.size() - done);
        if (n <= 0)
            return file.errorString();
        done += n;
    }
    if (!file.flush())
        return file.errorString();
#ifdef Q_OS_UNIX
    const int fd = file.handle();
    if (fd >= 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        return QString::fromLocal8Bit(std::strerror(errno));
#endif
    return QString();
}

// Overwrites the target itself: used where no temporary file can be made beside it, and for devices, which are
// written to rather than replaced. A regular file that fails midway gets its previous contents back.
FileReplaceResult overwriteInPlace(const QString& path, const QByteArray& data) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return failure(file.errorString(), true);
    const bool regular = QFileInfo(path).isFile() && !file.isSequential();

    QByteArray previous;
    bool kept = false;
    if (regular && file.size() <= maxKeptPrevious) {
        previous = file.readAll();
        kept = previous.size() == file.size();
    }

    QString error;
    if (regular && !file.seek(0))
        error = file.errorString();
    if (error.isEmpty())
        error = writeThrough(file, data);
    if (error.isEmpty() && regular && !file.resize(data.size()))
        error = file.errorString();
    if (error.isEmpty()) {
        FileReplaceResult r;
        r.inPlace = true;
        return r;
    }
    if (!regular)
        return failure(error, true);
    // The old bytes fit where they were: putting them back needs no more space than the file had.
    const bool restored =
        kept && file.seek(0) && writeThrough(file, previous).isEmpty() && file.resize(previous.size());
    return failure(error, true, restored);
}

} // namespace

FileReplaceResult replaceFileContents(const QString& path, const QByteArray& data) {
    const QFileInfo target(path);
    if (target.exists() && !target.isFile() && !target.isDir())
        return overwriteInPlace(path, data);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        // The folder refuses the temporary file; the file itself may still take the new contents.
        if (target.isFile())
            return overwriteInPlace(path, data);
        return failure(file.errorString(), false);
    }
    // The safe-save file commits even when its last flush failed (a full disk): nothing is committed until the
    // whole contents are known to be written.
    const QString error = writeThrough(file, data);
    if (!error.isEmpty()) {
        file.cancelWriting();
        return failure(error, false);
    }
    if (!file.commit())
        return failure(file.errorString(), false);
    return FileReplaceResult();
}
