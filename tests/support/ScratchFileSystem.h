#pragma once
// A small file system of its own for tests of saving onto a full or read-only disk: a tmpfs mounted in a private
// mount namespace of the calling thread, so that nothing stays mounted when the test ends or dies. Needs the
// right to mount (root); available() says why not otherwise, for QSKIP.
#include <QString>
#include <QTemporaryDir>

class ScratchFileSystem {
public:
    // Whether scratch file systems can be made here; *why tells what is missing when not.
    static bool available(QString* why);

    // Mounts a tmpfs of the given size (bytes, rounded up to pages) at a new directory.
    explicit ScratchFileSystem(qint64 sizeBytes);
    ~ScratchFileSystem();
    ScratchFileSystem(const ScratchFileSystem&) = delete;
    ScratchFileSystem& operator=(const ScratchFileSystem&) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Writes a file with the given contents; false when it does not fit.
    bool put(const QString& name, const QByteArray& data) const;
    // Fills what space is left with a filler file, so that the next write of any size fails.
    bool fill() const;
    // Makes a device node that behaves as /dev/full (every write fails: no space), so that a test of writing to
    // a device never risks the system's own.
    bool makeFullDevice(const QString& name) const;
    // Remounts it read-only.
    bool makeReadOnly();
    // Mounts the file source over the file target (both must exist): the target then lives on source's file
    // system, as a writable file can stand in a read-only folder.
    static bool bindFile(const QString& source, const QString& target);

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
