#include "settings/settings_files.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTest>

// Where config.ini lives: beside a build's executable, in the user's folder for an installed one.
class TestConfigLocation : public QObject {
    Q_OBJECT
private slots:
    void rule_data();
    void rule();
    void buildTreeExecutableKeepsItBeside();
};

void TestConfigLocation::rule_data()
{
    QTest::addColumn<QString>("exeDir");
    QTest::addColumn<QString>("installBinDir");
    QTest::addColumn<bool>("exists"); // a config.ini beside the executable
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("beside");
    const QString usrBin = QStringLiteral("/usr/bin");
    const QString build = QStringLiteral("/home/ham/ovx2/build/src");
    QTest::newRow("build, writable") << build << usrBin << false << true << true;
    QTest::newRow("build, read-only, no file") << build << usrBin << false << false << false;
    QTest::newRow("build, read-only, with its file") << build << usrBin << true << false << true;
    QTest::newRow("installed, user") << usrBin << usrBin << false << false << false;
    QTest::newRow("installed, root") << usrBin << usrBin << false << true << false;
    QTest::newRow("installed, a file there") << usrBin << usrBin << true << true << false;
    QTest::newRow("installed, spelt differently")
        << QStringLiteral("/usr/lib/../bin/") << QStringLiteral("/usr//bin") << false << true
        << false;
    QTest::newRow("installed under /usr/local, root")
        << QStringLiteral("/usr/local/bin") << QStringLiteral("/usr/local/bin") << false << true
        << false;
    QTest::newRow("a copy in a folder of its own")
        << QStringLiteral("/opt/ovx2") << usrBin << false << true << true;
    QTest::newRow("a copy on a read-only medium, with its file")
        << QStringLiteral("/media/ham/stick/ovx2") << usrBin << true << false << true;
    QTest::newRow("a copy beside the install folder")
        << QStringLiteral("/usr/local/bin") << usrBin << false << true << true;
}

void TestConfigLocation::rule()
{
    QFETCH(QString, exeDir);
    QFETCH(QString, installBinDir);
    QFETCH(bool, exists);
    QFETCH(bool, writable);
    QFETCH(bool, beside);
    QCOMPARE(SettingsFiles::keepsConfigBeside(exeDir, installBinDir, exists, writable), beside);
}

void TestConfigLocation::buildTreeExecutableKeepsItBeside()
{
    // This test runs from the build folder, which it can write.
    QCOMPARE(SettingsFiles::defaultPath(),
             QCoreApplication::applicationDirPath() + QStringLiteral("/config.ini"));
}

QTEST_GUILESS_MAIN(TestConfigLocation)
#include "tst_config_location.moc"
