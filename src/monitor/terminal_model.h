#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

// The traffic of one port: at most 100 lines, oldest first, and the index of the top line in view
// so that the newest four lines fill the view.
class TerminalModel : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 100;
    static constexpr int kLinesInView = 4;

    explicit TerminalModel(QObject *parent = nullptr);

    void append(const QByteArray &line);
    int topLine() const { return m_top; }
    int lineCount() const { return int(m_lines.size()); }
    const QByteArray &line(int i) const { return m_lines.at(i); }
    const QList<QByteArray> &lines() const { return m_lines; }

signals:
    void appended();

private:
    QList<QByteArray> m_lines;
    int m_top = 0;
};

// The one way to show traffic.
inline void AppendToTerminal(TerminalModel &terminal, const QByteArray &line)
{
    terminal.append(line);
}

// A line for text a peer sent that was thrown away, as no CAT command is like it (too long, never
// ended with ';', or left unfinished when the peer went); nothing for none.
inline void showDiscarded(TerminalModel &terminal, qsizetype count)
{
    if (count > 0)
        terminal.append("(" + QByteArray::number(count) +
                        " characters discarded: not a whole CAT command)");
}
