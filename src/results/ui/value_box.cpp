#include "results/ui/value_box.h"

#include <QPainter>

namespace zmbr::ui {

ValueBox::ValueBox(Qt::Alignment alignment, QWidget* parent)
    : QWidget(parent), alignment_(alignment | Qt::AlignVCenter) {
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
    const QRect box = rect().adjusted(0, 0, -1, -1);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(0xa0, 0xa0, 0xa0));
    p.drawRect(box);
    if (text_.isEmpty())
        return;
    p.setPen(color_);
    p.drawText(rect().adjusted(2, 0, -2, 0), static_cast<int>(alignment_), text_);
}

} // namespace zmbr::ui
