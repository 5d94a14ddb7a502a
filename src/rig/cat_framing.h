#pragma once

#include <QByteArray>
#include <QList>

// Receive buffer of a CAT port. Text waits until the buffer ends with ';'; then the whole buffer
// is cut at every ';' and each piece is handed on with its ';' restored (an empty piece gives ";"
// alone). A peer that never ends its text with ';' must not grow memory without bound: an
// unterminated run longer than any real CAT text is discarded up to the next ';' (the one
// command glued to its end is lost with it), a piece longer than that is discarded however it
// arrived, and past kMaxPending bytes the complete commands waiting behind a short tail are
// handed on early.
class CatFramer {
public:
    static constexpr qsizetype kMaxPending = 64 * 1024;
    static constexpr qsizetype kMaxCommand = 1024;

    struct Result {
        QList<QByteArray> pieces;       // each ends with ';'
        qsizetype discarded = 0;        // bytes thrown away as garbage
        QList<QByteArray> notices = {}; // lines for the terminal: what was dropped and why
    };

    Result feed(const QByteArray &text);
    // The peer has gone: the complete commands still waiting are handed on, a command it left
    // unfinished is discarded, and the buffer is empty for the next peer.
    Result finish();
    void clear()
    {
        m_buffer.clear();
        m_resync = false;
    }
    const QByteArray &pending() const { return m_buffer; }

    // Cuts a block ending with ';' into pieces, each with its ';', each a copy of its own.
    static QList<QByteArray> split(const QByteArray &block);

private:
    // Splits the block into the result, discarding the pieces too long to be CAT text.
    static void handOn(const QByteArray &block, Result &result);

    QByteArray m_buffer;
    bool m_resync = false; // inside a garbage run: drop up to the next ';'
};
