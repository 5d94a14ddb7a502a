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

// An in-memory rig behind RigAccess. Reads are answered from `rig` (query -> reply) after
// `delayMs`, or withheld, refused or reported unanswered. A setting replaces the reply of the
// longest query it starts with ("MD02;" answers "MD0;"), plus its `effects`.
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
        QTimer::singleShot(delayMs, this, [=, this, generation = forgotten.value(source)] {
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
        QTimer::singleShot(delayMs, this, [=, this] { emit settled(source, setting, result); });
        if (result != SettingResult::Taken)
            return;
        QByteArray best;
        for (auto it = rig.cbegin(); it != rig.cend(); ++it) {
            const QByteArray head = it.key().chopped(1);
            if (setting.size() > head.size() + 1 && setting.startsWith(head) &&
                head.size() > best.size() - 1)
                best = it.key();
        }
        QList<QPair<QByteArray, QByteArray>> changes;
        if (!best.isEmpty())
            changes.append({best, setting});
        changes += effects.value(setting);
        for (const auto &[query, reply] : changes) {
            rig.insert(query, reply);
            cached.remove(query); // the bridge reads it back
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
