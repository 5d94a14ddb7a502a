#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

// Points XDG_RUNTIME_DIR at a fresh folder only we can open, so the ports a test publishes land
// there and pass the port folder's checks.
inline void usePrivateRuntimeDir(const QTemporaryDir &dir)
{
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
}
