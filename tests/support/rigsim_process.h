#pragma once

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

// The ovx2-rigsim program as a ham starts it, serving on a link in a folder of its own. The
// test's target defines OVX2_RIGSIM_EXE.
class RigsimProcess {
public:
    static constexpr int kWaitMs = 10000; // only ever reached when something is broken

    ~RigsimProcess()
    {
        m_process.kill();
        m_process.waitForFinished(kWaitMs);
    }
    // Starts it with `arguments` and --link; true once its first line, the path it serves, has
    // come and the link is there.
    bool start(const QStringList &arguments)
    {
        m_process.start(QStringLiteral(OVX2_RIGSIM_EXE), arguments + QStringList{"--link", link()});
        while (!m_process.canReadLine() && m_process.waitForReadyRead(kWaitMs)) {
        }
        return m_process.canReadLine() && QFileInfo(link()).isSymLink() &&
               QString::fromLocal8Bit(m_process.readLine()).trimmed() == link();
    }
    // True when it ends by itself (after "quit", say; after SIGTERM, as at logout, with
    // `terminate`) cleanly, its link gone.
    bool finished(bool terminate = false)
    {
        if (terminate)
            m_process.terminate();
        return m_process.waitForFinished(kWaitMs) &&
               m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0 &&
               !QFileInfo(link()).isSymLink();
    }
    bool stop() { return finished(true); }

    QString link() const { return m_dir.filePath(QStringLiteral("rig")); }
    QString folder() const { return m_dir.path(); }
    // Its standard input is the front panel; its standard output what it says.
    QProcess &process() { return m_process; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};
