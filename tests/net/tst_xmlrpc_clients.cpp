#include "fake_radios.h"
#include "hamlib_tools.h"
#include "net/xmlrpc_methods.h"
#include "net/xmlrpc_server.h"
#include "tool_run.h"

#include <QTest>

// Real clients of flrig as the judges: Hamlib's FLRig backend (rigctl -m 4) for each rig family,
// and Python's xmlrpc.client for the type of every answer.
class TestXmlRpcClients : public QObject {
    Q_OBJECT
private slots:
    void hamlibFlrigBackend_data();
    void hamlibFlrigBackend();
    void pythonTypes();
};

void TestXmlRpcClients::hamlibFlrigBackend_data()
{
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QByteArray>("width"); // the passband the rig reports in LSB
    QTest::addColumn<QByteArrayList>("settings");
    const QByteArrayList rest{"TX;", "RX;", "FT1;"};
    QTest::newRow("K3") << RigType::K3 << QByteArray("2700")
                        << QByteArrayList{"FA00007040000;", "MD2;", "BW0240;"} + rest;
    QTest::newRow("FT-991A") << RigType::Yaesu << QByteArray("1950")
                             << QByteArrayList{"FA007040000;", "MD02;", "NA00;", "SH014;",
                                               "TX1;",         "TX0;",  "FT3;"};
    QTest::newRow("TS-2000") << RigType::Kenwood << QByteArray("2000")
                             << QByteArrayList{"FA00007040000;", "MD2;", "SH05;"} + rest;
    QTest::newRow("K2") << RigType::K2 << QByteArray("500")
                        << QByteArrayList{"FA00007040000;", "MD2;", "FW2400;"} + rest;
}

void TestXmlRpcClients::hamlibFlrigBackend()
{
    QFETCH(RigType, type);
    QFETCH(QByteArray, width);
    QFETCH(QByteArrayList, settings);
    QString rigctl;
    OVX2_REQUIRE_HAMLIB_TOOL(rigctl, "rigctl");
    FakeRigAccess rig(type);
    fake_radios::load(rig);
    // The rig starts in LSB, so that M USB 2400 is a change the client passes on.
    rig.rig.insert(rig.rig.contains("MD;") ? "MD;" : "MD0;",
                   type == RigType::Yaesu ? "MD01;" : "MD1;");
    rig.rig.insert({{"SH;", "SH03;"}, {"SH0;", "SH010;"}}); // narrower than 2400 Hz
    rig.delayMs = 5;
    XmlRpcServer door(rig);
    QVERIFY(door.listen(QHostAddress(QHostAddress::LocalHost), 0));
    const test_tools::ToolRun run = test_tools::runTool(
        rigctl, QStringList{"-m", "4", "-r", QStringLiteral("127.0.0.1:%1").arg(door.port())} +
                    QStringLiteral("f F 7040000 f m M USB 2400 m v V VFOB t T 1 t T 0 s S 1 VFOB s")
                        .split(' '));
    QVERIFY2(run.ok && !run.err.contains("rror"), run.err);
    // f F f, m M m (the client keeps the passband it set), v V, t T t T, s S s.
    QCOMPARE(run.out.trimmed().split('\n'),
             QByteArrayList({"14074000", "7040000", "LSB", width, "USB", "2400", "VFOA", "0", "1",
                             "0", "VFOA", "1", "VFOB"}));
    QCOMPARE(rig.settings, settings);
}

void TestXmlRpcClients::pythonTypes()
{
    // Every method without a parameter, and a few setters, called by Python's client: the answer
    // has the type its signature in the table says (s string, i int, A array), as flrig answers.
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is not installed");
    FakeRigAccess rig(RigType::K3);
    fake_radios::load(rig);
    XmlRpcServer door(rig);
    QVERIFY(door.listen(QHostAddress(QHostAddress::LocalHost), 0));
    QByteArrayList expected;
    QStringList calls;
    for (const xmlrpc::Method &m : xmlrpc::methods()) {
        const QString name = QString::fromLatin1(m.name.data(), qsizetype(m.name.size()));
        if (m.param == xmlrpc::Param::None) {
            calls << QStringLiteral("('%1',)").arg(name);
            expected << name.toLatin1() + ' ' + m.signature[0];
        }
    }
    for (const char *setter : {"'rig.set_vfo', 7040000.0", "'rig.set_vfoB', 7041000",
                               "'rig.set_ptt', 0", "'rig.cat_string', 'FA;'"}) {
        calls << QStringLiteral("(%1)").arg(QLatin1String(setter));
        expected << QByteArray(setter).split('\'').at(1) + " s";
    }
    calls << QStringLiteral("('rig.set_mode', 'CW')");
    expected << "rig.set_mode i";
    const QString script =
        QStringLiteral("import sys, xmlrpc.client as x\n"
                       "s = x.ServerProxy(sys.argv[1])\n"
                       "for c in [%1]:\n"
                       "    v = getattr(s, c[0])(*c[1:])\n"
                       "    print(c[0], {str: 's', float: 'd', int: 'i', list: 'A'}[type(v)])\n");
    const test_tools::ToolRun run =
        test_tools::runTool(python, {QStringLiteral("-c"), script.arg(calls.join(QLatin1Char(','))),
                                     QStringLiteral("http://127.0.0.1:%1/").arg(door.port())});
    QVERIFY2(run.ok && run.err.isEmpty(), run.err);
    QCOMPARE(run.out.trimmed().split('\n'), expected);
}

QTEST_GUILESS_MAIN(TestXmlRpcClients)
#include "tst_xmlrpc_clients.moc"
