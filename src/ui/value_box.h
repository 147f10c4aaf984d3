#pragma once
// A read-only field of the run windows: a framed white box with one line of text.
// Setting a text only stores it and asks for a repaint, so the run can refresh dozens of
// fields between two of its yield points at little cost.

#include <QColor>
#include <QString>
#include <QWidget>

class QPainter;
class QRawFont;

namespace zmbr::ui {

// Draws a field into `box` with the painter's font: the frame, the white inside, the text.
// Given the painter's font as a raw font, the text is placed from its glyphs directly, as
// the toolkit's own layout would place one line of it, at half the cost.
void paintValueBox(QPainter& p, const QRect& box, const QString& text, const QColor& color,
                   Qt::Alignment alignment, const QRawFont* raw = nullptr);

class ValueBox : public QWidget {
  public:
    ValueBox(Qt::Alignment alignment, QWidget* parent);

    const QString& text() const { return text_; }
    void setText(const QString& text);
    const QColor& textColor() const { return color_; }
    void setTextColor(const QColor& color);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QString text_;
    QColor color_ = Qt::black;
    Qt::Alignment alignment_;
};

} // namespace zmbr::ui
