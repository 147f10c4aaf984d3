#include "ui/study_map.h"

#include "study/study_grid.h"

#include <QFontMetricsF>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>

namespace zmbr::ui {

namespace {

constexpr double kGap = 10, kTick = 5, kBarWidth = 16;

// A sequential scale from dark blue-violet through green to yellow, even in lightness, so that
// it reads the same in grey print (samples of the published viridis map).
constexpr std::array<QRgb, 9> kScale = {0x440154, 0x472c7a, 0x3b518b, 0x2c718e, 0x21908d,
                                        0x27ad81, 0x5cc863, 0xaadc32, 0xfde725};

QColor scaleColour(double t) {
    t = std::clamp(t, 0.0, 1.0) * (kScale.size() - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(t), kScale.size() - 2);
    const double f = t - static_cast<double>(i);
    const QColor a(kScale[i]), b(kScale[i + 1]);
    return QColor::fromRgbF(static_cast<float>(a.redF() + f * (b.redF() - a.redF())),
                            static_cast<float>(a.greenF() + f * (b.greenF() - a.greenF())),
                            static_cast<float>(a.blueF() + f * (b.blueF() - a.blueF())));
}

// The edges of the cells around sorted values: halfway between neighbours, and half a spacing
// beyond the first and the last (one unit around a single value).
std::vector<double> cellEdges(const std::vector<double>& v) {
    std::vector<double> e(v.size() + 1);
    if (v.size() == 1)
        return {v[0] - 0.5, v[0] + 0.5};
    for (std::size_t i = 1; i < v.size(); ++i)
        e[i] = (v[i - 1] + v[i]) / 2;
    e.front() = v.front() - (e[1] - v.front());
    e.back() = v.back() + (v.back() - e[v.size() - 1]);
    return e;
}

// Ticks of the scale's step within [low, high].
AxisScale scaleWithin(double low, double high, double dataLow, double dataHigh) {
    AxisScale s = axisScale(dataLow, dataHigh, false);
    s.low = low;
    s.high = high;
    std::erase_if(s.ticks, [&](double t) {
        return t < low - 1e-9 * (high - low) || t > high + 1e-9 * (high - low);
    });
    return s;
}

class MapPainter {
  public:
    MapPainter(QPainter& p, const StudyMap& m) : p_(p), m_(m), font_(figureFont()), fm_(font_) {}

    void paint() {
        p_.fillRect(QRectF(0, 0, kFigureWidth, kFigureHeight), Qt::white);
        p_.setFont(font_);
        const StudyGrid& g = m_.grid;
        xEdges_ = cellEdges(g.xs);
        yEdges_ = cellEdges(g.ys);
        xs_ = scaleWithin(xEdges_.front(), xEdges_.back(), g.xs.front(), g.xs.back());
        ys_ = scaleWithin(yEdges_.front(), yEdges_.back(), g.ys.front(), g.ys.back());
        findValueRange();
        layOut();
        drawCells();
        drawAxes();
        drawColourBar();
        drawKey();
    }

  private:
    void findValueRange() {
        double low = 0, high = 0;
        bool any = false;
        std::map<std::string, int> ends;
        for (const StudyCell& c : m_.grid.cells) {
            if (!c.tauMax)
                continue;
            low = any ? std::min(low, *c.tauMax) : *c.tauMax;
            high = any ? std::max(high, *c.tauMax) : *c.tauMax;
            any = true;
            ++ends[c.end];
        }
        vs_ = axisScale(low, high, false);
        // The commonest end goes unmarked; the key says which it is.
        int most = 0;
        for (const auto& [end, count] : ends)
            if (count > most) {
                most = count;
                usual_ = endMarkOf(end);
            }
    }

    void layOut() {
        const double line = fm_.height();
        double yLabels = 0;
        for (double v : ys_.ticks)
            yLabels = std::max(yLabels, fm_.horizontalAdvance(tickText(v, ys_.decimals)));
        double barLabels = 0;
        for (double v : vs_.ticks)
            barLabels = std::max(barLabels, fm_.horizontalAdvance(tickText(v, vs_.decimals)));
        double key = fm_.horizontalAdvance(QStringLiteral("unmarked: ") + markText(usual_));
        key = std::max(key, fm_.horizontalAdvance(m_.valueTitle));
        const double right = std::max(kBarWidth + kTick + 4 + barLabels, key);
        const double left = kGap + line + kGap + yLabels + kTick + 4;
        const double top = kGap + line / 2 + (m_.title.isEmpty() ? 0 : line + kGap) + line;
        const double bottom = kFigureHeight - (kGap + line + kGap / 2 + line + kTick + 2);
        keyLeft_ = kFigureWidth - kGap - right;
        plot_ = QRectF(QPointF(left, top), QPointF(keyLeft_ - 3 * kGap, bottom));
        bar_ = QRectF(keyLeft_, top + line, kBarWidth, (bottom - top) * 0.6 - line);
    }

    QPointF map(double x, double y) const {
        return GraphFrame{plot_, xs_.low, xs_.high, ys_.low, ys_.high}.map(x, y);
    }

    double fraction(double v) const { return (v - vs_.low) / (vs_.high - vs_.low); }

    void drawCells() {
        const StudyGrid& g = m_.grid;
        p_.save();
        p_.setPen(Qt::NoPen);
        for (std::size_t yi = 0; yi < g.ys.size(); ++yi)
            for (std::size_t xi = 0; xi < g.xs.size(); ++xi) {
                const StudyCell& c = g.at(xi, yi);
                const QRectF r(map(xEdges_[xi], yEdges_[yi + 1]),
                               map(xEdges_[xi + 1], yEdges_[yi]));
                if (c.tauMax) {
                    // A hair wider, so that no seam shows between neighbours.
                    p_.setBrush(scaleColour(fraction(*c.tauMax)));
                    p_.drawRect(r.adjusted(-0.3, -0.3, 0.3, 0.3));
                } else {
                    p_.setBrush(QBrush(QColor(150, 150, 150), Qt::BDiagPattern));
                    p_.drawRect(r);
                }
            }
        p_.setRenderHint(QPainter::Antialiasing);
        for (std::size_t yi = 0; yi < g.ys.size(); ++yi)
            for (std::size_t xi = 0; xi < g.xs.size(); ++xi) {
                const StudyCell& c = g.at(xi, yi);
                const EndMark mark = endMarkOf(c.end);
                if (!c.tauMax || mark == usual_)
                    continue;
                const QRectF r(map(xEdges_[xi], yEdges_[yi + 1]),
                               map(xEdges_[xi + 1], yEdges_[yi]));
                const double size = std::clamp(std::min(r.width(), r.height()) * 0.35, 1.5, 4.5);
                drawMark(p_, r.center(), mark, Qt::black, size);
            }
        p_.restore();
    }

    void drawAxes() {
        const double line = fm_.height();
        const GraphFrame frame{plot_, xs_.low, xs_.high, ys_.low, ys_.high};
        drawAxesAndTitles(p_, fm_, frame, xs_, ys_, m_.xTitle, m_.yTitle, false);
        QFont bold = font_;
        bold.setBold(true);
        p_.setFont(bold);
        p_.drawText(QRectF(kGap, kGap, kFigureWidth - 2 * kGap, line), Qt::AlignHCenter, m_.title);
        p_.setFont(font_);
        if (!m_.subtitle.isEmpty())
            p_.drawText(QRectF(kGap, kGap + line + 2, kFigureWidth - 2 * kGap, line),
                        Qt::AlignHCenter, m_.subtitle);
    }

    void drawColourBar() {
        const double line = fm_.height();
        p_.setPen(Qt::NoPen);
        const int bands = 64;
        for (int i = 0; i < bands; ++i) {
            const double t0 = static_cast<double>(i) / bands, t1 = (i + 1.0) / bands;
            p_.setBrush(scaleColour((t0 + t1) / 2));
            p_.drawRect(QRectF(QPointF(bar_.left(), bar_.bottom() - t1 * bar_.height() - 0.3),
                               QPointF(bar_.right(), bar_.bottom() - t0 * bar_.height())));
        }
        p_.setPen(QPen(Qt::black, 1));
        p_.setBrush(Qt::NoBrush);
        p_.drawRect(bar_);
        for (double v : vs_.ticks) {
            const double y = bar_.bottom() - fraction(v) * bar_.height();
            p_.drawLine(QPointF(bar_.right(), y), QPointF(bar_.right() + kTick, y));
            p_.drawText(QRectF(bar_.right() + kTick + 4, y - line / 2, 200, line),
                        Qt::AlignLeft | Qt::AlignVCenter, tickText(v, vs_.decimals));
        }
        p_.drawText(QPointF(keyLeft_, bar_.top() - fm_.descent() - 4), m_.valueTitle);
    }

    void drawKey() {
        const double line = fm_.height() + 3;
        double y = bar_.bottom() + kGap;
        p_.setPen(Qt::black);
        p_.drawText(QPointF(keyLeft_, y + fm_.ascent()),
                    QStringLiteral("unmarked: ") + markText(usual_));
        y += line;
        std::vector<EndMark> shown;
        bool noResult = false;
        for (const StudyCell& c : m_.grid.cells) {
            const EndMark m = endMarkOf(c.end);
            if (!c.tauMax)
                noResult = true;
            else if (m != usual_ && std::find(shown.begin(), shown.end(), m) == shown.end())
                shown.push_back(m);
        }
        std::sort(shown.begin(), shown.end());
        for (EndMark m : shown) {
            drawMark(p_, QPointF(keyLeft_ + 6, y + line / 2 - 1), m, Qt::black, 4.5);
            p_.setPen(Qt::black);
            p_.drawText(QPointF(keyLeft_ + 18, y + fm_.ascent()), markText(m));
            y += line;
        }
        if (noResult) {
            p_.setPen(Qt::NoPen);
            p_.setBrush(QBrush(QColor(150, 150, 150), Qt::BDiagPattern));
            p_.drawRect(QRectF(keyLeft_, y + 2, 12, line - 6));
            p_.setPen(Qt::black);
            p_.drawText(QPointF(keyLeft_ + 18, y + fm_.ascent()), QStringLiteral("no step"));
        }
    }

    QPainter& p_;
    const StudyMap& m_;
    QFont font_;
    QFontMetricsF fm_;
    std::vector<double> xEdges_, yEdges_;
    AxisScale xs_, ys_, vs_;
    EndMark usual_ = EndMark::ConcreteNG;
    QRectF plot_, bar_;
    double keyLeft_ = 0;
};

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

StudyMap studyMap(const StudyResults& r) {
    StudyMap m;
    m.grid = studyGrid(r);
    const std::string file = std::filesystem::path(r.file).filename().string();
    m.title = qs("τxy max of the variants of " + file);
    if (!m.grid.folded.empty()) {
        std::string names;
        for (std::size_t i = 0; i < m.grid.folded.size(); ++i)
            names += (i ? ", " : "") + m.grid.folded[i];
        m.subtitle = qs("the lowest over the values of " + names);
    }
    m.xTitle = qs(r.names[0].caption());
    m.yTitle = qs(r.names[1].caption());
    m.valueTitle = QStringLiteral("τxy max (MPa)");
    return m;
}

void paintStudyMap(QPainter& p, const StudyMap& map) {
    MapPainter(p, map).paint();
}

QByteArray renderStudyMap(const StudyMap& map, bool svg) {
    return renderPicture([&map](QPainter& p) { paintStudyMap(p, map); }, map.title, svg);
}

} // namespace zmbr::ui
