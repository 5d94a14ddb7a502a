#include "rig/reply_routing.h"

#include <QTest>

// The edges of reply routing: replies no row takes, a '$' reply the K3 alone keeps, the FT reply
// that only a Yaesu's SDR program hears.
class TestReplyRouting : public QObject {
    Q_OBJECT
private slots:
    void route_data();
    void route();
};

namespace {

QByteArray nameOf(RigAction a)
{
    switch (a) {
    case RigAction::AI1:
        return "AI1";
    case RigAction::AI2:
        return "AI2";
    case RigAction::Sdr:
        return "SDR";
    case RigAction::Out:
        return "OUT";
    case RigAction::Text8:
        return "Text8";
    case RigAction::TxIndicator:
        return "TX";
    default:
        return {};
    }
}

} // namespace

void TestReplyRouting::route_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<RigType>("type");
    QTest::addColumn<QByteArray>("stored"); // mnemonic of the entry, or empty
    QTest::addColumn<QByteArray>("actions");
    auto row = [](const char *name, const char *reply, RigType type, const char *stored,
                  const char *actions) {
        QTest::newRow(name) << QByteArray(reply) << type << QByteArray(stored)
                            << QByteArray(actions);
    };
    const RigType k3 = RigType::K3, k2 = RigType::K2, kw = RigType::Kenwood, ya = RigType::Yaesu;
    row("Yaesu BG", "BG05R;", ya, "", "PORT1");
    row("K3 KP", "KP25;", k3, "", "PORT1");
    row("K3 OM of 16", "OM AP-S--------;", k3, "OM", "");
    row("K3 OM of 15", "OM AP-S-------;", k3, "", "PORT1");
    row("K3 OM of 17", "OM AP-S---------;", k3, "", "PORT1");
    row("error reply", "?;", k3, "", "PORT1");
    row("lone ;", ";", k3, "", "PORT1");
    row("K3 SM$", "SM$0005;", k3, "SM$", "AI2");
    row("Kenwood SM$", "SM$0005;", kw, "SM", "AI2");
    row("K2 MD$", "MD$2;", k2, "MD", "AI1,AI2");
    row("garbage before FA", "xxFA00014060000;", k3, "", "PORT1");
    row("lower case", "fa00014060000;", k3, "", "PORT1");
    row("K3 FT", "FT0;", k3, "FT", "AI2,OUT");
    row("Yaesu FT", "FT0;", ya, "FT", "AI2,OUT,SDR");
    row("no type FT", "FT0;", RigType::None, "FT", "AI2,OUT");
    row("no type TQ", "TQ1;", RigType::None, "", "PORT1");
}

void TestReplyRouting::route()
{
    QFETCH(QByteArray, reply);
    QFETCH(RigType, type);
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, actions);
    const RoutingRow *row = routeReply(reply, type);
    QByteArrayList names;
    for (RigAction a : row ? row->then : std::array<RigAction, 3>{}) {
        if (a != RigAction::None)
            names << nameOf(a);
    }
    QCOMPARE(row ? QByteArray(entryRow(row->entry).mnemonic.data()) : QByteArray(), stored);
    QCOMPARE(row ? names.join(',') : QByteArray("PORT1"), actions);
}

QTEST_GUILESS_MAIN(TestReplyRouting)
#include "tst_reply_routing.moc"
