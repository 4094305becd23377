#include "support/ScratchFileSystem.h"

#include <QFile>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

namespace {

#ifdef Q_OS_LINUX
// Mounts made from here on are seen by this thread only and vanish with the process.
bool privateNamespace(QString* why) {
    static int state = 0; // 0 not tried, 1 done, -1 failed
    static QString reason;
    if (state == 0) {
        if (::unshare(CLONE_NEWNS) != 0) {
            reason = QStringLiteral("no private mount namespace: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            state = -1;
        } else if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            reason =
                QStringLiteral("mounts cannot be made private: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            state = -1;
        } else {
            state = 1;
        }
    }
    if (state < 0 && why)
        *why = reason;
    return state > 0;
}
#endif

} // namespace

bool ScratchFileSystem::available(QString* why) {
#ifdef Q_OS_LINUX
    if (!privateNamespace(why))
        return false;
    ScratchFileSystem probe(4096);
    if (!probe.isMounted() && why)
        *why = QStringLiteral("tmpfs cannot be mounted: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    return probe.isMounted();
#else
    if (why)
        *why = QStringLiteral("scratch file systems are made with Linux mounts");
    return false;
#endif
}

ScratchFileSystem::ScratchFileSystem(qint64 sizeBytes) {
#ifdef Q_OS_LINUX
    if (!m_dir.isValid() || !privateNamespace(nullptr))
        return;
    const QByteArray options = "size=" + QByteArray::number(sizeBytes) + ",mode=0755";
    m_mounted =
        ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", MS_NOSUID, options.constData()) == 0;
#else
    Q_UNUSED(sizeBytes);
#endif
}

ScratchFileSystem::~ScratchFileSystem() {
#ifdef Q_OS_LINUX
    // Detached, so that a file still bound into it does not keep the directory from being removed.
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
#endif
}

bool ScratchFileSystem::put(const QString& name, const QByteArray& data) const {
    QFile f(filePath(name));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size() && f.flush();
}

bool ScratchFileSystem::fill() const {
    QFile f(filePath(QStringLiteral("filler")));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(4096, 'f');
    while (f.write(block) == block.size()) {
    }
    // Whatever part of a page is left.
    while (f.write(block.constData(), 1) == 1) {
    }
    return f.error() != QFileDevice::NoError;
}

bool ScratchFileSystem::makeFullDevice(const QString& name) const {
#ifdef Q_OS_LINUX
    return m_mounted && ::mknod(QFile::encodeName(filePath(name)).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;
#else
    Q_UNUSED(name);
    return false;
#endif
}

bool ScratchFileSystem::makeReadOnly() {
#ifdef Q_OS_LINUX
    return m_mounted && ::mount(nullptr, QFile::encodeName(m_dir.path()).constData(), nullptr,
                                MS_REMOUNT | MS_RDONLY | MS_NOSUID, nullptr) == 0;
#else
    return false;
#endif
}

bool ScratchFileSystem::bindFile(const QString& source, const QString& target) {
#ifdef Q_OS_LINUX
    return ::mount(QFile::encodeName(source).constData(), QFile::encodeName(target).constData(), nullptr, MS_BIND,
                   nullptr) == 0;
#else
    Q_UNUSED(source);
    Q_UNUSED(target);
    return false;
#endif
}
