#pragma once

#include "rig/cat_framing.h"
#include "rig/civ_framing.h"

#include <QByteArray>

#include <optional>

// A line to a peer that speaks the rig's CAT: text cut at ';', or, where the rig type speaks
// CI-V, frames carried as text (civ_framing.h). `civRadio` is the radio's CI-V address on such a
// line; a change of language starts the line afresh.
class CatLine {
public:
    explicit CatLine(CivLine::End end) : m_civ(end) {}

    CatFramer::Result feed(const QByteArray &bytes, std::optional<quint8> civRadio);
    // The peer has gone: what it left unfinished is discarded.
    CatFramer::Result finish();
    void clear();
    const QByteArray &pending() const { return m_civMode ? m_civ.pending() : m_cat.pending(); }

    // What goes on the line for the text.
    QByteArray wire(const QByteArray &text, std::optional<quint8> civRadio) const
    {
        return civRadio ? m_civ.frames(text, *civRadio) : text;
    }

private:
    CatFramer m_cat;
    CivLine m_civ;
    bool m_civMode = false;
};
