#include "kept_by.h"
#include "rig/reply_routing.h"

#include <QTest>

// Every routing row under every rig type: which entry keeps the reply and what follows, or that
// the reply falls through to application port 1.
class TestReplyRouting : public QObject {
    Q_OBJECT
private slots:
    void route_data();
    void route();
};

namespace {

QString actionsOf(const RoutingRow *row)
{
    if (!row)
        return QStringLiteral("PORT1");
    QStringList names;
    for (RigAction a : row->then) {
        switch (a) {
        case RigAction::None:
            break;
        case RigAction::AI1:
            names << QStringLiteral("AI1");
            break;
        case RigAction::AI2:
            names << QStringLiteral("AI2");
            break;
        case RigAction::Sdr:
            names << QStringLiteral("SDR");
            break;
        case RigAction::SdrIfYaesu:
            names << QStringLiteral("SDR if Yaesu");
            break;
        case RigAction::Out:
            names << QStringLiteral("OUT");
            break;
        case RigAction::Text8:
            names << QStringLiteral("Text8");
            break;
        case RigAction::TxIndicator:
            names << QStringLiteral("TX");
            break;
        }
    }
    return names.join(QLatin1Char(','));
}

} // namespace

void TestReplyRouting::route_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("rigType");
    QTest::addColumn<QString>("stored"); // mnemonic of the entry, or empty
    QTest::addColumn<QString>("actions");

    // The routing rows, written out: a reply, the entry that keeps it (under the rig types that
    // keep that entry), and the actions that follow.
    const struct {
        const char *reply;
        const char *entry;
        const char *actions;
    } rows[] = {
        {"BG05R;", "BG", "AI2"},
        {"BW0240;", "BW", "AI2,SDR"},
        {"CW60;", "CW", "AI2,SDR"},
        {"DT0;", "DT", "AI2,SDR"},
        {"FA00014060000;", "FA", "AI2,SDR,Text8"},
        {"FB00007040000;", "FB", "SDR"},
        {"FI5000;", "FI", "AI2,SDR"},
        {"FR0;", "FR", "AI2,OUT"},
        {"FT0;", "FT", "AI2,OUT,SDR if Yaesu"},
        {"FW$0240;", "FW$", "AI2"},
        {"FW0240;", "FW", "AI2"},
        {"IC\x80\x01\x02\x03\x04;", "IC", "AI2"},
        {"ID017;", "ID", ""},
        {"IF00014060000     +000000 0002000001 ;", "IF", "AI1,SDR"},
        {"IS 0000;", "IS", "AI2,SDR"},
        {"KP25;", "KP", "AI2"},
        {"MD$2;", "MD$", "AI1,AI2"},
        {"MD2;", "MD", "AI1,AI2"},
        {"OM AP-S--------;", "OM", ""},
        {"PA$0;", "PA$", "AI2"},
        {"PA0;", "PA", "SDR"},
        {"RA$00;", "RA$", "AI2"},
        {"RA00;", "RA", "AI2,SDR"},
        {"SM$0005;", "SM$", "AI2"},
        {"SM0005;", "SM", "AI2"},
        {"TX0;", "TX", "AI2,SDR"},
        {"TQ1;", "TQ", "AI2,TX"},
    };
    const auto find = [&](const char *entry) {
        for (const auto &r : rows) {
            if (qstrcmp(r.entry, entry) == 0)
                return &r;
        }
        return static_cast<decltype(&rows[0])>(nullptr);
    };
    const auto keptUnder = [](const char *entry, RigType type) {
        return keeps(type, *entryOfQuery(QByteArray(entry) + ';'));
    };
    for (const auto &r : rows) {
        for (RigType type : kEveryRigType) {
            QString stored, actions = QStringLiteral("PORT1");
            if (keptUnder(r.entry, type)) {
                stored = QLatin1String(r.entry);
                actions = QLatin1String(r.actions);
            } else if (std::strchr(r.entry, '$')) {
                // A '$' reply the K3 row refuses is tried against its plain mnemonic.
                const QByteArray plainName = QByteArray(r.entry).chopped(1);
                const auto *plain = find(plainName.constData());
                if (plain && keptUnder(plain->entry, type)) {
                    stored = QLatin1String(plain->entry);
                    actions = QLatin1String(plain->actions);
                }
            }
            QTest::addRow("%s %s", r.entry, qPrintable(rigTypeName(type)))
                << QByteArray(r.reply) << rigTypeIndex(type) << stored << actions;
        }
    }
    // Replies no row takes, or takes only under its plain mnemonic.
    auto row = [](const char *name, const char *reply, int type, const char *stored,
                  const char *actions) {
        QTest::newRow(name) << QByteArray(reply) << type << QString::fromLatin1(stored)
                            << QString::fromLatin1(actions);
    };
    row("Yaesu BG", "BG05R;", 1, "", "PORT1");
    row("K3 KP", "KP25;", 0, "", "PORT1");
    row("K3 OM of 15", "OM AP-S-------;", 0, "", "PORT1");
    row("K3 OM of 17", "OM AP-S---------;", 0, "", "PORT1");
    row("error reply", "?;", 0, "", "PORT1");
    row("lone ;", ";", 0, "", "PORT1");
    row("Kenwood SM$", "SM$0005;", 2, "SM", "AI2");
    row("garbage before FA", "xxFA00014060000;", 0, "", "PORT1");
    row("lower case", "fa00014060000;", 0, "", "PORT1");
}

void TestReplyRouting::route()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, rigType);
    QFETCH(QString, stored);
    QFETCH(QString, actions);
    const RoutingRow *row = routeReply(reply, rigTypeFromIndex(rigType));
    QCOMPARE(row ? QString::fromLatin1(entryRow(row->entry).mnemonic.data()) : QString(), stored);
    QCOMPARE(actionsOf(row), actions);
}

QTEST_GUILESS_MAIN(TestReplyRouting)
#include "tst_reply_routing.moc"
