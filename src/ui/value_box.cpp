#include "ui/value_box.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

namespace zmbr::ui {

void paintValueBox(QPainter& p, const QRect& box, const QString& text, const QColor& color,
                   Qt::Alignment alignment, const QRawFont* raw) {
    // The frame as two fills, which is several times cheaper than stroking its outline.
    p.fillRect(box, QColor(0xa0, 0xa0, 0xa0));
    p.fillRect(box.adjusted(1, 1, -1, -1), Qt::white);
    if (text.isEmpty())
        return;
    p.setPen(color);
    const QRect inside = box.adjusted(2, 0, -2, 0);
    if (raw) {
        const QList<quint32> glyphs = raw->glyphIndexesForString(text);
        const QList<QPointF> advances = raw->advancesForGlyphIndexes(glyphs);
        qreal width = 0;
        for (const QPointF& a : advances)
            width += a.x();
        // Only a line that fits is placed here; the toolkit places an overflowing one itself.
        if (!glyphs.contains(0u) && width <= inside.width()) {
            const qreal height = raw->ascent() + raw->descent();
            qreal x = inside.x() + ((alignment & Qt::AlignHCenter) ? (inside.width() - width) / 2
                                                                   : inside.width() - width);
            const qreal y = inside.y() + (inside.height() - height) / 2 + raw->ascent();
            QList<QPointF> positions;
            positions.reserve(glyphs.size());
            for (const QPointF& a : advances) {
                positions.append(QPointF(x, y));
                x += a.x();
            }
            QGlyphRun run;
            run.setRawFont(*raw);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            p.drawGlyphRun(QPointF(0, 0), run);
            return;
        }
    }
    p.drawText(inside, static_cast<int>(alignment | Qt::AlignVCenter), text);
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
