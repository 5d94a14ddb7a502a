#include "monitor/terminal_view.h"

#include "monitor/terminal_model.h"

#include <QStringListModel>

TerminalView::TerminalView(TerminalModel &model, QWidget *parent)
    : QListView(parent), m_model(model), m_shown(new QStringListModel(this))
{
    setModel(m_shown);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &TerminalView::refresh);
    // A burst of traffic is shown once, after the burst or kRefreshMs into it.
    connect(&model, &TerminalModel::appended, this, [this] {
        if (!m_refresh.isActive())
            m_refresh.start();
    });
    refresh();
}

void TerminalView::refresh()
{
    QStringList lines;
    lines.reserve(m_model.lineCount());
    for (int i = 0; i < m_model.lineCount(); ++i)
        lines.append(QString::fromLatin1(m_model.line(i)));
    m_shown->setStringList(lines);
    if (m_model.lineCount() > TerminalModel::kLinesInView)
        scrollTo(m_shown->index(m_model.topLine()), QAbstractItemView::PositionAtTop);
}
