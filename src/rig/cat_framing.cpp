#include "rig/cat_framing.h"

QList<QByteArray> CatFramer::split(const QByteArray &block)
{
    QList<QByteArray> pieces;
    qsizetype start = 0;
    for (qsizetype i = block.indexOf(';'); i >= 0; i = block.indexOf(';', start)) {
        pieces.append(block.mid(start, i - start + 1));
        start = i + 1;
    }
    return pieces;
}

CatFramer::Result CatFramer::feed(const QByteArray &text)
{
    Result result;
    m_buffer.append(text);
    if (m_buffer.endsWith(';')) {
        result.pieces = split(m_buffer);
        m_buffer.clear();
        return result;
    }
    if (m_buffer.size() <= kMaxPending)
        return result;
    const qsizetype last = m_buffer.lastIndexOf(';');
    result.pieces = split(m_buffer.left(last + 1));
    m_buffer.remove(0, last + 1);
    if (m_buffer.size() > kMaxCommand) {
        result.discarded = m_buffer.size();
        m_buffer.clear();
    }
    return result;
}
