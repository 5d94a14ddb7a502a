#include "ports/port_folder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

PortFolder::PortFolder() : m_path(defaultPath()) {}

PortFolder::~PortFolder()
{
    if (m_lock >= 0)
        ::close(m_lock);
}

QString PortFolder::defaultPath()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return QString::fromLocal8Bit(runtime) + QStringLiteral("/ovx2");
    return QStringLiteral("/tmp/ovx2-%1").arg(::getuid());
}

QString PortFolder::linkPath(const QString &name) const
{
    return m_path + QLatin1Char('/') + name;
}

bool PortFolder::prepare()
{
    const QByteArray dir = QFile::encodeName(m_path);
    if (::mkdir(dir.constData(), 0700) != 0 && errno != EEXIST) {
        m_error = QStringLiteral("Cannot create the port folder %1: %2")
                      .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat st {};
    if (::lstat(dir.constData(), &st) != 0) {
        m_error = QStringLiteral("Cannot read the port folder %1: %2")
                      .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        m_error = QStringLiteral("The port folder %1 is a symbolic link; ports are not published "
                                 "there. Remove it and try again.")
                      .arg(m_path);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        m_error = QStringLiteral("The port folder %1 is not a folder; ports are not published "
                                 "there. Remove it and try again.")
                      .arg(m_path);
        return false;
    }
    if (st.st_uid != ::getuid()) {
        m_error = QStringLiteral("The port folder %1 belongs to another user; ports are not "
                                 "published there.")
                      .arg(m_path);
        return false;
    }
    if (st.st_mode & 077) {
        m_error = QStringLiteral("The port folder %1 is open to other users (mode %2); ports are "
                                 "not published there. Run: chmod 700 %1")
                      .arg(m_path)
                      .arg(st.st_mode & 0777, 3, 8, QLatin1Char('0'));
        return false;
    }
    m_error.clear();
    ownFolder();
    return true;
}

bool PortFolder::ownFolder()
{
    if (m_lock < 0) {
        const QByteArray lockFile = QFile::encodeName(m_path + QStringLiteral("/.lock"));
        m_lock = ::open(lockFile.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_lock >= 0)
            m_ownsLock = ::flock(m_lock, LOCK_EX | LOCK_NB) == 0;
    }
    return m_ownsLock;
}

bool PortFolder::isStaleLink(const QByteArray &link) const
{
    char target[256];
    const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
    if (n <= 0)
        return false;
    target[n] = '\0';
    if (std::strncmp(target, "/dev/pts/", 9) != 0)
        return false; // not one of ours: leave it alone
    struct stat st {};
    if (::stat(target, &st) != 0)
        return true; // its pseudo-terminal is gone
    // The pseudo-terminal number may have been reused; no other bridge runs here while we
    // hold the folder's lock, so the link is a leftover.
    return m_ownsLock;
}

bool PortFolder::publish(const QString &name, const QString &target)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QStringLiteral(".") ||
        name == QStringLiteral("..") || name.startsWith(QLatin1Char('.'))) {
        m_error = QStringLiteral("\"%1\" cannot be used as a port name.").arg(name);
        return false;
    }
    if (m_published.contains(name)) {
        m_error = QStringLiteral("%1 is already published by another port of this bridge.")
                      .arg(linkPath(name));
        return false;
    }
    if (!prepare())
        return false;
    const QByteArray link = QFile::encodeName(linkPath(name));
    const QByteArray dest = QFile::encodeName(target);
    struct stat st {};
    if (::lstat(link.constData(), &st) == 0) {
        if (!S_ISLNK(st.st_mode) || !isStaleLink(link)) {
            m_error = QStringLiteral("%1 already exists and is not a port left by this bridge.")
                          .arg(linkPath(name));
            return false;
        }
        ::unlink(link.constData());
    }
    if (::symlink(dest.constData(), link.constData()) != 0) {
        m_error = QStringLiteral("Cannot publish %1: %2")
                      .arg(linkPath(name), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_published.insert(name);
    return true;
}

void PortFolder::unpublish(const QString &name, const QString &target)
{
    m_published.remove(name);
    const QByteArray link = QFile::encodeName(linkPath(name));
    char current[256];
    const ssize_t n = ::readlink(link.constData(), current, sizeof current - 1);
    if (n <= 0)
        return;
    current[n] = '\0';
    // Remove only our own link: another bridge may have published the name since.
    if (QFile::decodeName(current) == target)
        ::unlink(link.constData());
}
