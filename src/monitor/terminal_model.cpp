#include "monitor/terminal_model.h"

TerminalModel::TerminalModel(QObject *parent) : QAbstractListModel(parent) {}

void TerminalModel::append(const QByteArray &line)
{
    const int n = int(m_lines.size());
    beginInsertRows({}, n, n);
    m_lines.append(line);
    endInsertRows();
    if (m_lines.size() > kLinesInView)
        m_top = int(m_lines.size()) - kLinesInView;
    if (m_lines.size() > kMaxLines) {
        beginRemoveRows({}, 0, 0);
        m_lines.removeFirst();
        endRemoveRows();
        // The top line keeps showing the same newest lines, one index lower.
        m_top = int(m_lines.size()) - kLinesInView;
    }
    emit appended();
}

int TerminalModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant TerminalModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_lines.size())
        return {};
    return QString::fromLatin1(m_lines.at(index.row()));
}
