#pragma once

#include "bridge/bridge.h"
#include "scripted_messenger.h"
#include "settings/settings_files.h"
#include "shell/main_window.h"

#include <QStringList>

#include <memory>

// A bridge over the settings files of a folder, with its window, as `ovx2` starts them: every
// change of the settings is kept at once, and the window's close saves them all.
class WindowedStation {
public:
    WindowedStation(const QString &configPath, Clock &clock)
        : m_files(configPath, m_messenger, [this](const QString &line) { told << line; }),
          m_bridge(m_files.load(), m_messenger, clock), m_window(m_bridge, m_messenger)
    {
        QObject::connect(&m_bridge, &Bridge::settingsChanged, &m_bridge,
                         [this] { m_files.save(m_bridge.settings()); });
        QObject::connect(&m_window, &MainWindow::closed, &m_bridge,
                         [this] { m_files.save(m_bridge.settings(), true); });
    }

    Bridge &bridge() { return m_bridge; }
    MainWindow &window() { return m_window; }
    ScriptedMessenger &messenger() { return m_messenger; }
    const ScriptedMessenger &messenger() const { return m_messenger; }
    QStringList told; // what the settings files said outside a message

private:
    ScriptedMessenger m_messenger;
    SettingsFiles m_files;
    Bridge m_bridge;
    MainWindow m_window;
};
