#include "controls/caption_fit.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>

#include <array>

namespace {

// The widths tried at each size, in order: a semi-condensed face reads better than a smaller one.
constexpr std::array<int, 2> kStretches{QFont::Unstretched, QFont::SemiCondensed};

// The text's room in a button or check box, as the style lays the control out.
QRect textRoom(const QAbstractButton &button, QStyle::SubElement element)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    return button.style()->subElementRect(element, &option, &button) & button.rect();
}

bool textFits(const QAbstractButton &button, QStyle::SubElement element)
{
    const QRect room = textRoom(button, element);
    const QFontMetrics metrics = button.fontMetrics();
    return metrics.horizontalAdvance(button.text()) <= room.width() &&
           metrics.height() <= room.height();
}

} // namespace

bool captionFits(const QWidget &widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(&widget)) {
        if (label->wordWrap())
            return label->heightForWidth(label->width()) <= label->height();
        const QSize needed = label->sizeHint();
        return needed.width() <= label->width() && needed.height() <= label->height();
    }
    if (const auto *box = qobject_cast<const QCheckBox *>(&widget))
        return textFits(*box, QStyle::SE_CheckBoxContents); // beside the indicator
    if (const auto *button = qobject_cast<const QPushButton *>(&widget))
        return textFits(*button, QStyle::SE_PushButtonContents);
    if (const auto *frame = qobject_cast<const QGroupBox *>(&widget)) {
        // The title ends before the frame's right edge, with the margin it has on the left.
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        option.textAlignment = frame->alignment();
        const QRect title = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                           QStyle::SC_GroupBoxLabel, frame);
        return title.right() + 1 + title.left() <= frame->width();
    }
    return true;
}

QFont fitCaptions(QWidget &area, QFont font)
{
    const QList<QWidget *> widgets = area.findChildren<QWidget *>();
    auto allFit = [&] {
        for (const QWidget *widget : widgets) {
            if (widget->isVisibleTo(&area) && !captionFits(*widget))
                return false;
        }
        return true;
    };
    for (int pixels = QFontInfo(font).pixelSize(); pixels >= kSmallestCaptionPixels; --pixels) {
        font.setPixelSize(pixels);
        for (const int stretch : kStretches) {
            font.setStretch(stretch);
            area.setFont(font);
            if (allFit())
                return font;
        }
    }
    return font; // the smallest and narrowest: the best that can be done
}
