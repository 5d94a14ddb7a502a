#pragma once

#include <QByteArray>
#include <QObject>
#include <QQueue>
#include <QString>
#include <QTimer>

class FrontPanel;
class QSocketNotifier;

// Feeds the front panel its lines: a script file's, then those typed on standard input, in
// order, holding the following lines at each "wait". End of input only ends the reading: the
// radio stays on the air.
class PanelInput : public QObject {
    Q_OBJECT
public:
    // Input beyond these is refused rather than kept: a pipe that floods the panel while a
    // "wait" holds it cannot make the simulator grow.
    static constexpr qsizetype kMaxQueuedLines = 10'000;
    static constexpr qint64 kMaxScriptBytes = 1'000'000;

    explicit PanelInput(FrontPanel &panel, QObject *parent = nullptr);
    ~PanelInput() override;

    // Queues the lines of a script; false with errorString() when it cannot be read.
    bool addScript(const QString &path);
    // Runs the queued lines and then, unless `readInput` is false, standard input as lines
    // arrive. A simulator started in the background of a terminal leaves its input alone
    // (reading would stop the process).
    void start(bool readInput = true);
    QString errorString() const { return m_error; }

signals:
    void message(const QString &text, bool error);
    void quitRequested();

private:
    void onInputReadable();
    void takeText(QByteArrayView text);
    void queue(const QByteArray &line);
    void runQueued();
    void stopReading(const QString &why);

    FrontPanel &m_panel;
    QQueue<QByteArray> m_lines;
    QTimer m_wait;
    QSocketNotifier *m_input = nullptr;
    QByteArray m_partial;      // typed text after the last line end
    bool m_discarding = false; // an overlong line is being skipped up to its end
    QString m_error;
};
