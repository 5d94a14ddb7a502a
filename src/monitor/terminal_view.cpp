#include "monitor/terminal_view.h"

#include "monitor/terminal_model.h"

#include <QTimer>

TerminalView::TerminalView(TerminalModel &model, QWidget *parent)
    : QListView(parent), m_model(model)
{
    setModel(&model);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    connect(&model, &TerminalModel::appended, this, [this] {
        // A burst of traffic scrolls once, after the burst.
        if (!m_scrollPending) {
            m_scrollPending = true;
            QTimer::singleShot(0, this, &TerminalView::scrollToTopLine);
        }
    });
}

void TerminalView::scrollToTopLine()
{
    m_scrollPending = false;
    if (m_model.lineCount() > TerminalModel::kLinesInView)
        scrollTo(m_model.index(m_model.topLine()), QAbstractItemView::PositionAtTop);
}
