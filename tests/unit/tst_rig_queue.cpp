#include "rig/cat_dialect.h"
#include "rig/request_tracker.h"
#include "rig/rig_queue.h"

#include <QTest>

// The way to the rig: what waits (merged, shared, bounded) and what has been written (matched to
// whoever asked), as plain values.
class TestRigQueue : public QObject {
    Q_OBJECT
private slots:
    void queue_data();
    void queue();
    void boundDropsOldestSettingsNeverReads();
    void forgottenSourceLeavesSharedReads();
    void ownReadsDoNotPileUpBehindSettings();
    void matching_data();
    void matching();
    void unansweredReadsExpire();
    void civAnswersEachMergedSetting();
    void dialect();
};

namespace {

const Source kPoll{Source::Kind::Bridge, 0};
const Source kPort1{Source::Kind::AppPort, 1};
const Source kPort2{Source::Kind::AppPort, 2};
const Source kSdr{Source::Kind::Sdr, 7};
const Source kClient{Source::Kind::Network, 3};

QByteArray name(const Source &s)
{
    const char *kinds[] = {"poll", "port", "sdr", "dbus", "client", "xmlrpc"};
    const bool numbered = s.kind == Source::Kind::AppPort || s.kind >= Source::Kind::Network;
    return kinds[int(s.kind)] + (numbered ? QByteArray::number(s.index) : QByteArray());
}

RigWrite query(const QByteArray &text, const Source &from)
{
    return {RigWrite::Kind::Query, text, {from}, {}, 0};
}

// The bridge's read of what a setting changed.
RigWrite readBack(const QByteArray &text)
{
    return {RigWrite::Kind::Query, text, {kPoll}, {}, 0, false, true};
}

RigWrite setting(const QByteArray &text, const Source &from, RigType type = RigType::K3)
{
    return {RigWrite::Kind::Setting, text, {from}, mergeKeyOf(catDialect(type), text), 0};
}

// What waits, in order: "text<askers>" per command.
QByteArray contents(RigQueue q)
{
    QByteArrayList out;
    while (!q.isEmpty()) {
        const RigWrite w = q.takeFront();
        QByteArrayList askers;
        for (const Source &s : w.askers)
            askers << name(s);
        out << w.text + '<' + askers.join(',') + '>';
    }
    return out.join(' ');
}

} // namespace

void TestRigQueue::queue_data()
{
    QTest::addColumn<QList<RigWrite>>("pushed");
    QTest::addColumn<QByteArray>("waiting");

    QTest::newRow("a read asked twice is written once, for both")
        << QList<RigWrite>{query("FA;", kPort1), query("IF;", kPoll), query("FA;", kPort2),
                           query("FA;", kPoll)}
        << QByteArray("FA;<port1,port2,poll> IF;<poll>");
    QTest::newRow("a newer setting of the same source takes the older one's place")
        << QList<RigWrite>{setting("FA00007040000;", kSdr), query("FA;", kPort1),
                           setting("FA00007041000;", kSdr)}
        << QByteArray("FA00007041000;<sdr> FA;<port1>");
    QTest::newRow("settings of two sources both go")
        << QList<RigWrite>{setting("FA00007040000;", kSdr), setting("FA00007041000;", kPort1)}
        << QByteArray("FA00007040000;<sdr> FA00007041000;<port1>");
    QTest::newRow("settings of different kinds both go")
        << QList<RigWrite>{setting("FA00007040000;", kSdr), setting("FB00007041000;", kSdr)}
        << QByteArray("FA00007040000;<sdr> FB00007041000;<sdr>");
    QTest::newRow("keying is never merged")
        << QList<RigWrite>{setting("TX;", kPort1), setting("RX;", kPort1), setting("TX;", kPort1)}
        << QByteArray("TX;<port1> RX;<port1> TX;<port1>");
    QTest::newRow("a menu setting merges with the same menu only")
        << QList<RigWrite>{setting("EX0321;", kPort2, RigType::Yaesu),
                           setting("EX0450;", kPort2, RigType::Yaesu),
                           setting("EX0320;", kPort2, RigType::Yaesu)}
        << QByteArray("EX0320;<port2> EX0450;<port2>");
    QTest::newRow("exact text is neither shared nor merged")
        << QList<RigWrite>{query("FA;", kPoll),
                           RigWrite{RigWrite::Kind::Query, "FA;", {kPort1}, {}, 0, true},
                           setting("FA00007040000;", kPort1),
                           RigWrite{
                               RigWrite::Kind::Setting, "FA00007041000;", {kPort1}, {}, 0, true}}
        << QByteArray("FA;<poll> FA;<port1> FA00007040000;<port1> FA00007041000;<port1>");
}

void TestRigQueue::queue()
{
    QFETCH(QList<RigWrite>, pushed);
    QFETCH(QByteArray, waiting);
    RigQueue q(4096);
    for (const RigWrite &w : pushed)
        QVERIFY(q.push(w).accepted);
    QCOMPARE(contents(q), waiting);
}

void TestRigQueue::boundDropsOldestSettingsNeverReads()
{
    RigQueue q(100);
    QVERIFY(q.push(query("IF;", kPoll)).accepted);
    int dropped = 0;
    for (int i = 0; i < 40; ++i) // distinct settings: nothing to merge
        dropped += q.push(setting("KY text " + QByteArray::number(i) + ";", kPort1)).dropped.size();
    QVERIFY(q.bytes() <= 100);
    QVERIFY(dropped > 0);
    QCOMPARE(q.front().text, QByteArray("IF;"));         // the poll is still first
    QVERIFY(contents(q).endsWith("KY text 39;<port1>")); // the newest stayed

    // A source's reads beyond the limit are refused; the bridge's own are always taken.
    RigQueue reads(1 << 20);
    for (int i = 0; i < RigQueue::kMaxQueriesPerSource; ++i)
        QVERIFY(reads.push(query("EX" + QByteArray::number(100 + i) + ";", kClient)).accepted);
    QVERIFY(!reads.push(query("EX999;", kClient)).accepted);
    QVERIFY(reads.push(query("EX999;", kPort1)).accepted);
    for (int i = 0; i < 100; ++i)
        QVERIFY(reads.push(query("K" + QByteArray::number(i) + ";", kPoll)).accepted);
}

void TestRigQueue::forgottenSourceLeavesSharedReads()
{
    RigQueue q(4096);
    q.push(query("FA;", kClient));
    q.push(query("FA;", kPort1));
    q.push(query("MD;", kClient));
    q.push(setting("FB00007040000;", kClient));
    q.forget(kClient);
    QCOMPARE(contents(q), QByteArray("FA;<port1> FB00007040000;<client3>"));
}

void TestRigQueue::ownReadsDoNotPileUpBehindSettings()
{
    // A flood of settings that are never merged (D-Bus pokes), each followed by the bridge's read
    // of what it changed: that read may not share one queued before the setting, and is never
    // dropped. The one still waiting before the newest setting would read a value about to
    // change: it goes, and the new one stands behind that setting.
    const Source dbus{Source::Kind::Dbus, 0};
    RigQueue q(4096);
    q.push(query("FA;", kPort1)); // a program's read is its own: it stays where it is
    for (int i = 0; i < 10000; ++i) {
        const QByteArray hz = QByteArray::number(14000000 + i).rightJustified(11, '0');
        const RigQueue::Pushed set =
            q.push({RigWrite::Kind::Setting, "FA" + hz + ";", {dbus}, {}, 0, true});
        QVERIFY(q.push(readBack("FA;"), set.order).accepted);
    }
    QVERIFY2(q.bytes() <= 4096 + 3, qPrintable(QString::number(q.bytes())));
    const QByteArray waiting = contents(q);
    QVERIFY(waiting.startsWith("FA;<port1> "));
    QCOMPARE(waiting.count("FA;<poll>"), 1);
    QVERIFY(waiting.endsWith("FA00014009999;<dbus> FA;<poll>"));

    // A read-back a program shares stays, and so does a poll.
    RigQueue shared(4096);
    shared.push(readBack("FA;"));
    shared.push(query("FA;", kPort2));
    shared.push(query("MD;", kPoll));
    const RigQueue::Pushed set = shared.push(setting("FA00007040000;", kSdr));
    shared.push(readBack("FA;"), set.order);
    shared.push(readBack("MD;"), set.order);
    QCOMPARE(contents(shared),
             QByteArray("FA;<poll,port2> MD;<poll> FA00007040000;<sdr> FA;<poll> MD;<poll>"));
}

void TestRigQueue::matching_data()
{
    // Each row writes its commands in order ("?" before a setting), then feeds the rig's replies;
    // per reply: who gets it, and after '!' who gets "?;" first ("-" for nobody). Last, every
    // setting's outcome in the order settled.
    QTest::addColumn<QByteArrayList>("writes");
    QTest::addColumn<QByteArrayList>("replies");
    QTest::addColumn<QByteArrayList>("to");
    QTest::addColumn<QByteArray>("settled");
    auto row = [](const char *name, const char *writes, const char *replies, const char *to,
                  const char *settled = "") {
        QTest::newRow(name) << QByteArray(writes).split('|') << QByteArray(replies).split('|')
                            << QByteArray(to).split('|') << QByteArray(settled);
    };
    row("in order", "FA; poll|IF; poll|FA; port1|MD$; port2",
        "FA00014074000;|IF00014074000     +000000 0002000001 ;|FA00014074000;|MD$2;",
        "poll|poll|port1|port2");
    row("auto-information in between answers nobody", "FA; poll|FA; port1",
        "FB00014080000;|FA00014074000;|TQ0;|FA00014074000;", "-|poll|-|port1");
    row("the '$' form answers its own read only", "MD$; port2", "MD2;|MD$2;", "-|port2");
    row("a refused read alone", "RVM; port2|FA; port1", "?;|FA00014074000;", "-!port2|port1");
    row("a setting's refusal waits for the read after it", "?ZZ1; port1|RVM; port2", "?;|RVM05.67;",
        "-|port2!port1", "ZZ1;=refused");
    row("one refusal, two settings: nobody's", "?ZZ1; port1|?ZZ2; port3|RVM; port2|FA; port1",
        "?;|RVM05.67;|FA00014074000;", "-|port2|port1", "ZZ1;=taken ZZ2;=taken");
    row("as many refusals as writes: each its own", "?ZZ1; port1|RVM; port2", "?;|?;",
        "-|-!port1,port2", "ZZ1;=refused");
    row("a refusal after a reply is for what came after it",
        "RVM; port2|?ZZ1; port1|?FA00007040000; port3", "RVM05.67;|?;", "port2|-",
        "ZZ1;=taken FA00007040000;=taken"); // nothing tells which
    row("settings before an answered read were taken", "?FA00007040000; port1|FA; poll",
        "FA00007040000;", "poll", "FA00007040000;=taken");
    row("a read no table knows is answered to its sender", "?XY0; port2|FA; poll",
        "XY0;|XY012;|FA00014074000;", "-|port2|poll", "XY0;=taken");
    row("a known setting's read-back is the read's, not the setting's", "?FW15002; port1|FW; poll",
        "FW150020;", "poll", "FW15002;=taken");
    row("a read the rig skipped takes no refusal", "RVM; port2|FA; poll|?ZZ1; port1",
        "FA00014074000;|?;|RVM05.67;", "poll|-!port1|port2", "ZZ1;=refused");
    // A CI-V radio answers every command in order: FB (taken) or NG ("?;").
    row("CI-V: each FB to the oldest setting", "?050000040700; port1|03; port2|?060102; port3",
        "FB;|030000040700;|FB;", "port1|port2|port3", "050000040700;=taken 060102;=taken");
    row("CI-V: NG to the oldest command, a read", "07D2; port2|?050000040700; port1", "?;|FB;",
        "-!port2|port1", "050000040700;=taken");
    row("CI-V: NG to a setting", "?1C0001; port1|03; poll", "?;|030000040700;", "-!port1|poll",
        "1C0001;=refused");
    row("CI-V: a read that lost its reply takes no NG", "03; port2|?050000040700; port1|04; port3",
        "FB;|?;", "port1|-!port3", "050000040700;=taken");
    row("CI-V: a setting never answered was taken by no rig", "?0F01; port1", "", "-",
        "0F01;=norig");
}

void TestRigQueue::matching()
{
    const auto outcome = [](SettingResult r) {
        return r == SettingResult::Refused ? "=refused"
               : r == SettingResult::NoRig ? "=norig"
                                           : "=taken";
    };
    QFETCH(QByteArrayList, writes);
    QFETCH(QByteArrayList, replies);
    QFETCH(QByteArrayList, to);
    QFETCH(QByteArray, settled);
    const auto names = [](const QList<Source> &list) {
        QByteArrayList got;
        for (const Source &s : list)
            got << name(s);
        return got.isEmpty() ? QByteArray("-") : got.join(',');
    };
    RequestTracker t;
    if (QByteArray(QTest::currentDataTag()).startsWith("CI-V"))
        t.setOkReply("FB;");
    for (const QByteArray &w : std::as_const(writes)) {
        const QByteArrayList parts = w.split(' ');
        const Source from =
            parts[1] == "poll" ? kPoll : Source{Source::Kind::AppPort, parts[1].back() - '0'};
        RigWrite write =
            parts[0].startsWith('?') ? setting(parts[0].mid(1), from) : query(parts[0], from);
        write.unknown = write.text.startsWith("XY");
        t.written(write, 0);
    }
    QByteArrayList outcomes;
    for (qsizetype i = 0; i < replies.size(); ++i) {
        const RequestTracker::Match m = t.match(replies[i], 30);
        QByteArray got = names(m.askers);
        if (!m.refused.isEmpty())
            got += "!" + names(m.refused);
        QCOMPARE(got, to[i]);
        for (const RequestTracker::Settled &s : m.settled)
            outcomes << s.setting + outcome(s.result);
    }
    for (const RequestTracker::Settled &s : t.expire(RequestTracker::kReplyWindowMs).settled)
        outcomes << s.setting + outcome(s.result);
    QCOMPARE(outcomes.join(' '), settled);
}

void TestRigQueue::civAnswersEachMergedSetting()
{
    // A CI-V program sent two frequencies, the second took the first's place: it waits for two
    // answers, and gets the radio's one twice.
    const Source port1{Source::Kind::AppPort, 1};
    for (const QByteArray answer : {"FB;", "?;"}) {
        RequestTracker t;
        t.setOkReply("FB;");
        RigWrite w = setting("050000040700;", port1);
        w.replaced = {"050000030700;"};
        t.written(w, 0);
        const RequestTracker::Match m = t.match(answer, 30);
        QCOMPARE(answer == "FB;" ? m.askers : m.refused, (QList<Source>{port1, port1}));
    }
}

void TestRigQueue::unansweredReadsExpire()
{
    RequestTracker t;
    t.written(query("FA;", kPort1), 0);
    t.written(setting("FB00007040000;", kPort1), 0);
    t.written(query("RVM;", kClient), 500);
    QCOMPARE(t.nextDeadlineMs(), RequestTracker::kErrorWindowMs); // the setting's
    const RequestTracker::Expired first = t.expire(RequestTracker::kReplyWindowMs - 1);
    QVERIFY(first.reads.isEmpty());
    QCOMPARE(first.settled.size(), 1); // no "?;" came for the setting: taken
    QCOMPARE(first.settled.first().result, SettingResult::Taken);
    const RequestTracker::Expired gone = t.expire(RequestTracker::kReplyWindowMs);
    QCOMPARE(gone.reads.size(), 1);
    QCOMPARE(gone.reads.first().write.text, QByteArray("FA;"));
    // A reply that comes after its read was given up is known as late, for nobody, once.
    const RequestTracker::Match late = t.match("FA00014074000;", 1600);
    QVERIFY(late.matched && late.late && late.askers.isEmpty());
    QVERIFY(!t.match("FA00014074000;", 1700).matched); // the rig's own report again
    QVERIFY(t.match("RVM04.67;", 1600).matched);
    QVERIFY(t.isEmpty());
    // Some seconds on, a reply like it is the rig's own again.
    t.written(query("ID;", kPort1), 2000);
    t.expire(2000 + RequestTracker::kReplyWindowMs);
    QVERIFY(!t.match("ID017;", 2000 + RequestTracker::kReplyWindowMs + RequestTracker::kLateMs + 1)
                 .matched);
    // A refusal long after anything was written is nobody's.
    t.written(setting("ZZ1;", kPort1), 10000);
    QVERIFY(!t.match("?;", 10000 + RequestTracker::kErrorWindowMs + 1).matched);
}

void TestRigQueue::dialect()
{
    // The edges: a bare action read back by another query, a Yaesu read that only becomes a
    // setting with its value (on an FT-991A, where the radio matters), and no rig type at all.
    // A menu's merge key is in queue().
    const CatDialect &k3 = catDialect(RigType::K3), &yaesu = catDialect(RigType::Yaesu);
    const auto readBack = [](const CatDialect &d, const QByteArray &setting) {
        const SettingEffect *e = effectOf(d, setting);
        return e ? QByteArray(e->readBack.data(), qsizetype(e->readBack.size())) : QByteArray();
    };
    QVERIFY(!isRead(k3, "TX;", "ID017;") && isRead(yaesu, "TX;", "ID0670;"));
    QVERIFY(!isRead(yaesu, "MD03;", "ID0670;"));
    QCOMPARE(readBack(k3, "TX;"), "TQ;");
    QCOMPARE(mergeKeyOf(k3, "TX;"), QByteArray());
    QCOMPARE(readBack(yaesu, "MD03;"), "IF;");
    QCOMPARE(mergeKeyOf(yaesu, "MD03;"), "MD0");
    const CatDialect &none = catDialect(RigType::None);
    QVERIFY(!isRead(none, "FA00007040000;"));
    QCOMPARE(readBack(none, "FA00007040000;"), "FA;");
    QCOMPARE(mergeKeyOf(none, "FA00007040000;"), "FA");
}

QTEST_GUILESS_MAIN(TestRigQueue)
#include "tst_rig_queue.moc"
