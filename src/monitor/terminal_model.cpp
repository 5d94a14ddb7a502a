#include "monitor/terminal_model.h"

TerminalModel::TerminalModel(QObject *parent) : QObject(parent) {}

void TerminalModel::append(const QByteArray &line)
{
    m_lines.append(line);
    if (m_lines.size() > kLinesInView)
        m_top = int(m_lines.size()) - kLinesInView;
    if (m_lines.size() > kMaxLines) {
        m_lines.removeFirst();
        // The top line keeps showing the same newest lines, one index lower.
        m_top = int(m_lines.size()) - kLinesInView;
    }
    emit appended();
}
