#pragma once

#include "shell/config_table.h"

#include <QObject>
#include <QString>

class Form1;

// Reads config.ini into the window's controls at start, and writes it whole from them.
class ConfigStore : public QObject {
    Q_OBJECT
public:
    ConfigStore(Form1 &form, QString filePath, QObject *parent = nullptr);

    // config.ini beside the executable when it runs from a build or a folder of its own that
    // can be written; for an installed executable, the user's own configuration folder.
    static QString defaultPath();
    // The rule of defaultPath(): an executable in the install bin folder never keeps its
    // settings beside itself, even where root could write there.
    static bool keepsConfigBeside(const QString &exeDir, const QString &installBinDir,
                                  bool exeDirWritable);

    QString filePath() const { return m_path; }
    // False, with errorString(), when the file could not be written; the previous file stays.
    bool SaveConfig();
    // Whether the file existed. A missing file is written from the window as it is.
    bool LoadConfig();
    bool isLoading() const { return m_loading; }
    QString errorString() const { return m_error; }

signals:
    void saved();

private:
    QString valueOf(const ConfigLine &line) const;
    void apply(const ConfigLine &line, const QString &value, bool isDefault);

    Form1 &m_form;
    QString m_path;
    QString m_error;
    bool m_loading = false;
};
