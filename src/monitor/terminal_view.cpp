#include "monitor/terminal_view.h"

#include "monitor/terminal_model.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QToolTip>

// Every row as wide as the widest line, so no line is elided: the box scrolls sideways instead.
// The view asks one row only (its rows have one size), so the width is told to it; and as the
// view paints a row no wider than the box, the row is widened again to be painted.
class LineWidthDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int width = 0;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return {qMax(size.width(), width), size.height()};
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem wide = option;
        wide.rect.setWidth(qMax(option.rect.width(), width));
        QStyledItemDelegate::paint(painter, wide, index);
    }
};

TerminalView::TerminalView(TerminalModel &model, QWidget *parent)
    : QListView(parent), m_model(model), m_shown(new QStringListModel(this)),
      m_delegate(new LineWidthDelegate(this))
{
    setModel(m_shown);
    setItemDelegate(m_delegate);
    setUniformItemSizes(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &TerminalView::refresh);
    m_turnEnd.setSingleShot(true);
    m_turnEnd.setInterval(0);
    connect(&m_turnEnd, &QTimer::timeout, this, &TerminalView::endOfTurn);
    connect(&model, &TerminalModel::appended, this, [this] {
        ++m_linesThisTurn;
        if (!m_turnEnd.isActive())
            m_turnEnd.start();
    });
    connect(this, &QAbstractItemView::doubleClicked, this, &TerminalView::offerWhole);
    refresh();
}

int TerminalView::textMargin() const
{
    // As the style draws a row's text.
    return style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
}

void TerminalView::endOfTurn()
{
    // Several lines in one turn after a quiet spell are a batch read whole (a rig's replies to a
    // poll): shown at once, without waking the program again for them. A single line may be the
    // first of a stream coming piece by piece: the stream is shown kRefreshMs into it.
    const bool batch = m_linesThisTurn > 1;
    m_linesThisTurn = 0;
    if (m_refresh.isActive())
        return;
    if (batch && m_shownAt.elapsed() >= kRefreshMs)
        refresh();
    else
        m_refresh.start();
}

void TerminalView::refresh()
{
    m_shownAt.start();
    // A user reading the end of a long line keeps reading it while new lines arrive.
    const int sideways = horizontalScrollBar()->value();
    // With the rig idle, a poll mostly brings back the very lines shown: nothing to lay out or
    // paint again then.
    if (m_stale || m_model.lines() != m_shownLines) {
        m_stale = false;
        m_shownLines = m_model.lines();
        QStringList lines;
        lines.reserve(m_shownLines.size());
        const QFontMetrics metrics = fontMetrics();
        QHash<QByteArray, int> widths; // of these lines only, so that it never grows past them
        widths.reserve(m_shownLines.size());
        int widest = 0;
        for (const QByteArray &line : std::as_const(m_shownLines)) {
            lines.append(QString::fromLatin1(line));
            int width = m_widths.value(line, -1);
            if (width < 0)
                width = metrics.horizontalAdvance(lines.last());
            widths.insert(line, width);
            widest = qMax(widest, width);
        }
        m_widths.swap(widths);
        m_delegate->width = widest + 2 * textMargin() + 1;
        m_shown->setStringList(lines);
        chooseScrollBar(); // the rows' height is known once there are rows
    }
    if (m_model.lineCount() > TerminalModel::kLinesInView)
        scrollTo(m_shown->index(m_model.topLine()), QAbstractItemView::PositionAtTop);
    horizontalScrollBar()->setValue(sideways);
}

bool TerminalView::showsWhole(const QModelIndex &index) const
{
    const QRect row = visualRect(index);
    const int textRight =
        row.left() + textMargin() + fontMetrics().horizontalAdvance(index.data().toString());
    return row.left() >= 0 && textRight <= viewport()->width();
}

void TerminalView::offerWhole(const QModelIndex &index)
{
    // A menu rather than a tooltip: it stays until the user is done, and it offers the copy that
    // a published port's path is wanted for.
    const QString line = index.data().toString();
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("wholeLine"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QString caption = line;
    menu->addAction(caption.replace(QLatin1Char('&'), QStringLiteral("&&")))->setEnabled(false);
    connect(menu->addAction(QStringLiteral("&Copy")), &QAction::triggered, this,
            [line] { QGuiApplication::clipboard()->setText(line); });
    menu->popup(viewport()->mapToGlobal(visualRect(index).bottomLeft()));
}

bool TerminalView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        if (index.isValid() && !showsWhole(index))
            QToolTip::showText(help->globalPos(), index.data().toString(), viewport(),
                               visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QListView::viewportEvent(event);
}

void TerminalView::chooseScrollBar()
{
    // A scroll bar only where it leaves the four lines in view.
    const int row = m_shown->rowCount() > 0 ? sizeHintForRow(0) : fontMetrics().height();
    const int room = contentsRect().height() - TerminalModel::kLinesInView * row;
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const Qt::ScrollBarPolicy policy = room >= bar ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    if (horizontalScrollBarPolicy() != policy)
        setHorizontalScrollBarPolicy(policy);
}

void TerminalView::updateGeometries()
{
    QListView::updateGeometries();
    // Without a bar Qt gives no sideways range; the box still scrolls by wheel and arrow keys.
    if (horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff)
        horizontalScrollBar()->setRange(0, qMax(0, m_delegate->width - viewport()->width()));
}

void TerminalView::keyPressEvent(QKeyEvent *event)
{
    QScrollBar *sideways = horizontalScrollBar();
    switch (event->key()) {
    case Qt::Key_Left:
        sideways->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        sideways->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Home:
        sideways->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        sideways->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    default:
        QListView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TerminalView::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    chooseScrollBar();
}

void TerminalView::changeEvent(QEvent *event)
{
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_widths.clear();
        m_stale = true;
        refresh();
    }
}
