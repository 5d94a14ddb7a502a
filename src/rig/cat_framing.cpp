#include "rig/cat_framing.h"

QList<QByteArray> CatFramer::split(const QByteArray &block)
{
    QList<QByteArray> pieces;
    qsizetype start = 0;
    for (qsizetype i = block.indexOf(';'); i >= 0; i = block.indexOf(';', start)) {
        // A copy of its own: a piece that is the whole block would otherwise share it, and keep
        // the port's read buffer (tens of KiB) alive for as long as the piece is kept.
        pieces.append(QByteArray(block.constData() + start, i - start + 1));
        start = i + 1;
    }
    return pieces;
}

CatFramer::Result CatFramer::feed(const QByteArray &text)
{
    Result result;
    m_buffer.append(text);
    if (m_resync) {
        // The end of a garbage run cannot be told from the start of the text after it: all up to
        // the next ';' goes with the garbage, and what follows is clean again.
        const qsizetype end = m_buffer.indexOf(';');
        result.discarded = end < 0 ? m_buffer.size() : end + 1;
        m_buffer.remove(0, result.discarded);
        m_resync = end < 0;
    }
    // No CAT text is this long: an unterminated run past it is garbage.
    const qsizetype complete = m_buffer.lastIndexOf(';') + 1;
    if (m_buffer.size() - complete > kMaxCommand) {
        result.discarded += m_buffer.size() - complete;
        m_buffer.truncate(complete);
        m_resync = true;
    }
    if (m_buffer.endsWith(';')) {
        handOn(m_buffer, result);
        m_buffer.clear();
    } else if (m_buffer.size() > kMaxPending) {
        // Complete commands waiting behind a short tail are handed on early rather than piling up.
        handOn(m_buffer.left(complete), result);
        m_buffer.remove(0, complete);
    }
    return result;
}

CatFramer::Result CatFramer::finish()
{
    Result result;
    const qsizetype complete = m_buffer.lastIndexOf(';') + 1;
    handOn(m_buffer.left(complete), result);
    result.discarded += m_buffer.size() - complete;
    clear();
    return result;
}

void CatFramer::handOn(const QByteArray &block, Result &result)
{
    // A piece is bounded however it arrived: one read may bring a garbage run and its ';' at once.
    for (QByteArray &piece : split(block)) {
        if (piece.size() - 1 > kMaxCommand)
            result.discarded += piece.size();
        else
            result.pieces.append(std::move(piece));
    }
}
