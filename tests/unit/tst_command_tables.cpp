#include "appports/command_tables.h"
#include "kept_by.h"

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
    void actions_data();
    void actions();
};

namespace {

// The queries each port answers from the virtual rig, under the rig types that keep their entry.
const char *const kPort1Answered[] = {"BG;", "BW;",  "CW;",  "DT;",  "FA;", "FB;", "FI;",
                                      "FR;", "FT;",  "FW;",  "FW$;", "IC;", "ID;", "IF;",
                                      "IS;", "KP;",  "MD$;", "MD;",  "OM;", "PA;", "PA$;",
                                      "RA;", "RA$;", "SM;",  "SM$;", "TQ;", "TX;"};
const char *const kPorts2to5Answered[] = {"FA;", "FB;", "FR;", "FT;", "ID;", "IF;",
                                          "KP;", "MD;", "PA;", "RA;", "SM;", "TX;"};

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
    QTest::addColumn<RigType>("rigType");
    QTest::addColumn<QString>("outcome");
}

} // namespace

void TestCommandTables::port1_data()
{
    addColumns();
    for (const char *query : kPort1Answered) {
        for (RigType t : kEveryRigType) {
            const QByteArray q(query);
            const QString answer = QStringLiteral("answer ") + QString::fromLatin1(q.chopped(1));
            QTest::addRow("%s %s", query, qPrintable(rigTypeName(t)))
                << q << t << (keeps(t, *entryOfQuery(q)) ? answer : QStringLiteral("forward"));
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
        for (RigType t : kEveryRigType)
            QTest::addRow("%s %s", o.command, qPrintable(rigTypeName(t)))
                << QByteArray(o.command) << t << QString::fromLatin1(o.outcome);
    }
}

void TestCommandTables::port1()
{
    QFETCH(QByteArray, command);
    QFETCH(RigType, rigType);
    QFETCH(QString, outcome);
    QCOMPARE(outcomeName(decidePort1(command, rigType)), outcome);
}

void TestCommandTables::ports2to5_data()
{
    addColumns();
    for (const char *query : kPorts2to5Answered) {
        for (RigType t : kEveryRigType) {
            const QByteArray q(query);
            const bool answered = keeps(t, *entryOfQuery(q));
            const bool forwarded = q.startsWith("FA") || q.startsWith("FB") || q.startsWith("MD");
            QTest::addRow("%s %s", query, qPrintable(rigTypeName(t)))
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
        for (RigType t : kEveryRigType)
            QTest::addRow("%s %s", o.command, qPrintable(rigTypeName(t)))
                << QByteArray(o.command) << t << QString::fromLatin1(o.outcome);
    }
}

void TestCommandTables::ports2to5()
{
    QFETCH(QByteArray, command);
    QFETCH(RigType, rigType);
    QFETCH(QString, outcome);
    QCOMPARE(outcomeName(decidePorts2to5(command, rigType)), outcome);
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

void TestCommandTables::actions_data()
{
    // What reaches the rig, by port, command and the port's permission (a K3 is connected).
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("full");
    QTest::addColumn<QString>("action");
    const struct {
        int port;
        const char *command;
        bool full;
        const char *action;
    } rows[] = {
        {1, "FA;", true, "answer"},   {1, "RVM;", true, "ask"},
        {1, "TX;", true, "set"},      {1, "AI0;", true, "drop"},
        {1, "K2;", true, "ask"},      {1, "fa;", true, "set"},
        {2, "FA;", false, "answer"},  {2, "FA00007040000;", false, "set"},
        {2, "MD$;", false, "ask"},    {2, "OM;", false, "ask"},
        {2, "K3;", false, "ask"},     {2, "K31;", false, "drop"},
        {2, "TX;", false, "refuse"},  {2, "TX;", true, "set"},
        {2, "FT1;", false, "refuse"}, {2, "FT1;", true, "set"},
        {5, "AI2;", true, "drop"},    {5, "fa;", false, "refuse"},
    };
    for (const auto &r : rows)
        QTest::addRow("port %d %s%s", r.port, r.command, r.full ? " full" : "")
            << r.port << QByteArray(r.command) << r.full << QString::fromLatin1(r.action);
}

void TestCommandTables::actions()
{
    QFETCH(int, port);
    QFETCH(QByteArray, command);
    QFETCH(bool, full);
    QFETCH(QString, action);
    const CommandDecision decided =
        port == 1 ? decidePort1(command, RigType::K3) : decidePorts2to5(command, RigType::K3);
    const PortAction got =
        actionFor(decided.outcome, kindOf(catDialect(RigType::K3), command, "ID017;"),
                  full ? Permission::Full : Permission::FreqMode);
    const char *names[] = {"answer", "ask", "set", "drop", "refuse"};
    QCOMPARE(QString::fromLatin1(names[int(got)]), action);
}

QTEST_GUILESS_MAIN(TestCommandTables)
#include "tst_command_tables.moc"
