// The figures as the core lays them out, measured with a face of fixed widths: where texts
// land, that no text covers another, how curves are told apart, and the room above a peak.

#include "study/figure.h"
#include "study/row_directions.h"
#include "study/study_chart.h"
#include "study/study_map.h"
#include "study/study_picture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zmbr {
namespace {

// Half the size for every character (UTF-8 continuation bytes do not count), a little more
// in bold.
double fakeWidth(Face face, double size, std::string_view text) {
    const auto chars = std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    return static_cast<double>(chars) * size * (face == Face::SansBold ? 0.55 : 0.5);
}
const TextWidth kWidth = fakeWidth;

std::vector<Label> labelsOf(const Drawing& d) {
    std::vector<Label> out;
    for (const DrawingItem& item : d.items)
        if (const Label* l = std::get_if<Label>(&item))
            out.push_back(*l);
    return out;
}

const Label& labelNamed(const std::vector<Label>& labels, const std::string& text) {
    auto at = std::find_if(labels.begin(), labels.end(), [&](auto& l) { return l.text == text; });
    EXPECT_NE(at, labels.end()) << "no label " << text;
    return *at;
}

void expectNoTextCoversAnother(const Drawing& d) {
    const std::vector<Label> labels = labelsOf(d);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const Box a = labelBox(labels[i], kWidth);
        EXPECT_TRUE(inside(a, {0, 0, d.width, d.height}))
            << labels[i].text << " leaves the picture";
        for (std::size_t j = i + 1; j < labels.size(); ++j)
            EXPECT_FALSE(overlaps(a, labelBox(labels[j], kWidth)))
                << '"' << labels[i].text << "\" covers \"" << labels[j].text << '"';
    }
}

FigureCurve curve(std::string label, std::vector<std::pair<double, double>> points) {
    return {std::move(label), std::move(points), {}, {}};
}

TEST(FigureDrawing, CurvesDifferInDashesAndMarkersAsWellAsColourAndTheLegendFollowsThem) {
    Figure f;
    for (int i = 0; i < 5; ++i)
        f.curves.push_back(curve("curve " + std::to_string(i), {{0, 0}, {1, i + 1.0}, {2, i}}));
    f.curves[4].marks = {EndMark::None, EndMark::None, EndMark::Stopped};
    const Drawing d = drawFigure(f, kWidth);

    std::vector<const Shape*> lines;
    for (const DrawingItem& item : d.items)
        if (const Shape* s = std::get_if<Shape>(&item); s && s->points.size() == 3 && !s->closed)
            lines.push_back(s);
    ASSERT_EQ(lines.size(), 5u);
    const Box plot = layOutFigure(f, kWidth).frame.area;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i]->stroke->dashes, curveStyle(i).dashes);
        ASSERT_TRUE(lines[i]->clip) << "curve " << i << " may run over the axes";
        EXPECT_TRUE(inside(plot, *lines[i]->clip));
    }
    for (std::size_t i = 0; i < 20; ++i)
        for (std::size_t j = i + 1; j < 20; ++j)
            EXPECT_FALSE(curveStyle(i).dashes == curveStyle(j).dashes &&
                         curveStyle(i).marker == curveStyle(j).marker)
                << "curves " << i << " and " << j << " differ by colour only";

    const std::vector<Label> labels = labelsOf(d);
    for (int i = 0; i + 1 < 5; ++i)
        EXPECT_LT(labelNamed(labels, "curve " + std::to_string(i)).at.y,
                  labelNamed(labels, "curve " + std::to_string(i + 1)).at.y);
    EXPECT_GT(labelNamed(labels, "stopped").at.y, labelNamed(labels, "curve 4").at.y);
    expectNoTextCoversAnother(d);
}

// The legend takes the width its longest name needs, up to the figure's right margin; the
// plot gives way to it.
TEST(FigureDrawing, TheLegendIsAsWideAsItsLongestNameMeasured) {
    Figure f;
    f.curves = {curve("a.TGC", {{0, 0}, {1, 1}}),
                curve("a_much_longer_name.TGC", {{0, 0}, {1, 2}})};
    const Label name = labelNamed(labelsOf(drawFigure(f, kWidth)), "a_much_longer_name.TGC");
    const Box box = labelBox(name, kWidth);
    EXPECT_DOUBLE_EQ(box.left + box.width, kFigureWidth - 10);
    const double plotRight = [&] {
        const Box p = layOutFigure(f, kWidth).frame.area;
        return p.left + p.width;
    }();
    f.curves[1].label += "_and_more";
    const Box p = layOutFigure(f, kWidth).frame.area;
    EXPECT_DOUBLE_EQ(p.left + p.width,
                     plotRight - fakeWidth(Face::Sans, kFigureTextSize, "_and_more"));
}

// The highest point stands clear of the frame's top line, wherever it falls on the ticks.
TEST(FigureDrawing, APeakStandsBelowTheFramesTop) {
    struct Case {
        double peak;
        bool negativeUp;
    };
    for (const Case c :
         {Case{2.0, false}, Case{2.9, false}, Case{3.0, false}, Case{0.916, false},
          Case{4.9999, false}, Case{2.45, false}, Case{1e-5, false}, Case{-0.00178, true}}) {
        SCOPED_TRACE(c.peak);
        Figure f;
        f.y.negativeUp = c.negativeUp;
        f.curves = {curve("run", {{0, 0}, {0.001, c.peak}, {0.03, c.peak / 2}})};
        const FigureLayout l = layOutFigure(f, kWidth);
        const double y = l.frame.map(0.001, c.peak).y;
        EXPECT_GT(y - l.frame.area.top, 0.03 * l.frame.area.height);
    }
}

// Notes go inside the plot, off the axes and each other, wherever their points lie: at the
// frame's corners, or all three at one point.
TEST(FigureDrawing, NotesStayInsideThePlotAndClearOfOtherTexts) {
    using Points = std::vector<std::pair<double, double>>;
    struct Case {
        const char* what;
        Points points;
        std::vector<FigureNote> notes;
    };
    const Case cases[] = {
        {"a brittle panel",
         {{0, 0}, {0.0001, 2.0}, {0.02, 0.9}, {0.035, 0.916}},
         {{0.0001, 2.0, "cracking"}, {0.0001, 2.0, "peak"}, {0.035, 0.916, "end"}}},
        {"a ductile panel",
         {{0, 0}, {0.0002, 1.6}, {0.004, 2.9}, {0.015, 2.64}},
         {{0.0002, 1.6, "cracking"}, {0.004, 2.9, "peak"}, {0.015, 2.64, "end"}}},
        {"one point",
         {{0, 0}, {0.01, 1.0}},
         {{0.01, 1.0, "cracking"}, {0.01, 1.0, "peak"}, {0.01, 1.0, "end"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Figure f;
        f.title = "τ-γ";
        f.curves = {curve("run.TGC", c.points)};
        f.curves[0].notes = c.notes;
        const Drawing d = drawFigure(f, kWidth);
        const Box plot = layOutFigure(f, kWidth).frame.area;
        for (const FigureNote& n : c.notes)
            EXPECT_TRUE(inside(labelBox(labelNamed(labelsOf(d), n.text), kWidth), plot)) << n.text;
        expectNoTextCoversAnother(d);
    }
}

// The legend lists a study's curves as they stack at their right ends, highest first,
// whatever order the values ran in.
TEST(StudyChartDrawing, TheCurveThatEndsHighestComesFirst) {
    StudyResults r;
    r.file = "panel.mbr";
    r.names = {VariedName{"Ar"}, VariedName{"fc"}};
    for (const char* fc : {"-24.00", "-30.00", "-36.00"})
        for (const char* ar : {"100.000", "200.000"})
            r.points.push_back(
                {{ar, fc}, -std::stod(fc) / (ar[0] == '1' ? 20 : 10), "concrete_ng"});
    const Figure f = studyChart(r);
    ASSERT_EQ(f.curves.size(), 3u);
    EXPECT_EQ(f.curves[0].label, "-36.00");
    EXPECT_EQ(f.curves[2].label, "-24.00");
}

StudyResults mapStudy(double low, double high) {
    StudyResults r;
    r.file = "panel.mbr";
    r.names = {VariedName{"Ar"}, VariedName{"fc"}};
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 9; ++b) {
            const double t = low + (high - low) * (a * 9 + b) / 26.0;
            r.points.push_back({{std::to_string(100 + 100 * a), std::to_string(-20 - 2 * b)},
                                b == 4 ? std::nullopt : std::optional<double>(t),
                                b == 4   ? "stopped"
                                : a == 2 ? "rupture"
                                         : "concrete_ng"});
        }
    return r;
}

// The colour bar's title clears the label at the top of the bar, whatever the values: 1.0 to
// 1.952381 puts a tick (2.0) at the bar's very top.
TEST(StudyMapDrawing, NoTextCoversAnotherOnTheMap) {
    for (auto [low, high] : {std::pair{2.2, 5.7}, {1.0, 1.952381}, {0.5, 1.0}, {1.0, 100.0}}) {
        SCOPED_TRACE(high);
        const StudyMap m = studyMap(mapStudy(low, high));
        expectNoTextCoversAnother(drawStudyMap(m, kWidth));
    }
}

TEST(RowDirectionsDrawing, SaysWhatIsNotToScaleAndKeepsTheBarsInThePanel) {
    const Drawing d =
        drawRowDirections({{0, "row 1:  θr = 0.0°"}, {90, "row 2:  θr = 90.0°"}}, 670, 178, kWidth);
    const std::vector<Label> labels = labelsOf(d);
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](auto& l) {
        return l.text.find("not to scale") != std::string::npos;
    }));
    int bars = 0;
    for (const DrawingItem& item : d.items)
        if (const Shape* s = std::get_if<Shape>(&item); s && s->clip)
            ++bars;
    EXPECT_EQ(bars, 10); // five to each of the two directions
    expectNoTextCoversAnother(d);
}

// A pointer finds each variant where it is drawn: on the chart, a point for each variant with
// a step, higher for a larger τxy max and further right for a larger first value; on the map,
// a cell for each pair of values, none covering another, a cell without a step included.
TEST(StudyPicture, EachVariantIsFoundWhereItIsDrawn) {
    StudyResults chart;
    chart.file = "panel.mbr";
    chart.names = {VariedName{"Ar"}, VariedName{"fc"}};
    for (const char* fc : {"-24.00", "-30.00"})
        for (const char* ar : {"100.000", "200.000", "300.000"})
            chart.points.push_back({{ar, fc},
                                    ar[0] == '3' && fc[1] == '3'
                                        ? std::nullopt
                                        : std::optional(std::stod(ar) / -std::stod(fc)),
                                    "concrete_ng"});
    const StudyPicture c = studyPicture(chart, kWidth);
    ASSERT_EQ(c.spots.size(), 5u);
    auto centre = [](const StudySpot& s) {
        return Point{s.box.left + s.box.width / 2, s.box.top + s.box.height / 2};
    };
    for (std::size_t i = 0; i + 1 < c.spots.size(); ++i) {
        const auto& [k, box] = c.spots[i];
        const auto& next = c.spots[i + 1];
        EXPECT_TRUE(inside(box, {0, 0, c.drawing.width, c.drawing.height}));
        const double tau = *chart.points[k].tauMax, nextTau = *chart.points[next.variant].tauMax;
        EXPECT_EQ(centre(c.spots[i]).y > centre(next).y, tau < nextTau) << k;
        if (chart.points[k].stored[1] == chart.points[next.variant].stored[1])
            EXPECT_LT(centre(c.spots[i]).x, centre(next).x) << k;
    }
    EXPECT_EQ(c.title, "τxy max of the variants of panel.mbr");

    const StudyResults map = mapStudy(1.0, 2.0);
    const StudyPicture m = studyPicture(map, kWidth);
    ASSERT_EQ(m.spots.size(), map.points.size());
    for (std::size_t i = 0; i < m.spots.size(); ++i)
        for (std::size_t j = i + 1; j < m.spots.size(); ++j)
            EXPECT_FALSE(overlaps(grown(m.spots[i].box, -0.5), grown(m.spots[j].box, -0.5)));
    EXPECT_NE(std::find_if(m.spots.begin(), m.spots.end(),
                           [&](const StudySpot& s) { return !map.points[s.variant].tauMax; }),
              m.spots.end());
}

} // namespace
} // namespace zmbr
