#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

// A small disk of its own for a test: a tmpfs of a given size, to fill up or to make read-only.
// It is mounted in a mount namespace of the test's own (made once, where permitted), which the
// programs the test starts share and which goes with the test, so no mount is ever left behind.
// Mounting needs root (CI runs as root); error() says why it could not be made.
class TmpfsMount {
public:
    TmpfsMount(const QString &path, qint64 bytes) : m_path(path)
    {
        ownNamespace();
        QDir().mkpath(path);
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
        if (::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    options.constData()) == 0) {
            m_mounted = true;
        } else {
            m_notPermitted = errno == EPERM;
            m_error = QString::fromLocal8Bit(std::strerror(errno));
        }
    }
    ~TmpfsMount()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool isMounted() const { return m_mounted; }
    // Mounting is not permitted to this user: the test is skipped rather than failed.
    bool notPermitted() const { return m_notPermitted; }
    QString error() const { return m_error; }
    QString path() const { return m_path; }

    // Read-only from now on, even for root.
    bool makeReadOnly()
    {
        return ::mount(nullptr, QFile::encodeName(m_path).constData(), nullptr,
                       MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
    }

    // Takes every byte still free with a file of its own; true once the disk is full.
    bool fill()
    {
        QFile filler(m_path + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::Append | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        return filler.error() != QFileDevice::NoError;
    }
    void makeRoom() { QFile::remove(m_path + QStringLiteral("/filler")); }

private:
    static void ownNamespace()
    {
        [[maybe_unused]] static const bool made =
            ::unshare(CLONE_NEWNS) == 0 &&
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }

    QString m_path;
    QString m_error;
    bool m_mounted = false;
    bool m_notPermitted = false;
};
