#pragma once

#include <QListView>
#include <QTimer>

class QStringListModel;
class TerminalModel;

// A terminal's list box: shows the model's lines with the newest four in view, brought back to
// them by every append, even when the user has scrolled back.
//
// The box shows a copy of the lines taken at most every kRefreshMs rather than following each
// append: laying out and painting the box per line costs more than handling the line itself, and
// a rig's replies arrive a few characters a millisecond, each completing line in its own turn of
// the event loop. No eye follows a terminal faster than that.
class TerminalView : public QListView {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 40;

    TerminalView(TerminalModel &model, QWidget *parent);

private:
    void refresh();

    TerminalModel &m_model;
    QStringListModel *m_shown;
    QTimer m_refresh;
};
