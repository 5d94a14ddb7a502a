#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

// A small tmpfs of a test's own, to fill up or make read-only, in a mount namespace of the
// test's own (shared by the programs it starts, gone with it). Needs root (CI runs as root).
class TmpfsMount {
public:
    TmpfsMount(const QString &path, qint64 bytes) : m_path(path)
    {
        [[maybe_unused]] static const bool ownNamespace =
            ::unshare(CLONE_NEWNS) == 0 &&
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        QDir().mkpath(path);
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
        m_mounted = ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs",
                            MS_NOSUID | MS_NODEV, options.constData()) == 0;
        m_notPermitted = !m_mounted && errno == EPERM;
        m_error = m_mounted ? QString() : QString::fromLocal8Bit(std::strerror(errno));
    }
    ~TmpfsMount()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool isMounted() const { return m_mounted; }
    bool notPermitted() const { return m_notPermitted; } // the test is skipped, not failed
    QString error() const { return m_error; }
    QString path() const { return m_path; }
    bool makeReadOnly() // even for root
    {
        return ::mount(nullptr, QFile::encodeName(m_path).constData(), nullptr,
                       MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
    }
    bool fill() // true once every free byte is taken
    {
        QFile filler(m_path + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::Append | QIODevice::Unbuffered))
            return false;
        while (filler.write(QByteArray(4096, 'f')) == 4096) {
        }
        return filler.error() != QFileDevice::NoError;
    }
    void makeRoom() { QFile::remove(m_path + QStringLiteral("/filler")); }

private:
    QString m_path, m_error;
    bool m_mounted = false, m_notPermitted = false;
};
