#include "results/ui/value_box.h"

#include <QPainter>

namespace zmbr::ui {

void paintValueBox(QPainter& p, const QRect& box, const QString& text, const QColor& color,
                   Qt::Alignment alignment) {
    // The frame as two fills, which is several times cheaper than stroking its outline.
    p.fillRect(box, QColor(0xa0, 0xa0, 0xa0));
    p.fillRect(box.adjusted(1, 1, -1, -1), Qt::white);
    if (text.isEmpty())
        return;
    p.setPen(color);
    p.drawText(box.adjusted(2, 0, -2, 0), static_cast<int>(alignment | Qt::AlignVCenter), text);
}

ValueBox::ValueBox(Qt::Alignment alignment, QWidget* parent)
    : QWidget(parent), alignment_(alignment) {
    setAttribute(Qt::WA_OpaquePaintEvent); // the box paints every pixel itself
}

void ValueBox::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    update();
}

void ValueBox::setTextColor(const QColor& color) {
    if (color == color_)
        return;
    color_ = color;
    update();
}

void ValueBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintValueBox(p, rect(), text_, color_, alignment_);
}

} // namespace zmbr::ui
