#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (logout, Ctrl+C in the terminal that started us) delivered on the
// event loop, so the bridge can shut down as if its window were closed.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signal);

private:
    void onReadable();
    QSocketNotifier *m_notifier = nullptr;
};
