#include "results/ui/graph_window.h"

#include "input/ui/twips.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSvgGenerator>

namespace zmbr::ui {

namespace {

constexpr int kClientWidth = 3195, kClientHeight = 3060;

ValueBox* scaleField(QWidget* parent, const char* name) {
    auto* box = new ValueBox(Qt::AlignRight, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

GraphWindow::GraphWindow(GraphKind kind, QWidget* parent) : QWidget(parent), trace_(kind) {
    const bool strains = kind == GraphKind::Strains;
    setObjectName(strains ? QStringLiteral("Form3") : QStringLiteral("Form4"));
    setWindowTitle(strains ? QStringLiteral("ε1-ε2") : QStringLiteral("τ-γ"));
    setFont(windowFont());
    resize(twips(kClientWidth, this), twips(kClientHeight, this));
    setAttribute(Qt::WA_OpaquePaintEvent);

    auto* yLabel = new QLabel(strains ? QStringLiteral("ε2") : QStringLiteral("τxy"), this);
    yLabel->setGeometry(twipsRect(30, 0, 600, 240, this));
    text2_ = scaleField(this, "Text2");
    text2_->setGeometry(twipsRect(0, 240, 915, 285, this));
    auto* xLabel = new QLabel(strains ? QStringLiteral("ε1") : QStringLiteral("γxy"), this);
    xLabel->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    xLabel_ = xLabel;
    text1_ = scaleField(this, "Text1");
    resizeEvent(nullptr);
}

void GraphWindow::refresh(const GraphTrace& trace) {
    const bool changed = trace.points.size() != trace_.points.size() || trace.xLim != trace_.xLim ||
                         trace.yLim != trace_.yLim ||
                         (!trace.points.empty() && trace.points.back() != trace_.points.back());
    if (!changed)
        return;
    trace_ = trace;
    text1_->setText(QString::fromStdString(trace_.xScaleText));
    text2_->setText(QString::fromStdString(trace_.yScaleText));
    update();
}

// The surface spans 0..xLim across and yLim..0 from bottom to top; a value y lies at yLim - y.
void GraphWindow::paintTrace(QPainter& p, const GraphTrace& t, QSizeF size) {
    p.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    if (t.points.empty() || t.xLim == 0 || t.yLim == 0)
        return;
    auto map = [&](const std::pair<double, double>& v) {
        return QPointF(v.first / t.xLim * size.width(),
                       (t.yLim - v.second) / t.yLim * size.height());
    };
    p.setPen(QPen(Qt::black, 1));
    QPolygonF line;
    line.reserve(static_cast<int>(t.points.size()));
    for (const auto& v : t.points)
        line << map(v);
    p.drawPoint(line.front());
    if (line.size() > 1)
        p.drawPolyline(line);
}

void GraphWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintTrace(p, trace_, size());
}

void GraphWindow::resizeEvent(QResizeEvent*) {
    // The lower full-scale field and its label stay in the bottom-right corner.
    const int w = twips(915, this), h = twips(285, this);
    text1_->setGeometry(width() - w, height() - h, w, h);
    xLabel_->setGeometry(width() - w, height() - h - twips(240, this), w, twips(240, this));
    update();
}

void GraphWindow::closeEvent(QCloseEvent* e) {
    e->ignore(); // the calculation window's button decides what closes
    if (onClose)
        onClose();
}

bool GraphWindow::savePicture(const QString& path) const {
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size());
        svg.setViewBox(QRect(QPoint(0, 0), size()));
        svg.setTitle(windowTitle());
        QPainter p;
        if (!p.begin(&svg))
            return false;
        paintTrace(p, trace_, size());
        return p.end();
    }
    QImage image(size(), QImage::Format_RGB32);
    QPainter p(&image);
    paintTrace(p, trace_, size());
    p.end();
    return image.save(path, "PNG");
}

void GraphWindow::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    QAction* png = menu.addAction(QStringLiteral("Save picture as PNG..."));
    QAction* svg = menu.addAction(QStringLiteral("Save picture as SVG..."));
    QAction* chosen = menu.exec(e->globalPos());
    if (!chosen)
        return;
    const bool asSvg = chosen == svg;
    (void)png;
    const QString path = QFileDialog::getSaveFileName(this, windowTitle(), QString(),
                                                      asSvg ? QStringLiteral("SVG (*.svg)")
                                                            : QStringLiteral("PNG (*.png)"));
    if (!path.isEmpty())
        savePicture(path);
}

} // namespace zmbr::ui
