#pragma once

#include "rig/rig_access.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QTimer>

inline size_t qHash(const Source &s, size_t seed = 0)
{
    return qHashMulti(seed, int(s.kind), s.index);
}

// An in-memory rig behind RigAccess, for the network server's tests. It answers reads from a
// map of query to reply, records every setting and every read it was asked, and applies a
// setting to the map: "FA00007040000;" becomes the reply to "FA;", "MD02;" the reply to "MD0;"
// (the longest query the setting starts with), and explicit effects add what a radio would
// change besides ("TX;" makes "TQ;" read "TQ1;"). Replies come later, from the event loop, after
// a chosen delay; they can be withheld (silence), refused ("?;") or reported unanswered.
class FakeRigAccess : public RigAccess {
    Q_OBJECT
public:
    enum class Answer { Reply, Silence, Refuse, Unanswered };

    explicit FakeRigAccess(RigType rigType, QObject *parent = nullptr)
        : RigAccess(parent), type(rigType)
    {
    }

    RigType rigType() const override { return type; }
    bool rigConnected() const override { return connected; }

    QByteArray cachedReply(const QByteArray &query) const override
    {
        return cached.contains(query) ? rig.value(query) : QByteArray();
    }

    void ask(const Source &source, const QByteArray &query) override
    {
        asks.append(query);
        const Answer how = answers.value(query, answer);
        if (how == Answer::Silence)
            return;
        const int generation = forgotten.value(source);
        QTimer::singleShot(delayMs, this, [this, source, query, how, generation] {
            if (forgotten.value(source) != generation)
                return; // the asker gave the read up
            if (how == Answer::Unanswered)
                emit unanswered(source, query);
            else
                emit replied(source, how == Answer::Refuse || !rig.contains(query)
                                         ? QByteArray("?;")
                                         : rig.value(query));
        });
    }

    void set(const Source &source, const QByteArray &setting) override
    {
        settings.append(setting);
        const SettingResult result = !connected                  ? SettingResult::NoRig
                                     : refused.contains(setting) ? SettingResult::Refused
                                                                 : SettingResult::Taken;
        QTimer::singleShot(delayMs, this, [this, source, setting, result] {
            emit settled(source, setting, result);
        });
        if (result != SettingResult::Taken)
            return;
        QByteArray best;
        for (auto it = rig.cbegin(); it != rig.cend(); ++it) {
            const QByteArray head = it.key().chopped(1);
            if (setting.size() > head.size() + 1 && setting.startsWith(head) &&
                head.size() > best.size() - 1)
                best = it.key();
        }
        if (!best.isEmpty()) {
            rig.insert(best, setting);
            cached.remove(best); // changed by a setting: the bridge reads it back
        }
        for (const auto &[query, reply] : effects.value(setting)) {
            rig.insert(query, reply);
            cached.remove(query);
        }
    }

    void forget(const Source &source) override { ++forgotten[source]; }

    RigType type;
    bool connected = true;
    QSet<QByteArray> refused;          // settings the rig answers "?;"
    QHash<QByteArray, QByteArray> rig; // query -> reply
    QSet<QByteArray> cached;           // queries the cache holds
    QHash<QByteArray, QList<QPair<QByteArray, QByteArray>>> effects; // setting -> replies
    QHash<QByteArray, Answer> answers;                               // per query
    Answer answer = Answer::Reply;
    int delayMs = 0;
    QList<QByteArray> settings;
    QList<QByteArray> asks;
    QHash<Source, int> forgotten; // how often each source gave its reads up
};
