#pragma once

#include <QListView>

class TerminalModel;

// A terminal's list box: shows the model's newest four lines, brought back to them by every
// append, even when the user has scrolled back.
class TerminalView : public QListView {
    Q_OBJECT
public:
    TerminalView(TerminalModel &model, QWidget *parent);

private:
    void scrollToTopLine();

    TerminalModel &m_model;
    bool m_scrollPending = false;
};
