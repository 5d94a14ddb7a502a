#include "rig_sim_thread.h"

#include "rig_sim_server.h"

RigSimThread::RigSimThread(RigType family, int baud, QObject *parent)
    : RigSimThread(&defaultRadio(family), baud, parent)
{
}

RigSimThread::RigSimThread(const QString &model, int baud, QObject *parent)
    : RigSimThread(findRadio(model.toLatin1()), baud, parent)
{
    if (!m_server)
        m_error = QStringLiteral("The simulator has no radio model '%1'.").arg(model);
}

RigSimThread::RigSimThread(const RadioModel *radio, int baud, QObject *parent)
    : QObject(parent), m_server(radio ? new RigSimServer(*radio, baud) : nullptr)
{
    m_thread.setObjectName(QStringLiteral("rigsim"));
    if (!m_server)
        return;
    m_server->moveToThread(&m_thread);
    connect(m_server, &RigSimServer::received, this, &RigSimThread::received);
    connect(m_server, &RigSimServer::sent, this, &RigSimThread::sent);
}

RigSimThread::~RigSimThread()
{
    if (m_thread.isRunning()) {
        invoke([](RigSimServer &server) { server.stop(); });
        m_thread.quit();
        m_thread.wait();
    }
    // stop() has removed everything bound to the ended thread, so deleting here is safe.
    delete m_server;
}

QString RigSimThread::start()
{
    if (!m_server)
        return {};
    if (!m_thread.isRunning())
        m_thread.start();
    bool ok = false;
    invoke([&](RigSimServer &server) {
        ok = server.start();
        m_path = ok ? server.devicePath() : QString();
        m_error = server.errorString();
    });
    return ok ? m_path : QString();
}

void RigSimThread::invoke(const std::function<void(RigSimServer &)> &fn)
{
    Q_ASSERT(QThread::currentThread() != &m_thread); // a blocking call into itself would hang
    RigSimServer *server = m_server;
    if (!server)
        return;
    QMetaObject::invokeMethod(
        server, [server, &fn] { fn(*server); }, Qt::BlockingQueuedConnection);
}
