#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QListView>
#include <QTimer>

class QStringListModel;
class TerminalModel;
class LineWidthDelegate;

// A terminal's list box: shows the model's lines with the newest four in view, brought back to
// them by every append, even when the user has scrolled back.
//
// The box shows a copy of the lines taken at most every kRefreshMs rather than following each
// append: laying out and painting the box per line costs more than handling the line itself, and
// a rig's replies arrive a few characters a millisecond, each completing line in its own turn of
// the event loop. No eye follows a terminal faster than that. Several lines appended in one turn
// after a quiet spell (a rig's replies read together) are shown as that turn ends.
//
// Lines are never cut short with an ellipsis: a box with a line wider than itself scrolls sideways
// (by wheel and arrow keys, with a scroll bar where the box has room for one below its four
// lines); the line's tooltip shows it whole, and a double-click shows it in a menu that copies it.
class TerminalView : public QListView {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 40;

    TerminalView(TerminalModel &model, QWidget *parent);

    // Whether the line shows whole in the box, as it is scrolled now.
    bool showsWhole(const QModelIndex &index) const;

protected:
    bool viewportEvent(QEvent *event) override;
    void updateGeometries() override;
    // Left and Right scroll sideways, Home and End to the lines' start and end.
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void endOfTurn();
    void refresh();
    int textMargin() const;
    void offerWhole(const QModelIndex &index);
    void chooseScrollBar();

    TerminalModel &m_model;
    QStringListModel *m_shown;
    LineWidthDelegate *m_delegate;
    QTimer m_refresh;
    QTimer m_turnEnd; // once the turn of the event loop that appended is done
    int m_linesThisTurn = 0;
    QElapsedTimer m_shownAt;
    QList<QByteArray> m_shownLines;
    bool m_stale = true; // to be laid out again whatever the lines (font or style changed)
    // The width of each line shown, by its text: a poll's replies are mostly the lines already
    // there, and measuring a line costs more than the rest of showing it.
    QHash<QByteArray, int> m_widths;
};
