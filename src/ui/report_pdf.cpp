#include "ui/report_pdf.h"

#include "study/result_plot.h"
#include "study/row_directions.h"
#include "study/study_chart.h"
#include "study/study_grid.h"
#include "study/study_map.h"
#include "ui/drawing_painter.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QHashSeed>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>

namespace zmbr::ui {

namespace {

// The page in units of 1/96 inch, the figures' own pixels: an A4 page is 793.7 × 1122.5.
constexpr int kDpi = 96;
constexpr double kPageWidth = 210 / 25.4 * kDpi, kPageHeight = 297 / 25.4 * kDpi;
constexpr double kMargin = 60, kTop = 56, kBottom = kPageHeight - 64;
constexpr double kTextWidth = kPageWidth - 2 * kMargin;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// One face, embedded: Liberation Sans, as the figures use it, DejaVu Sans where it is missing.
QFont reportFont(double points, bool bold = false) {
    QFont f;
    f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// Something placed on a page from its top: a heading, a table row, a figure.
struct Block {
    double height = 0;
    std::function<void(QPainter&, double top)> paint;
    bool keepWithNext = false; // a heading stays with what follows it
    bool newPage = false;
    const Block* header = nullptr; // a table's rows and header: the header, repeated on a
                                   // page the table goes on to
    bool isHeader = false;
};

class ReportLayout {
  public:
    explicit ReportLayout(const ReportDocument& d)
        : d_(d), body_(reportFont(8.5)), bold_(reportFont(8.5, true)), fm_(body_) {
        addTitle();
        for (const ReportSection& s : d_.sections)
            addSection(s);
    }

    // Assigns the blocks to pages and paints them; every page gets the footer.
    void paint(QPdfWriter& writer, QPainter& p) {
        std::vector<std::vector<std::pair<const Block*, double>>> pages(1);
        double y = kTop;
        const Block* lastHeader = nullptr;
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            const Block& b = blocks_[i];
            double need = b.height;
            for (std::size_t j = i; j + 1 < blocks_.size() && blocks_[j].keepWithNext; ++j)
                need += blocks_[j + 1].height;
            const bool atTop = pages.back().empty();
            if (!atTop && (b.newPage || y + need > kBottom)) {
                pages.emplace_back();
                y = kTop;
                lastHeader = nullptr;
            }
            if (b.header && !b.isHeader && lastHeader != b.header) {
                pages.back().emplace_back(b.header, y);
                y += b.header->height;
            }
            pages.back().emplace_back(&b, y);
            y += b.height;
            lastHeader = b.header;
        }
        for (std::size_t n = 0; n < pages.size(); ++n) {
            if (n > 0)
                writer.newPage();
            for (const auto& [block, top] : pages[n])
                block->paint(p, top);
            paintFooter(p, static_cast<int>(n + 1), static_cast<int>(pages.size()));
        }
    }

  private:
    void add(Block b) { blocks_.push_back(std::move(b)); }

    void addTitle() {
        const QFont title = reportFont(13, true), comment = reportFont(10.5);
        const QString titleText = qs(d_.title), commentText = qs(d_.comment);
        const double titleHeight = QFontMetricsF(title).height() + 6;
        const double commentHeight = d_.comment.empty() ? 0 : QFontMetricsF(comment).height() + 6;
        const double line = fm_.height() + 3;
        const double box = line * static_cast<double>(d_.titleBlock.size()) + 10;
        add({titleHeight + commentHeight + box + 14, [=, this](QPainter& p, double top) {
                 p.setPen(Qt::black);
                 p.setFont(title);
                 p.drawText(QRectF(kMargin, top, kTextWidth, titleHeight), Qt::AlignLeft,
                            titleText);
                 double y = top + titleHeight;
                 if (!commentText.isEmpty()) {
                     p.setFont(comment);
                     p.drawText(QRectF(kMargin, y, kTextWidth, commentHeight), Qt::AlignLeft,
                                commentText);
                     y += commentHeight;
                 }
                 p.setPen(QPen(Qt::black, 0.8));
                 p.setBrush(QColor(244, 244, 244));
                 p.drawRect(QRectF(kMargin, y, kTextWidth, box));
                 p.setBrush(Qt::NoBrush);
                 y += 5;
                 for (const ReportItem& item : d_.titleBlock) {
                     p.setFont(bold_);
                     p.drawText(QPointF(kMargin + 8, y + fm_.ascent()), qs(item.caption));
                     p.setFont(body_);
                     p.drawText(QPointF(kMargin + 110, y + fm_.ascent()), qs(item.value));
                     y += line;
                 }
             }});
    }

    void addSection(const ReportSection& s) {
        const QFont heading = reportFont(10.5, true);
        const double h = QFontMetricsF(heading).height() + 10;
        const QString text = qs(s.heading);
        Block b{h + 4,
                [=](QPainter& p, double top) {
                    p.setFont(heading);
                    p.setPen(Qt::black);
                    p.drawText(QPointF(kMargin, top + 6 + QFontMetricsF(heading).ascent()), text);
                    p.setPen(QPen(QColor(120, 120, 120), 0.8));
                    p.drawLine(QPointF(kMargin, top + h), QPointF(kMargin + kTextWidth, top + h));
                },
                true, s.newPage};
        add(b);
        for (const std::string& line : s.intro)
            addParagraph(qs(line));
        if (!s.itemGroups.empty())
            addItems(s.itemGroups);
        if (!s.table.empty())
            addTable(s.table);
        for (const std::string& line : s.lines)
            addParagraph(qs(line));
        for (ReportFigure f : s.figures)
            addFigure(f);
        blocks_.back().keepWithNext = false;
    }

    // The groups side by side: caption, value aligned right, unit; a first item without value
    // and unit is the group's title.
    void addItems(const std::vector<std::vector<ReportItem>>& groups) {
        const double line = fm_.height() + 3;
        std::size_t most = 0;
        for (const auto& g : groups)
            most = std::max(most, g.size());
        add({line * static_cast<double>(most) + 6, [=, this](QPainter& p, double top) {
                 const double width = kTextWidth / static_cast<double>(groups.size());
                 for (std::size_t k = 0; k < groups.size(); ++k) {
                     const double left = kMargin + width * static_cast<double>(k);
                     double y = top + 4;
                     for (const ReportItem& item : groups[k]) {
                         const bool title = item.value.empty() && item.unit.empty();
                         p.setPen(Qt::black);
                         p.setFont(title ? bold_ : body_);
                         p.drawText(QPointF(left, y + fm_.ascent()), qs(item.caption));
                         p.setFont(body_);
                         p.drawText(QRectF(left, y, width * 0.68, line),
                                    Qt::AlignRight | Qt::AlignTop, qs(item.value));
                         p.drawText(QPointF(left + width * 0.68 + 5, y + fm_.ascent()),
                                    qs(item.unit));
                         y += line;
                     }
                 }
             }});
    }

    void addTable(const ReportTable& t) {
        const double line = fm_.height() + 4;
        // Column widths from the widest text, shared out over the width when there is room.
        std::vector<double> widths(t.header.size(), 0);
        auto measure = [&](const std::vector<std::string>& cells, const QFontMetricsF& fm) {
            for (std::size_t c = 0; c < cells.size() && c < widths.size(); ++c)
                widths[c] = std::max(widths[c], fm.horizontalAdvance(qs(cells[c])) + 12);
        };
        measure(t.header, QFontMetricsF(bold_));
        for (const auto& r : t.rows)
            measure(r, fm_);
        double total = 0;
        for (double w : widths)
            total += w;
        const double stretch = kTextWidth / total;
        for (double& w : widths)
            w *= total < kTextWidth * 0.6 ? 1.0 : stretch;
        auto row = [=, this](const std::vector<std::string>& cells, bool head) {
            return [=, this](QPainter& p, double top) {
                double x = kMargin;
                if (head) {
                    p.fillRect(QRectF(kMargin, top, rowWidth(widths), line), QColor(230, 230, 230));
                }
                p.setPen(Qt::black);
                p.setFont(head ? bold_ : body_);
                for (std::size_t c = 0; c < cells.size() && c < widths.size(); ++c) {
                    const QString text =
                        fm_.elidedText(qs(cells[c]), Qt::ElideRight, widths[c] - 8);
                    p.drawText(QRectF(x + 4, top, widths[c] - 8, line),
                               (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                               head ? qs(cells[c]) : text);
                    x += widths[c];
                }
                p.setPen(QPen(QColor(160, 160, 160), 0.6));
                p.drawLine(QPointF(kMargin, top + line),
                           QPointF(kMargin + rowWidth(widths), top + line));
            };
        };
        headers_.push_back(std::make_unique<Block>(Block{line, row(t.header, true)}));
        const Block* header = headers_.back().get();
        add(*header);
        blocks_.back().keepWithNext = true;
        blocks_.back().header = header;
        blocks_.back().isHeader = true;
        for (const auto& r : t.rows)
            add({line, row(r, false), false, false, header});
        add({6, [](QPainter&, double) {}});
    }

    static double rowWidth(const std::vector<double>& widths) {
        double w = 0;
        for (double x : widths)
            w += x;
        return w;
    }

    void addParagraph(const QString& text) {
        const QRectF need = fm_.boundingRect(QRectF(0, 0, kTextWidth, 10000),
                                             Qt::TextWordWrap | Qt::AlignLeft, text);
        const double h = need.height() + 5;
        add({h, [=, this](QPainter& p, double top) {
                 p.setPen(Qt::black);
                 p.setFont(body_);
                 p.drawText(QRectF(kMargin, top + 3, kTextWidth, h), Qt::TextWordWrap, text);
             }});
    }

    void addFigure(ReportFigure f) {
        if (f == ReportFigure::PanelRows) {
            addPanelRows();
            return;
        }
        if ((f == ReportFigure::StudyChart && !d_.study) ||
            (f != ReportFigure::StudyChart && !d_.curve))
            return;
        // A figure of the graph windows' look, scaled from its own size to most of the text's
        // width: two of them and a page's worth of text above fit on one page.
        const double scale = 0.88 * kTextWidth / kFigureWidth;
        const double h = kFigureHeight * scale + 10;
        add({h, [=, this](QPainter& p, double top) {
                 p.save();
                 p.translate(kMargin + (kTextWidth - kFigureWidth * scale) / 2, top + 5);
                 p.scale(scale, scale);
                 p.setClipRect(QRectF(0, 0, kFigureWidth, kFigureHeight));
                 paintOneFigure(p, f);
                 p.restore();
             }});
    }

    void paintOneFigure(QPainter& p, ReportFigure f) const {
        const TextWidth width = qtTextWidth();
        if (f == ReportFigure::StudyChart) {
            if (studyWantsMap(*d_.study))
                paintDrawing(p, drawStudyMap(studyMap(*d_.study), width));
            else
                paintDrawing(p, drawFigure(studyChart(*d_.study), width));
            return;
        }
        paintDrawing(
            p, drawFigure(resultPlot({{d_.curveName, *d_.curve}}, f == ReportFigure::Eps1Eps2),
                          width));
    }

    void addPanelRows() {
        // The rows that share a direction are drawn as one family.
        std::vector<RowFamily> families;
        std::map<std::string, std::size_t> byAngle;
        for (const RowDirection& r : d_.rows) {
            auto [it, fresh] = byAngle.emplace(r.text, families.size());
            if (fresh)
                families.push_back({r.degrees, std::string()});
            std::string& label = families[it->second].label;
            label += (label.empty() ? "" : ", ") + std::to_string(r.row);
        }
        for (auto& [text, k] : byAngle)
            families[k].label =
                (families[k].label.find(',') != std::string::npos ? "rows " : "row ") +
                families[k].label + ":  θr = " + text + "°";
        const double h = 190;
        const Drawing drawing = drawRowDirections(families, kTextWidth, h - 12, qtTextWidth());
        add({h, [=](QPainter& p, double top) {
                 p.save();
                 p.translate(kMargin, top + 6);
                 paintDrawing(p, drawing);
                 p.restore();
             }});
    }

    void paintFooter(QPainter& p, int page, int pages) const {
        const double y = kPageHeight - 40;
        p.setPen(QPen(QColor(120, 120, 120), 0.6));
        p.drawLine(QPointF(kMargin, y), QPointF(kMargin + kTextWidth, y));
        p.setPen(QColor(80, 80, 80));
        p.setFont(reportFont(7.5));
        p.drawText(QRectF(kMargin, y + 3, kTextWidth, 14), Qt::AlignLeft, qs(d_.footer));
        p.drawText(QRectF(kMargin, y + 3, kTextWidth, 14), Qt::AlignRight,
                   QStringLiteral("page %1 of %2").arg(page).arg(pages));
    }

    const ReportDocument& d_;
    QFont body_, bold_;
    QFontMetricsF fm_;
    std::vector<Block> blocks_;
    std::vector<std::unique_ptr<Block>> headers_;
};

// The writer dates the file by the clock; the report's own date takes its place, in a text
// of the same length or shorter padded with blanks after it, so that no offset moves.
void replaceCreationDate(QByteArray& pdf, const LocalDateTime& t) {
    const QByteArray key = "/CreationDate (";
    const auto at = pdf.indexOf(key);
    if (at < 0)
        return;
    const auto from = at + key.size() - 1; // the opening parenthesis
    const auto to = pdf.indexOf(')', from);
    char date[40];
    std::snprintf(date, sizeof date, "(D:%04d%02d%02d%02d%02d%02d)", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    QByteArray text(date);
    if (to < 0 || text.size() > to + 1 - from)
        return;
    text += QByteArray(to + 1 - from - text.size(), ' ');
    pdf.replace(from, text.size(), text);
}

} // namespace

QByteArray renderReportPdf(const ReportDocument& document) {
    QByteArray bytes;
    // The writer keeps the embedded faces' glyphs in hash tables and writes them in the
    // tables' order: with the process's random seed the bytes would change from run to run.
    // Tables made before keep their own seed.
    QHashSeed::setDeterministicGlobalSeed();
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Portrait);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(kDpi);
        writer.setTitle(qs(document.title));
        writer.setCreator(qs(programNameAndVersion()));
        QPainter p(&writer);
        p.setRenderHint(QPainter::Antialiasing);
        ReportLayout layout(document);
        layout.paint(writer, p);
    }
    QHashSeed::resetRandomGlobalSeed();
    replaceCreationDate(bytes, document.date);
    return bytes;
}

} // namespace zmbr::ui
