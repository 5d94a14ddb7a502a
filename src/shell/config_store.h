#pragma once

#include "shell/config_table.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <array>

struct Controls;
class Messenger;
class PollingControls;
class QCheckBox;
class QComboBox;
class QLineEdit;
class TerminalModel;
class WindowState;

// Reads config.ini into the window's controls at start, and writes it whole from them.
class ConfigStore : public QObject {
    Q_OBJECT
public:
    // Finds the control of every line of the table at once: a name that names no control of the
    // right kind is a programming error and stops the program here, not at some later save.
    ConfigStore(const Controls &controls, WindowState &window, Messenger &messenger,
                TerminalModel &rigTerminal, QString filePath, QObject *parent = nullptr);

    // config.ini beside the executable when it runs from a build or a folder of its own, where
    // the file is (even read-only) or can be written; for an installed executable, the user's
    // own configuration folder.
    static QString defaultPath();
    // The rule of defaultPath(): an executable in the install bin folder never keeps its
    // settings beside itself, even where root could write there.
    static bool keepsConfigBeside(const QString &exeDir, const QString &installBinDir,
                                  bool besideExists, bool exeDirWritable);
    // Why the file at `path` cannot be saved ("the file is read-only"), or empty.
    static QString whyNotWritable(const QString &path);
    // Writes `contents` as the file at `path`, whole or not at all: the old file stays as it was
    // unless the new one is on the disk. Why it was not written, or empty.
    static QString saveWhole(const QString &path, const QByteArray &contents);
    // Tells the user that a settings file was not saved, and why: in the rig terminal and on
    // standard error each time, in a message once for each distinct text. `more` says what the
    // user should know beyond it (a setting in force now but lost at the next start).
    void sayNotSaved(const QString &path, const QString &why, const QString &more = {});

    QString filePath() const { return m_path; }
    // Writes the file whole; the previous file stays when that fails. Outside start-up a failure
    // is told in the rig terminal and on standard error, and once per distinct reason in a
    // message. A file read that cannot be written is not written: said once at start-up, and
    // once in a message when a change is not kept. False when not saved.
    bool SaveConfig();
    // Whether the file existed. A missing file is written from the window as it is. Nothing is
    // saved while the file loads (SaveConfig does nothing then); a file lacking lines that the
    // reader fills with their defaults is written once at the end, from everything loaded, and
    // any other file stays as it is.
    bool LoadConfig();

signals:
    void saved();

private:
    // The control a line of the table reads and writes: one of these is set, as its kind says.
    struct Bound {
        QCheckBox *box = nullptr;
        QComboBox *list = nullptr;
        QLineEdit *text = nullptr;
        int slot = -1; // launch path slot
    };
    Bound bind(const ConfigLine &line, const Controls &controls) const;
    QString valueOf(std::size_t i) const;
    void apply(std::size_t i, const QString &value, bool isDefault);
    bool write();
    // A line for the user outside any message box: the rig terminal and standard error.
    void tell(const QString &line);

    WindowState &m_window;
    Messenger &m_messenger;
    TerminalModel &m_rigTerminal;
    PollingControls *m_polling;
    std::array<Bound, kConfigLines.size()> m_bound;
    QString m_path;
    QString m_error;
    QHash<QString, QString> m_lastReported; // by file: the last message shown
    QString m_cannotWrite; // why the file read at start cannot be saved; empty when it can
    bool m_cannotWriteShown = false;
    bool m_loading = false;
};
