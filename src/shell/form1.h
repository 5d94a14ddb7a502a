#pragma once

#include "controls/controls.h"
#include "shell/window_state.h"

#include <QMainWindow>

#include <array>
#include <memory>

class Bridge;
class Clock;
class ConfigStore;
class ExtraSettings;
class Messenger;
class QAction;
class TerminalModel;

// The main window: its layout, menus, sizes and state. It builds the controls and the Bridge
// over them; the bridge's handlers do the work.
class Form1 : public QMainWindow, public WindowState {
    Q_OBJECT
public:
    // configPath: where config.ini lives (empty: the settings store's default place).
    Form1(Messenger &messenger, const QString &configPath, Clock &clock, QWidget *parent = nullptr);
    explicit Form1(Messenger &messenger, const QString &configPath = {});
    ~Form1() override;

    const Controls &controls() const { return m_controls; }
    Bridge &bridge() { return *m_bridge; }
    ConfigStore &config() { return *m_config; }
    ExtraSettings &extraSettings() { return *m_extras; }

    // WindowState
    QPoint outerPosition() const override;
    void moveOuterTo(QPoint position) override;
    bool setupShown() const override;
    void showSetup(bool shown) override;
    void setStartState(int state) override;
    std::array<QString, 8> &launchPaths() override { return m_launchPaths; }

    int startState() const { return m_startState; }
    void SetAlwaysOnTop(bool onTop);
    QAction *menuItem(const QString &name) const;
    // "Exit": save, then close, which runs the shutdown (it may cancel the close).
    void mnuExit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void buildTestPanel(QWidget *area);
    void buildPathFrame(QWidget *area);
    void buildTerminals(QWidget *area);
    void buildMenus();
    void setOuterSize(int widthTwips, int heightTwips);
    void fitFont();
    // Controls beyond the window's current edges leave the Tab chain; they come back with a
    // larger size.
    void keepTabInView();

    Messenger &m_messenger;
    Controls m_controls;
    QWidget *m_area = nullptr; // the client area, holding every control
    std::array<QString, 8> m_launchPaths;
    QAction *m_mnuShow = nullptr;
    QAction *m_mnuHide = nullptr;
    int m_startState = 0;
    std::unique_ptr<Bridge> m_bridge;
    std::unique_ptr<ConfigStore> m_config;
    std::unique_ptr<ExtraSettings> m_extras;
};
