#include "rig/cat_line.h"

CatFramer::Result CatLine::feed(const QByteArray &bytes, std::optional<quint8> civRadio)
{
    if (m_civMode != civRadio.has_value()) {
        clear();
        m_civMode = civRadio.has_value();
    }
    return m_civMode ? m_civ.feed(bytes, *civRadio) : m_cat.feed(bytes);
}

CatFramer::Result CatLine::finish()
{
    return m_civMode ? m_civ.finish() : m_cat.finish();
}

void CatLine::clear()
{
    m_cat.clear();
    m_civ.clear();
}
