#include "report/page_layout.h"

#include "platform/error_text.h"
#include "report/pdf_writer.h"
#include "report/report_figures.h"
#include "study/summary_table.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace zmbr {

namespace {

constexpr double kMargin = 48, kTextWidth = kA4Width - 2 * kMargin;
constexpr double kBody = 8.5, kSmall = 7.5, kHeading = 10.5, kTitle = 13;
constexpr double kLine = kBody * 1.35;
constexpr double kFooterTop = kA4Height - 34;
const Rgb kBlack{0, 0, 0}, kGrey{110, 110, 110}, kRule{160, 160, 160}, kShade{235, 235, 235};

Shape line(Point a, Point b, Rgb colour, double width = 0.6) {
    return Shape{{a, b}, false, Stroke{colour, width, {}}, std::nullopt, std::nullopt};
}

Shape rectangle(Box b, std::optional<Rgb> fill, std::optional<Stroke> stroke = std::nullopt) {
    return Shape{{{b.left, b.top},
                  {b.left + b.width, b.top},
                  {b.left + b.width, b.top + b.height},
                  {b.left, b.top + b.height}},
                 true,
                 std::move(stroke),
                 fill,
                 std::nullopt};
}

// Something placed on a page from its top: a heading, a paragraph, a table row, a figure.
struct Block {
    double height = 0;
    std::function<void(Drawing&, double top)> paint;
    bool keepWithNext = false; // a heading stays with what follows it
    bool newPage = false;
    const Block* header = nullptr; // a table's header, repeated on a page the table goes on to
    bool isHeader = false;
};

class Layout {
  public:
    Layout(const ReportDocument& d, const ReportFonts& fonts) : d_(d), measure_(fonts.measure()) {
        headerHeight_ = signOffHeight();
        addTitle();
        for (const ReportSection& s : d_.sections)
            addSection(s);
    }

    std::vector<Drawing> pages() {
        const double top = kMargin / 2 + headerHeight_ + 14, bottom = kFooterTop - 10;
        std::vector<std::vector<std::pair<const Block*, double>>> placed(1);
        double y = top;
        const Block* lastHeader = nullptr;
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            const Block& b = blocks_[i];
            double need = b.height;
            for (std::size_t j = i; j + 1 < blocks_.size() && blocks_[j].keepWithNext; ++j)
                need += blocks_[j + 1].height;
            need = std::min(need, bottom - top);
            if (!placed.back().empty() && (b.newPage || y + need > bottom)) {
                placed.emplace_back();
                y = top;
                lastHeader = nullptr;
            }
            if (b.header && !b.isHeader && lastHeader != b.header) {
                placed.back().emplace_back(b.header, y);
                y += b.header->height;
            }
            placed.back().emplace_back(&b, y);
            y += b.height;
            lastHeader = b.header;
        }
        std::vector<Drawing> pages;
        for (std::size_t n = 0; n < placed.size(); ++n) {
            Drawing page{kA4Width, kA4Height, {}};
            paintSignOff(page, static_cast<int>(n + 1), static_cast<int>(placed.size()));
            for (const auto& [block, at] : placed[n])
                block->paint(page, at);
            paintFooter(page);
            pages.push_back(std::move(page));
        }
        return pages;
    }

  private:
    void add(Block b) { blocks_.push_back(std::move(b)); }

    std::vector<std::string> wrap(std::string_view text, Face face, double size,
                                  double width) const {
        return wrapText(text, face, size, width, measure_);
    }

    static Label text(double x, double baseline, std::string s, Face face = Face::Sans,
                      double size = kBody, Anchor anchor = Anchor::Left, Rgb colour = kBlack) {
        return Label{{x, baseline}, std::move(s), face, size, colour, anchor, 0};
    }

    // The sign-off block: three rows of two fields and the sheet's number, each field with a
    // line to write on when it is empty.
    struct Cell {
        std::string caption, value;
    };
    std::vector<std::vector<Cell>> signOffCells() const {
        const SignOff& s = d_.signOff;
        return {
            {{"Project", s.project}, {"Job", s.job}, {"Sheet", ""}},
            {{"Element", s.element}, {"Revision", s.revision}, {"Date", d_.dateText}},
            {{"Prepared by", s.preparedBy}, {"Checked by", s.checkedBy}, {"Program", d_.program}}};
    }
    static constexpr double kCellWidths[3] = {0.42, 0.30, 0.28};

    std::vector<std::vector<std::vector<std::string>>> signOffLines() const {
        std::vector<std::vector<std::vector<std::string>>> rows;
        for (const auto& row : signOffCells()) {
            rows.emplace_back();
            for (std::size_t c = 0; c < row.size(); ++c) {
                const double w = kTextWidth * kCellWidths[c] - 8 - captionWidth();
                rows.back().push_back(wrap(row[c].value, Face::Sans, kSmall, w));
            }
        }
        return rows;
    }
    double captionWidth() const { return measure_(Face::SansBold, kSmall, "Prepared by") + 6; }
    double signOffHeight() const {
        double h = 0;
        for (const auto& row : signOffLines()) {
            std::size_t most = 1;
            for (const auto& cell : row)
                most = std::max(most, cell.size());
            h += static_cast<double>(most) * kSmall * 1.3 + 6;
        }
        return h;
    }

    void paintSignOff(Drawing& page, int sheet, int sheets) const {
        const auto cells = signOffCells();
        const auto lines = signOffLines();
        double y = kMargin / 2;
        page.items.push_back(rectangle({kMargin, y, kTextWidth, headerHeight_}, std::nullopt,
                                       Stroke{kGrey, 0.6, {}}));
        for (std::size_t r = 0; r < cells.size(); ++r) {
            std::size_t most = 1;
            for (const auto& cell : lines[r])
                most = std::max(most, cell.size());
            const double h = static_cast<double>(most) * kSmall * 1.3 + 6;
            double x = kMargin;
            for (std::size_t c = 0; c < cells[r].size(); ++c) {
                const double w = kTextWidth * kCellWidths[c];
                const double baseline = y + 3 + kSmall;
                page.items.push_back(
                    text(x + 4, baseline, cells[r][c].caption, Face::SansBold, kSmall));
                const double valueX = x + 4 + captionWidth();
                std::vector<std::string> value = lines[r][c];
                if (r == 0 && c == 2)
                    value = {std::to_string(sheet) + " of " + std::to_string(sheets)};
                if (value.size() == 1 && value[0].empty())
                    page.items.push_back(
                        line({valueX, baseline + 1.5}, {x + w - 6, baseline + 1.5}, kRule, 0.5));
                for (std::size_t k = 0; k < value.size(); ++k)
                    page.items.push_back(text(valueX,
                                              baseline + static_cast<double>(k) * kSmall * 1.3,
                                              value[k], Face::Sans, kSmall));
                if (c > 0)
                    page.items.push_back(line({x, y}, {x, y + h}, kRule, 0.5));
                x += w;
            }
            y += h;
            if (r + 1 < cells.size())
                page.items.push_back(line({kMargin, y}, {kMargin + kTextWidth, y}, kRule, 0.5));
        }
    }

    void paintFooter(Drawing& page) const {
        page.items.push_back(
            line({kMargin, kFooterTop}, {kMargin + kTextWidth, kFooterTop}, kGrey));
        const std::vector<std::string> lines = wrap(d_.footer, Face::Sans, kSmall, kTextWidth);
        for (std::size_t k = 0; k < lines.size(); ++k)
            page.items.push_back(text(kMargin,
                                      kFooterTop + 10 + static_cast<double>(k) * kSmall * 1.3,
                                      lines[k], Face::Sans, kSmall, Anchor::Left, kGrey));
    }

    // A short paragraph stays on one page; a long one (a comment of many lines) goes on from
    // page to page line by line, so that no line falls off the foot of a page.
    void addLines(const std::vector<std::string>& lines, Face face, double size, double gapAfter,
                  Rgb colour = kBlack, double indent = 0) {
        const double step = size * 1.35;
        auto block = [=](std::vector<std::string> part, double gap) {
            add({step * static_cast<double>(part.size()) + gap, [=](Drawing& page, double top) {
                     for (std::size_t k = 0; k < part.size(); ++k)
                         page.items.push_back(text(kMargin + indent,
                                                   top + size + static_cast<double>(k) * step,
                                                   part[k], face, size, Anchor::Left, colour));
                 }});
        };
        if (lines.size() <= 6) {
            block(lines, gapAfter);
            return;
        }
        for (std::size_t k = 0; k < lines.size(); ++k)
            block({lines[k]}, k + 1 == lines.size() ? gapAfter : 0);
    }

    void addParagraph(const std::string& s, Face face = Face::Sans) {
        addLines(wrap(s, face, kBody, kTextWidth), face, kBody, 4);
    }

    void addTitle() {
        addLines(wrap(d_.title, Face::SansBold, kTitle, kTextWidth), Face::SansBold, kTitle, 2);
        if (!d_.comment.empty())
            addLines(wrap(d_.comment, Face::Sans, kHeading, kTextWidth), Face::Sans, kHeading, 4);
        if (!d_.banner.empty())
            addBanner();
        if (!d_.summary.empty()) {
            ReportTable t;
            t.header = {"Summary", ""};
            t.rows = d_.summary;
            t.leftColumns = 2;
            addTable(t);
        }
        // The files, program and date, one item a line; paths wrap in their column.
        const double captionW = 92;
        for (const ReportItem& item : d_.titleBlock) {
            const auto lines = wrap(item.value, Face::Sans, kBody, kTextWidth - captionW);
            add({kLine * static_cast<double>(lines.size()) + 1, [=](Drawing& page, double top) {
                     page.items.push_back(text(kMargin, top + kBody, item.caption, Face::SansBold));
                     for (std::size_t k = 0; k < lines.size(); ++k)
                         page.items.push_back(text(kMargin + captionW,
                                                   top + kBody + static_cast<double>(k) * kLine,
                                                   lines[k]));
                 }});
        }
        add({6, [](Drawing&, double) {}});
    }

    void addBanner() {
        const auto lines = wrap(d_.banner, Face::SansBold, kHeading, kTextWidth - 16);
        const double h = static_cast<double>(lines.size()) * kHeading * 1.35 + 12;
        add({h + 8, [=](Drawing& page, double top) {
                 page.items.push_back(rectangle({kMargin, top + 2, kTextWidth, h},
                                                Rgb{253, 236, 234},
                                                Stroke{Rgb{192, 57, 43}, 1.2, {}}));
                 for (std::size_t k = 0; k < lines.size(); ++k)
                     page.items.push_back(text(
                         kMargin + 8, top + 8 + kHeading + static_cast<double>(k) * kHeading * 1.35,
                         lines[k], Face::SansBold, kHeading, Anchor::Left, Rgb{150, 30, 20}));
             }});
    }

    void addSection(const ReportSection& s) {
        const double h = kHeading + 12;
        const std::string heading = s.heading;
        add({h + 4,
             [=](Drawing& page, double top) {
                 page.items.push_back(
                     text(kMargin, top + 6 + kHeading, heading, Face::SansBold, kHeading));
                 page.items.push_back(
                     line({kMargin, top + h}, {kMargin + kTextWidth, top + h}, kGrey));
             },
             true, s.newPage});
        for (const std::string& p : s.intro)
            addParagraph(p);
        if (!s.itemGroups.empty())
            addItems(s.itemGroups);
        if (!s.table.empty())
            addTable(s.table);
        for (const std::string& p : s.lines)
            addParagraph(p);
        // The words just before a figure stay on its page (and the heading with them, where
        // they are the section's only words).
        if (!s.lines.empty() && !s.figures.empty())
            blocks_.back().keepWithNext = true;
        for (ReportFigure f : s.figures)
            addFigure(f);
        blocks_.back().keepWithNext = false;
    }

    // The groups side by side: caption, value aligned right, unit; a first item without value
    // and unit is the group's title.
    void addItems(const std::vector<std::vector<ReportItem>>& groups) {
        std::size_t most = 0;
        for (const auto& g : groups)
            most = std::max(most, g.size());
        add({kLine * static_cast<double>(most) + 6, [=](Drawing& page, double top) {
                 const double width = kTextWidth / static_cast<double>(groups.size());
                 for (std::size_t k = 0; k < groups.size(); ++k) {
                     const double left = kMargin + width * static_cast<double>(k);
                     double y = top + 2 + kBody;
                     for (const ReportItem& item : groups[k]) {
                         const bool title = item.value.empty() && item.unit.empty();
                         page.items.push_back(
                             text(left, y, item.caption, title ? Face::SansBold : Face::Sans));
                         page.items.push_back(text(left + width * 0.66, y, item.value, Face::Sans,
                                                   kBody, Anchor::Right));
                         page.items.push_back(text(left + width * 0.66 + 4, y, item.unit));
                         y += kLine;
                     }
                 }
             }});
    }

    // Column widths: each column's widest text when they fit; otherwise the narrow columns keep
    // theirs and the wide ones share what is left, their texts wrapping.
    std::vector<double> columnWidths(const ReportTable& t) const {
        std::vector<double> natural(t.header.size(), 0);
        auto measureRow = [&](const std::vector<std::string>& cells, bool head) {
            for (std::size_t c = 0; c < cells.size() && c < natural.size(); ++c)
                natural[c] =
                    std::max(natural[c],
                             measure_(head ? Face::SansBold : faceOf(t, c), kBody, cells[c]) + 10);
        };
        measureRow(t.header, true);
        for (const auto& r : t.rows)
            measureRow(r, false);
        std::vector<double> widths = natural;
        double total = 0;
        for (double w : natural)
            total += w;
        if (total <= kTextWidth)
            return widths;
        // A monospaced column (a digest) is never broken: it keeps its width.
        double left = kTextWidth;
        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < natural.size(); ++i) {
            if (faceOf(t, i) == Face::Mono)
                left -= natural[i];
            else
                order.push_back(i);
        }
        std::sort(order.begin(), order.end(),
                  [&](std::size_t a, std::size_t b) { return natural[a] < natural[b]; });
        for (std::size_t k = 0; k < order.size(); ++k) {
            const double share = left / static_cast<double>(order.size() - k);
            widths[order[k]] = std::min(natural[order[k]], share);
            left -= widths[order[k]];
        }
        return widths;
    }

    static Face faceOf(const ReportTable& t, std::size_t column) {
        return column < t.mono.size() && t.mono[column] ? Face::Mono : Face::Sans;
    }

    void addTable(const ReportTable& t) {
        const std::vector<double> widths = columnWidths(t);
        double rowWidth = 0;
        for (double w : widths)
            rowWidth += w;
        auto block = [=, this](const std::vector<std::string>& cells, bool head) {
            std::vector<std::vector<std::string>> lines;
            std::size_t most = 1;
            for (std::size_t c = 0; c < cells.size() && c < widths.size(); ++c) {
                lines.push_back(
                    wrap(cells[c], head ? Face::SansBold : faceOf(t, c), kBody, widths[c] - 8));
                most = std::max(most, lines.back().size());
            }
            const double h = static_cast<double>(most) * kLine + 4;
            return Block{
                h, [=](Drawing& page, double top) {
                    if (head)
                        page.items.push_back(rectangle({kMargin, top, rowWidth, h}, kShade));
                    double x = kMargin;
                    for (std::size_t c = 0; c < lines.size(); ++c) {
                        const bool left =
                            static_cast<int>(c) < t.leftColumns || lines[c].size() > 1;
                        for (std::size_t k = 0; k < lines[c].size(); ++k)
                            page.items.push_back(
                                text(left ? x + 4 : x + widths[c] - 4,
                                     top + 2 + kBody + static_cast<double>(k) * kLine, lines[c][k],
                                     head ? Face::SansBold : faceOf(t, c), kBody,
                                     left ? Anchor::Left : Anchor::Right));
                        x += widths[c];
                    }
                    page.items.push_back(
                        line({kMargin, top + h}, {kMargin + rowWidth, top + h}, kRule));
                }};
        };
        headers_.push_back(std::make_unique<Block>(block(t.header, true)));
        const Block* header = headers_.back().get();
        add(*header);
        blocks_.back().keepWithNext = true;
        blocks_.back().header = header;
        blocks_.back().isHeader = true;
        for (const auto& r : t.rows) {
            Block b = block(r, false);
            b.header = header;
            add(std::move(b));
        }
        add({6, [](Drawing&, double) {}});
    }

    void addFigure(ReportFigure f) {
        Drawing picture = reportFigure(d_, f, measure_);
        if (picture.width <= 0 || picture.height <= 0)
            return;
        const double scale =
            std::min(kTextWidth * (f == ReportFigure::PanelRows ? 1.0 : 0.86) / picture.width, 1.0);
        const double h = picture.height * scale + 10;
        const double left = kMargin + (kTextWidth - picture.width * scale) / 2;
        add({h, [=](Drawing& page, double top) { place(page, picture, left, top + 5, scale); }});
    }

    static void place(Drawing& page, const Drawing& picture, double left, double top,
                      double scale) {
        auto at = [&](Point p) { return Point{left + p.x * scale, top + p.y * scale}; };
        for (const DrawingItem& item : picture.items) {
            if (const Shape* s = std::get_if<Shape>(&item)) {
                Shape moved = *s;
                for (Point& p : moved.points)
                    p = at(p);
                if (moved.stroke) {
                    moved.stroke->width *= scale;
                    for (double& d : moved.stroke->dashes)
                        d *= scale;
                }
                if (moved.clip) {
                    const Point corner = at({moved.clip->left, moved.clip->top});
                    moved.clip = Box{corner.x, corner.y, moved.clip->width * scale,
                                     moved.clip->height * scale};
                }
                page.items.push_back(std::move(moved));
            } else {
                Label l = std::get<Label>(item);
                l.at = at(l.at);
                l.size *= scale;
                page.items.push_back(std::move(l));
            }
        }
    }

    const ReportDocument& d_;
    TextWidth measure_;
    double headerHeight_ = 0;
    std::vector<Block> blocks_;
    std::vector<std::unique_ptr<Block>> headers_;
};

} // namespace

std::vector<std::string> wrapText(std::string_view text, Face face, double size, double width,
                                  const TextWidth& measure) {
    std::vector<std::string> lines;
    std::string current;
    auto fits = [&](const std::string& s) { return measure(face, size, s) <= width; };
    // A word too wide for a line of its own is broken after a '/' where it can be, else
    // between characters (never inside one).
    auto breakWord = [&](std::string word) {
        while (!fits(word)) {
            std::size_t cut = 0;
            for (std::size_t i = 1; i < word.size(); ++i) {
                if ((static_cast<unsigned char>(word[i]) & 0xC0) == 0x80)
                    continue;
                if (!fits(word.substr(0, i)))
                    break;
                cut = i;
            }
            std::size_t slash = word.rfind('/', cut == 0 ? 0 : cut - 1);
            if (slash != std::string::npos && slash > 0 && slash + 1 <= cut && slash + 1 > cut / 2)
                cut = slash + 1;
            if (cut == 0) { // not even one character fits: it has a line of its own
                cut = 1;
                while (cut < word.size() && (static_cast<unsigned char>(word[cut]) & 0xC0) == 0x80)
                    ++cut;
            }
            lines.push_back(word.substr(0, cut));
            word.erase(0, cut);
        }
        return word;
    };
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string word(text.substr(at, end - at));
        const std::string joined = current.empty() ? word : current + " " + word;
        if (fits(joined)) {
            current = joined;
        } else {
            if (!current.empty())
                lines.push_back(current);
            current = breakWord(word);
        }
        at = end + 1;
    }
    lines.push_back(current);
    return lines;
}

std::vector<Drawing> layOutReport(const ReportDocument& document, const ReportFonts& fonts) {
    return Layout(document, fonts).pages();
}

Expected<std::string> reportPdf(const ReportDocument& document) {
    // The faces are the machine's, wherever the document's files are.
    static const Expected<std::shared_ptr<const ReportFonts>> fonts =
        ReportFonts::load(realFileSystem());
    if (!fonts)
        return fonts.failure();
    return writePdf(layOutReport(document, **fonts), **fonts,
                    {document.title, document.program, document.date});
}

std::optional<Failure> writeReportPdf(const ReportDocument& document, FileSystem& fs,
                                      const std::string& path) {
    Expected<std::string> bytes = reportPdf(document);
    if (!bytes)
        return Failure{path + ": the report cannot be written (" + bytes.failure().message + ")"};
    WholeFile file(fs, path);
    if (const int error = file.commit(*bytes))
        return Failure{path + ": the report cannot be written (" + errorText(error) + ")"};
    return std::nullopt;
}

} // namespace zmbr
