#pragma once
// Form3 "ε1-ε2" and Form4 "τ-γ": a run's path drawn in black, with the full scales of the
// two axes. The plot follows the window's size; its context menu saves it as PNG or SVG.

#include "run/graph_trace.h"
#include "ui/graph_drawing.h"
#include "ui/value_box.h"

#include <QImage>
#include <QWidget>

#include <functional>

class QPainter;

namespace zmbr::ui {

class GraphWindow : public QWidget {
    Q_OBJECT

  public:
    explicit GraphWindow(GraphKind kind, QWidget* parent = nullptr);

    void refresh(const GraphTrace& trace);
    ValueBox* text2() const { return text2_; } // full scale up
    const GraphTrace& trace() const { return trace_; }
    const QImage& surface(); // the plot as the window shows it, brought up to date

    // Draws the trace into any surface of the given size.
    static void paintTrace(QPainter& p, const GraphTrace& trace, QSizeF size);
    bool savePicture(const QString& path) const; // .svg as SVG, anything else as PNG
    void savePictureAs(const QString& path);     // the same, with a message if it fails

    std::function<void()> onClose;

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

  private:
    static GraphFrame frameOf(const GraphTrace& t, QSizeF size);
    static QPointF mapPoint(const GraphTrace& t, const std::pair<double, double>& v, QSizeF size);
    static void drawSegments(QPainter& p, const GraphTrace& t, std::size_t from, QSizeF size);
    void drawSurface();

    GraphTrace trace_;
    // What the window has drawn so far. A run adds a segment per step, so only the new ones
    // are drawn; a rescale or a new size draws the whole trace again.
    QImage surface_;
    std::size_t drawnUpTo_ = 0; // the last point the surface's line reaches
    bool wholeDue_ = true;
    ValueBox* text1_ = nullptr;
    ValueBox* text2_ = nullptr;
    QWidget* xLabel_ = nullptr;
};

} // namespace zmbr::ui
