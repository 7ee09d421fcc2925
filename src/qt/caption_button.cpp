#include "qt/caption_button.hpp"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>
#include <cmath>

namespace qm5 {

void CaptionButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    const QRect area = rect().adjusted(2, 0, -2, 0);
    // Laid out again only when the caption, the font or the width has
    // changed: a press repaints the button before its click is handled.
    if (!laidOut_ || caption != laidText_ || area.width() != laidWidth_ || font() != laidFont_)
        layOut(caption, area.width());
    QPointF origin(area.left(), area.top() + std::floor((area.height() - block_) / 2));
    if (isDown())
        origin += QPointF(1, 1);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    layout_.draw(&painter, origin);
}

void CaptionButton::layOut(const QString& caption, int width)
{
    laidOut_ = true;
    laidText_ = caption;
    laidWidth_ = width;
    laidFont_ = font();
    layout_.clearLayout();
    layout_.setText(caption);
    layout_.setFont(laidFont_);
    QTextOption textOption(Qt::AlignHCenter);
    textOption.setWrapMode(QTextOption::WordWrap);
    layout_.setTextOption(textOption);
    const QFontMetricsF metrics(laidFont_);
    // The substitute font's own line spacing would not fit two lines into
    // the data button.
    const qreal step = std::min<qreal>(metrics.lineSpacing(), laidFont_.pixelSize());
    int lines = 0;
    layout_.beginLayout();
    for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, lines * step));
        ++lines;
    }
    layout_.endLayout();
    block_ = lines > 1 ? lines * step : metrics.height();
}

} // namespace qm5
