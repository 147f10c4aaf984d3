#include "ui/graph_window.h"

#include "ui/twips.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>

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
    const std::size_t had = trace_.points.size();
    const bool sameFrame = trace.xLim == trace_.xLim && trace.yLim == trace_.yLim &&
                           trace.points.size() >= had &&
                           (had == 0 || trace.points[had - 1] == trace_.points[had - 1]);
    if (sameFrame && trace.points.size() == had)
        return;
    text1_->setText(QString::fromStdString(trace.xScaleText()));
    text2_->setText(QString::fromStdString(trace.yScaleText()));
    if (!sameFrame) {
        trace_ = trace;
        wholeDue_ = true;
        update();
        return;
    }
    trace_.points.insert(trace_.points.end(), trace.points.begin() + static_cast<long>(had),
                         trace.points.end());
    const std::size_t first = had == 0 ? 0 : had - 1;
    // Only the area of the new segments is repainted.
    const QPointF start = mapPoint(trace_, trace_.points[first], size());
    qreal left = start.x(), right = start.x(), top = start.y(), bottom = start.y();
    for (std::size_t k = first + 1; k < trace_.points.size(); ++k) {
        const QPointF q = mapPoint(trace_, trace_.points[k], size());
        left = std::min(left, q.x());
        right = std::max(right, q.x());
        top = std::min(top, q.y());
        bottom = std::max(bottom, q.y());
    }
    update(
        QRectF(QPointF(left, top), QPointF(right, bottom)).toAlignedRect().adjusted(-2, -2, 2, 2));
}

// The whole surface spans 0..xLim across and yLim..0 from bottom to top, so that a value y
// lies at yLim - y.
GraphFrame GraphWindow::frameOf(const GraphTrace& t, QSizeF size) {
    return {QRectF(QPointF(0, 0), size), 0, t.xLim, 0, t.yLim};
}

QPointF GraphWindow::mapPoint(const GraphTrace& t, const std::pair<double, double>& v,
                              QSizeF size) {
    return frameOf(t, size).map(v.first, v.second);
}

void GraphWindow::drawSegments(QPainter& p, const GraphTrace& t, std::size_t from, QSizeF size) {
    p.setPen(graphPen());
    drawGraphSegments(p, frameOf(t, size), t.points, from);
}

void GraphWindow::paintTrace(QPainter& p, const GraphTrace& t, QSizeF size) {
    p.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    if (t.points.empty() || t.xLim == 0 || t.yLim == 0)
        return;
    drawSegments(p, t, 0, size);
}

// Brings the surface up to the trace: the whole trace after a rescale or a new size, else the
// segments from the last point drawn on, drawn onto what is there.
void GraphWindow::drawSurface() {
    const qreal ratio = devicePixelRatioF();
    if (surface_.deviceIndependentSize() != QSizeF(size()) ||
        surface_.devicePixelRatio() != ratio) {
        surface_ = QImage(size() * ratio, QImage::Format_RGB32);
        surface_.setDevicePixelRatio(ratio);
        wholeDue_ = true;
    }
    if (wholeDue_) {
        QPainter p(&surface_);
        paintTrace(p, trace_, size());
        wholeDue_ = false;
    } else if (drawnUpTo_ < trace_.points.size() && trace_.xLim != 0 && trace_.yLim != 0) {
        QPainter p(&surface_);
        drawSegments(p, trace_, drawnUpTo_, size());
    }
    drawnUpTo_ = trace_.points.empty() ? 0 : trace_.points.size() - 1;
}

const QImage& GraphWindow::surface() {
    drawSurface();
    return surface_;
}

void GraphWindow::paintEvent(QPaintEvent* e) {
    drawSurface();
    // The image holds device pixels; the event's area is in the window's own.
    const qreal ratio = surface_.devicePixelRatio();
    const QRect r = e->rect();
    QPainter p(this);
    p.drawImage(QRectF(r), surface_,
                QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio));
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
        // One line through all the points: the same picture, a fraction of the file.
        p.fillRect(QRectF(QPointF(0, 0), size()), Qt::white);
        if (trace_.xLim != 0 && trace_.yLim != 0) {
            p.setPen(graphPen());
            drawGraphPolyline(p, frameOf(trace_, size()), trace_.points);
        }
        return p.end();
    }
    // At the screen's resolution, as the window shows it.
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    QPainter p(&image);
    paintTrace(p, trace_, size());
    p.end();
    return image.save(path, "PNG");
}

void GraphWindow::savePictureAs(const QString& path) {
    if (!savePicture(path))
        QMessageBox::warning(this, QStringLiteral("Error"),
                             QStringLiteral("The picture could not be saved as %1.")
                                 .arg(QDir::toNativeSeparators(path)));
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
        savePictureAs(path);
}

} // namespace zmbr::ui
