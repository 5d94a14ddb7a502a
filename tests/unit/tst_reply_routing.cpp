#include "rig/reply_routing.h"

#include <QTest>

// The edges of reply routing and of what the virtual rig keeps: replies no row takes, a K3's OM
// at its one length, a '$' reply the K3 alone keeps, the FT reply only a Yaesu's SDR program
// hears.
class TestReplyRouting : public QObject {
    Q_OBJECT
private slots:
    void route();
};

void TestReplyRouting::route()
{
    const RigType k3 = RigType::K3, k2 = RigType::K2, kw = RigType::Kenwood, ya = RigType::Yaesu;
    const struct {
        const char *reply;
        RigType type;
        const char *stored, *actions; // the entry kept, or "" and PORT1 for none
    } rows[] = {
        {"BG05R;", ya, "", "PORT1"},
        {"KP25;", k3, "", "PORT1"},
        {"OM AP-S--------;", k3, "OM", ""},
        {"OM AP-S-------;", k3, "", "PORT1"},
        {"OM AP-S---------;", k3, "", "PORT1"},
        {"OM AP-S--------;", k2, "", "PORT1"},
        {"?;", k3, "", "PORT1"},
        {";", k3, "", "PORT1"},
        {"SM$0005;", k3, "SM$", "AI2"},
        {"SM$0005;", kw, "SM", "AI2"},
        {"MD$2;", k2, "MD", "AI1,AI2"},
        {"xxFA00014060000;", k3, "", "PORT1"},
        {"fa00014060000;", k3, "", "PORT1"},
        {"FT0;", k3, "FT", "AI2,OUT"},
        {"FT0;", ya, "FT", "AI2,OUT,SDR"},
        {"FT0;", RigType::None, "FT", "AI2,OUT"},
        {"TQ1;", RigType::None, "", "PORT1"},
    };
    const char *names[] = {"", "AI1", "AI2", "SDR", "OUT", "Text8", "TX"};
    for (const auto &r : rows) {
        const RoutingRow *row = routeReply(r.reply, r.type);
        QByteArrayList then;
        for (RigAction a : row ? row->then : std::array<RigAction, 3>{}) {
            if (a != RigAction::None)
                then << names[int(a)];
        }
        const QByteArray got = row ? entryRow(row->entry).mnemonic.data() + (' ' + then.join(','))
                                   : QByteArray(" PORT1");
        QCOMPARE(got, QByteArray(r.stored) + ' ' + r.actions);
    }
}

QTEST_GUILESS_MAIN(TestReplyRouting)
#include "tst_reply_routing.moc"
