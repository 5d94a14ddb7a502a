#pragma once

#include "controls/controls.h"

#include <QMainWindow>

class Bridge;
class Messenger;
class QAction;

// The main window: a view of the bridge. It shows the settings and the bridge's state, and turns
// what the user does into the bridge's calls; its own state (place, setup area, on top) lives in
// the settings like the rest.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Bridge &bridge, Messenger &messenger, QWidget *parent = nullptr);
    ~MainWindow() override;

    const Controls &controls() const { return m_controls; }
    QAction *menuItem(const QString &name) const;

    // Takes the place, size and state the settings give it, and shows itself.
    void showAsSaved();
    // "Exit": closes, which runs the shutdown (it may cancel the close).
    void exit();
    void setAlwaysOnTop(bool onTop);
    void showSetup(bool shown);

signals:
    // The window closed and the bridge shut down: the settings are to be saved.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void buildTestPanel(QWidget *area);
    void buildPathFrame(QWidget *area);
    void buildTerminals(QWidget *area);
    void buildMenus();
    void bindControls();
    void bindState();
    // Shows every setting in its control, without taking it for the user's change.
    void showSettings();
    void showRigState();
    void showPort(int n);
    void showOutput(int i);
    void showDoor(Door door);
    void setOuterSize(int widthTwips, int heightTwips);
    void fitFont();
    // Controls beyond the window's current edges leave the Tab chain; they come back with a
    // larger size.
    void keepTabInView();
    // The settings with the user's change made by `edit`, put in force.
    template <typename Edit> void change(Edit edit);

    Bridge &m_bridge;
    Messenger &m_messenger;
    Controls m_controls;
    QWidget *m_area = nullptr; // the client area, holding every control
    QAction *m_showSetup = nullptr;
    QAction *m_hideSetup = nullptr;
    bool m_showing = false; // the controls are being set from the settings
};
