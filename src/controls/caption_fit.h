#pragma once

#include <QFont>

class QWidget;

// The window's controls stand where the layout's twips put them, at widths made for a narrower
// font than today's desktops use. Their captions (labels, check boxes, buttons, frame titles) are
// kept whole by the font: the desktop's own, made smaller (or semi-condensed) until every caption
// fits its control.

// Below this, text is no longer comfortable to read.
inline constexpr int kSmallestCaptionPixels = 8;

// Whether the widget's caption fits the room it has, in width and height; true for a widget
// that shows no caption.
bool captionFits(const QWidget &widget);

// Gives `area` the largest pixel size of `font`, from its own down to kSmallestCaptionPixels, at
// which every caption shown in it fits, at its normal width or else semi-condensed; returns it.
QFont fitCaptions(QWidget &area, QFont font);
