#include "appports/command_tables.h"

#include <QTest>

// What each port does with a station program's command, under each rig type and none.
class TestCommandTables : public QObject {
    Q_OBJECT
private slots:
    void port1_data();
    void port1();
    void ports2to5_data();
    void ports2to5();
    void sdr_data();
    void sdr();
};

namespace {

// Query and the rig types ("n" = none) under which the port answers it from the virtual rig.
const char *const kPort1Rows[][2] = {
    {"BG;", "03"},    {"BW;", "0"},    {"CW;", "0"},     {"DT;", "0"},     {"FA;", "0123n"},
    {"FB;", "0123n"}, {"FI;", "0"},    {"FR;", "0123n"}, {"FT;", "0123n"}, {"FW;", "023n"},
    {"FW$;", "0"},    {"IC;", "0"},    {"ID;", "0123n"}, {"IF;", "0123n"}, {"IS;", "0"},
    {"KP;", "1"},     {"MD$;", "0"},   {"MD;", "023n"},  {"OM;", "0"},     {"PA;", "023n"},
    {"PA$;", "0"},    {"RA;", "023n"}, {"RA$;", "0"},    {"SM;", "023n"},  {"SM$;", "0"},
    {"TQ;", "03"},    {"TX;", "1"},
};
const char *const kPorts2to5Rows[][2] = {
    {"FA;", "0123n"}, {"FB;", "0123n"}, {"FR;", "0123n"}, {"FT;", "0123n"},
    {"ID;", "0123n"}, {"IF;", "0123n"}, {"KP;", "1"},     {"MD;", "023n"},
    {"PA;", "023n"},  {"RA;", "023n"},  {"SM;", "023n"},  {"TX;", "1"},
};

char key(int rigType)
{
    return rigType < 0 ? 'n' : char('0' + rigType);
}

QString outcomeName(CommandDecision d)
{
    switch (d.outcome) {
    case CommandOutcome::Answer:
        return QStringLiteral("answer ") + QLatin1String(entryRow(d.entry).mnemonic.data());
    case CommandOutcome::Forward:
        return QStringLiteral("forward");
    case CommandOutcome::Drop:
        return QStringLiteral("drop");
    }
    return {};
}

void addColumns()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("rigType");
    QTest::addColumn<QString>("outcome");
}

} // namespace

void TestCommandTables::port1_data()
{
    addColumns();
    for (const auto &row : kPort1Rows) {
        for (int t = -1; t <= 3; ++t) {
            const QByteArray q(row[0]);
            const QString answer = QStringLiteral("answer ") + QString::fromLatin1(q.chopped(1));
            QTest::addRow("%s type %d", row[0], t)
                << q << t << (std::strchr(row[1], key(t)) ? answer : QStringLiteral("forward"));
        }
    }
    const struct {
        const char *command;
        const char *outcome;
    } others[] = {
        {"AI1;", "drop"},
        {"AI0;", "drop"},
        {"AI2;", "drop"},
        {"K22;", "drop"},
        {"K31;", "drop"},
        {"AI;", "forward"},
        {"K2;", "forward"},
        {"K3;", "forward"},
        {"fa;", "forward"},
        {";", "forward"},
        {"FA00014060000;", "forward"},
        {"MD2;", "forward"},
        {"\r\nFA;", "forward"},
        {"RVM;", "forward"},
        {"FA;;", "forward"},
    };
    for (const auto &o : others) {
        for (int t = -1; t <= 3; ++t)
            QTest::addRow("%s type %d", o.command, t)
                << QByteArray(o.command) << t << QString::fromLatin1(o.outcome);
    }
}

void TestCommandTables::port1()
{
    QFETCH(QByteArray, command);
    QFETCH(int, rigType);
    QFETCH(QString, outcome);
    QCOMPARE(outcomeName(decidePort1(command, rigTypeFromIndex(rigType))), outcome);
}

void TestCommandTables::ports2to5_data()
{
    addColumns();
    for (const auto &row : kPorts2to5Rows) {
        for (int t = -1; t <= 3; ++t) {
            const QByteArray q(row[0]);
            const bool answered = std::strchr(row[1], key(t));
            const bool forwarded = q.startsWith("FA") || q.startsWith("FB") || q.startsWith("MD");
            QTest::addRow("%s type %d", row[0], t)
                << q << t
                << (answered    ? QStringLiteral("answer ") + QString::fromLatin1(q.chopped(1))
                    : forwarded ? QStringLiteral("forward")
                                : QStringLiteral("drop"));
        }
    }
    const struct {
        const char *command;
        const char *outcome;
    } others[] = {
        {"FA00014060000;", "forward"},
        {"FB00007040000;", "forward"},
        {"MD2;", "forward"},
        {"MD$;", "forward"},
        {"BW;", "drop"},
        {"TQ;", "drop"},
        {"OM;", "drop"},
        {"AI2;", "drop"},
        {"AI;", "drop"},
        {"K3;", "drop"},
        {"fa;", "drop"},
        {"fa00014060000;", "drop"},
        {";", "drop"},
    };
    for (const auto &o : others) {
        for (int t = -1; t <= 3; ++t)
            QTest::addRow("%s type %d", o.command, t)
                << QByteArray(o.command) << t << QString::fromLatin1(o.outcome);
    }
}

void TestCommandTables::ports2to5()
{
    QFETCH(QByteArray, command);
    QFETCH(int, rigType);
    QFETCH(QString, outcome);
    QCOMPARE(outcomeName(decidePorts2to5(command, rigTypeFromIndex(rigType))), outcome);
}

void TestCommandTables::sdr_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("storedFA");
    QTest::addColumn<int>("rigType");
    QTest::addColumn<bool>("forwarded");
    const QByteArray fa = "FA00014060000;";
    for (int t = -1; t <= 3; ++t) {
        QTest::addRow("same as stored FA, type %d", t) << fa << fa << t << false;
        QTest::addRow("differs in one digit, type %d", t)
            << QByteArray("FA00014060001;") << fa << t << true;
        QTest::addRow("nothing stored yet, type %d", t) << fa << QByteArray() << t << true;
        QTest::addRow("AI2 goes to the rig, type %d", t) << QByteArray("AI2;") << fa << t << true;
        QTest::addRow("IF, type %d", t) << QByteArray("IF;") << fa << t << true;
    }
    for (const char *c : {"DT;", "FI;", "BW;", "IS;", "CW;", "IC;"}) {
        QTest::addRow("%s held from a K2", c) << QByteArray(c) << fa << 3 << false;
        QTest::addRow("%s to a K3", c) << QByteArray(c) << fa << 0 << true;
    }
}

void TestCommandTables::sdr()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, storedFA);
    QFETCH(int, rigType);
    QFETCH(bool, forwarded);
    QCOMPARE(sdrForwards(command, storedFA, rigTypeFromIndex(rigType)), forwarded);
}

QTEST_GUILESS_MAIN(TestCommandTables)
#include "tst_command_tables.moc"
