#include "run/analysis_run.h"

#include "run/calculation_fields.h"
#include "run/execute_command.h"
#include "run/graph_scale.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <set>

namespace zmbr {
namespace {

// The default panel as Execute prepares it: every row a rupture row.
PanelInput preparedDefault() {
    PanelInput in = PanelInput::defaults();
    std::array<std::string, kMaxRows> texts;
    texts.fill("rupture");
    deriveRowValues(in, texts);
    return in;
}

// What a watcher is told, with the checks that need every report. It keeps what the windows
// show, the graphs' traces among it.
struct Counting : CalculationFields {
    int steps = 0, yields = 0, rescales = 0;
    int cancelAfterStep = 0; // sets the flag at the first yield point of this step
    CancelFlag* flag = nullptr;
    int step = 0;
    std::set<int> rowsAtYields; // the row whose stress is being worked out
    long iteratesBefore = 0;    // θ iterates before this step
    int searchesEndedElsewhere = 0;
    int rescalesWithoutGrowth = 0;
    std::vector<int> tracesWrongAt; // steps after which a graph did not hold what it drew

    std::array<double, 4> limitsBefore{};
    static std::array<double, 4> limits(const GraphState& g) {
        return {g.eps1Lim, g.eps2Lim, g.gammaLim, g.tauLim};
    }

    void stepStarted(int s, double eps1) override {
        CalculationFields::stepStarted(s, eps1);
        ++steps;
        step = s;
        iteratesBefore = thetaIterates();
    }
    // The angle search goes down first, turns up below the best angle θb (its second reversal),
    // turns down above it (the third) and ends one iterate later, on θb: the θ column ends
    // θb - 0.01°, θb, θb + 0.01°, θb.
    void tauMaxShown(double tauMax) override {
        CalculationFields::tauMaxShown(tauMax);
        const auto n = thetaIterates() - iteratesBefore;
        auto back = [&](int k) {
            return std::stod(text(CalcField::Theta, static_cast<int>((n - k) % 8)));
        };
        searchesEndedElsewhere += !(back(4) < back(1) && back(1) < back(2));
    }
    // A graph draws each step's point as it comes; a redraw draws the origin and the history
    // up to the step before, and the rescaled step's point only at a later redraw.
    int redrawnAt = 0;
    void checkTraces(int at, const GraphState& g, int last) {
        for (const GraphTrace* t : {&strains, &shearCurve}) {
            std::vector<std::pair<double, double>> drawn;
            if (redrawnAt > 0)
                drawn.emplace_back(0.0, 0.0);
            for (std::size_t k = 1; k <= static_cast<std::size_t>(last); ++k)
                if (k != static_cast<std::size_t>(redrawnAt))
                    drawn.push_back(t->kind == GraphKind::Strains
                                        ? std::pair{g.eps1[k], g.eps2[k]}
                                        : std::pair{g.gammaXY[k], g.tauXY[k]});
            if (t->points != drawn && (tracesWrongAt.empty() || tracesWrongAt.back() != at))
                tracesWrongAt.push_back(at);
        }
    }
    void stepPlotted(int s, const GraphState& g) override {
        CalculationFields::stepPlotted(s, g);
        limitsBefore = limits(g);
        checkTraces(s, g, s);
    }
    void graphsRescaled(int s, const GraphState& g) override {
        CalculationFields::graphsRescaled(s, g);
        ++rescales;
        rescalesWithoutGrowth += limits(g) == limitsBefore;
        redrawnAt = s;
        checkTraces(s, g, s - 1);
    }
    void yieldNow() override {
        ++yields;
        rowsAtYields.insert(row());
        if (flag && step == cancelAfterStep)
            flag->store(true);
    }
};

struct PanelRun {
    test::MemoryFileSystem fs;
    FixedClock clock{test::kGoldenMoment};
    Counting observer;
    CancelFlag cancel{false};
    RunOutcome outcome;
    PanelInput in;

    explicit PanelRun(PanelInput panel, int maxSteps = 10000, int cancelAfterStep = 0)
        : in(std::move(panel)) {
        in.outputFileName = "run.mbr";
        observer.flag = &cancel;
        observer.cancelAfterStep = cancelAfterStep;
        outcome = runAnalysis(in, {&fs, &clock, &observer, &cancel, maxSteps});
    }
};

// The whole-run results are checked by the golden runs; here, what the observer is told.
TEST(AnalysisRun, ObserverHearsEveryStep) {
    PanelRun run(preparedDefault());
    const RunOutcome& o = run.outcome;
    const Counting& seen = run.observer;
    EXPECT_EQ(o.end, RunEnd::Failure);
    EXPECT_TRUE(o.concreteNG);
    EXPECT_EQ(seen.buttonCaption(), "OK");
    // The windows show the run's start, every step, and its end.
    EXPECT_EQ(seen.text(CalcField::CrackingStrain), "0.000060");
    EXPECT_EQ(seen.steps, o.steps);
    EXPECT_EQ(seen.text(CalcField::Step), "95");
    EXPECT_FALSE(seen.running());
    EXPECT_EQ(seen.buttonCaption(), "OK");
    EXPECT_GT(seen.yields, o.steps);
    EXPECT_EQ(run.fs.openFiles, 0);
    // Rows 1 to 10 in turn; 0 before the first.
    EXPECT_EQ(seen.rowsAtYields, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(seen.searchesEndedElsewhere, 0);
    EXPECT_GE(seen.rescales, 3);
    EXPECT_EQ(seen.rescalesWithoutGrowth, 0) << "a redraw is asked for only when a limit grew";
    EXPECT_EQ(seen.tracesWrongAt, std::vector<int>{});
}

// Each way a run ends other than by failure: how it ends, what it says, what the file holds.
TEST(AnalysisRun, EarlyEnds) {
    struct Case {
        const char* name;
        void (*change)(PanelInput&);
        int step; // where the run stops: 0 before the first step, without a result file
        const char* reason;
        RunEnd end = RunEnd::Stopped;
    };
    auto none = [](PanelInput&) {};
    const Case cases[] = {
        {"step limit", none, 3, "Please make contact to zmbr-support@example.org. (0)",
         RunEnd::StepLimit},
        // The flag is seen at step 5's first yield point, before its line is written.
        {"cancel", none, 5, "", RunEnd::Cancelled},
        {"angle at 0", [](PanelInput& in) { in.initialTheta = 0; }, 1,
         "the crack angle θ left the range between 0° and 90°."},
        {"angle at 90", [](PanelInput& in) { in.initialTheta = 90; }, 1,
         "the crack angle θ left the range between 0° and 90°."},
        {"bar area overflows the ratio",
         [](PanelInput& in) {
             in.row(1).Ar = 3e38f;
             in.t = 1e-6f;
         },
         0, "for row 1, the reinforcement ratio ρ is not a finite number."},
        // Each divisor at the step where it is first 0 (or infinite).
        {"fc 0", [](PanelInput& in) { in.fc = 0; }, 0,
         "the concrete strength fc is 0, and the analysis divides by it."},
        {"fc positive", [](PanelInput& in) { in.fc = 5; }, 0,
         "the cracking stress ft is not a finite number."},
        {"εc 0", [](PanelInput& in) { in.epsC = 0; }, 1,
         "the strain εc is 0, and the analysis divides by it."},
        {"t 0", [](PanelInput& in) { in.t = 0; }, 0,
         "for row 1, t·s is 0, and the analysis divides by it."},
        {"t·s overflows",
         [](PanelInput& in) {
             in.t = 1e30f;
             in.row(2).s = 1e30f;
         },
         0, "for row 2, t·s is not a finite number."},
        {"Er / Ec overflows", [](PanelInput& in) { in.row(3).modularRatio = INFINITY; }, 0,
         "for row 3, the modular ratio Er / Ec is not a finite number."},
        {"sm 0", [](PanelInput& in) { in.sm = 0; }, 7,
         "in the bond analysis of row 1, k·tanh(k·lb/2) is 0, and the analysis divides by it."},
        {"τby 0", [](PanelInput& in) { in.tauBy = 0; }, 7,
         "in the bond analysis of row 1, k·tanh(k·lb/2) is 0, and the analysis divides by it."},
        {"sby 0", [](PanelInput& in) { in.sBy = 0; }, 7,
         "in the bond analysis of row 1, Er·Ar·sby is 0, and the analysis divides by it."},
        {"Ar 0", [](PanelInput& in) { in.row(1).Ar = 0; }, 7,
         "in the bond analysis of row 1, Er·Ar·sby is 0, and the analysis divides by it."},
        {"Er 0", [](PanelInput& in) { in.row(1).Er = 0; }, 1,
         "in the bond analysis of row 1, Er·Ar·sby is 0, and the analysis divides by it."},
        {"bar so stiff that tanh(k·lb/2) is 0", [](PanelInput& in) { in.row(1).Er = 3e38f; }, 1,
         "in the bond analysis of row 1, k·tanh(k·lb/2) is 0, and the analysis divides by it."},
        {"Er·Ar overflows",
         [](PanelInput& in) {
             in.row(1).Er = 3e38f;
             in.row(1).Ar = 100;
         },
         1, "in the bond analysis of row 1, Er·Ar·sby is not a finite number."},
        {"layer 0", [](PanelInput& in) { in.layer = 0; }, 67,
         "in the bond analysis of row 1, nρ is 0, and the analysis divides by it."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PanelInput in = preparedDefault();
        c.change(in);
        const bool stopped = c.end == RunEnd::Stopped, limit = c.end == RunEnd::StepLimit;
        PanelRun run(in, limit ? c.step : 10000, c.end == RunEnd::Cancelled ? c.step : 0);
        const std::string where =
            c.step == 0 ? "before the first step" : "at step " + std::to_string(c.step);
        EXPECT_EQ(run.outcome.end, c.end);
        EXPECT_EQ(run.outcome.message,
                  stopped ? "The analysis stopped " + where + ": " + c.reason : c.reason);
        EXPECT_EQ(run.outcome.cause, stopped ? c.reason : "");
        // A guard's stop is an end of the run; a step limit or a cancel is not.
        EXPECT_EQ(run.observer.buttonCaption(), stopped ? "OK" : "Cancel");
        EXPECT_EQ(run.fs.openFiles, 0);
        const int completed = limit ? c.step : std::max(c.step - 1, 0);
        EXPECT_EQ(run.outcome.steps, completed);
        if (c.step == 0) {
            EXPECT_EQ(run.fs.files.count("run.TGC"), 0u);
            continue;
        }
        const std::string& bytes = run.fs.files.at("run.TGC");
        EXPECT_TRUE(bytes.ends_with("\r\n"));
        const auto lines = test::crlfLines(bytes);
        EXPECT_EQ(lines.size(), 4u + completed);
        for (std::size_t i = 4; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].find("nan"), std::string::npos);
            EXPECT_EQ(lines[i].find("inf"), std::string::npos);
            EXPECT_EQ(lines[i].size(), lines[3].size());
        }
    }
}

// The run computes with double copies of the float fields: 2·fc of the largest float is
// finite in double (in float it would overflow and stop the run before its first step).
TEST(AnalysisRun, FloatFieldsAreComputedWithInDouble) {
    PanelInput in = preparedDefault();
    in.fc = -FLT_MAX;
    PanelRun run(in, 3, 0);
    EXPECT_EQ(run.outcome.end, RunEnd::StepLimit);
    EXPECT_EQ(run.outcome.steps, 3);
    const auto lines = test::crlfLines(run.fs.files.at("run.TGC"));
    ASSERT_EQ(lines.size(), 7u);
    for (std::size_t i = 4; i < lines.size(); ++i) // the step lines: numbers only
        EXPECT_EQ(lines[i].find_first_not_of(" -.0123456789"), std::string::npos) << lines[i];
}

// Each limit grows to 1.5 times a point beyond it, whenever one of the two graphs' checks finds
// its point beyond its limits: in turn ε2 beyond (all four grow), ε1 beyond (τ grows with it),
// γ beyond (τ stays), nothing beyond.
TEST(GraphScale, LimitsGrowToOneAndAHalfTimesAPointBeyondThem) {
    struct Step {
        StepPoint p;
        int redraws;
        double eps1Lim, eps2Lim, gammaLim, tauLim;
    };
    const Step steps[] = {
        {{1e-3, -2e-3, 3e-3, 2}, 1, 1.5e-3, -3e-3, 4.5e-3, 3},
        {{2e-3, -1.9e-3, 1e-3, 2.1}, 1, 3e-3, -3e-3, 4.5e-3, 3.15},
        {{1e-3, -1e-3, 5e-3, 2}, 1, 3e-3, -3e-3, 7.5e-3, 3.15},
        {{1e-3, -1e-3, 1e-3, 1}, 0, 3e-3, -3e-3, 7.5e-3, 3.15},
    };
    GraphState g;
    resetGraphs(g, 10);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.p.tauXY);
        EXPECT_EQ(rescaleAfterStep(g, s.p), s.redraws);
        EXPECT_DOUBLE_EQ(g.eps1Lim, s.eps1Lim);
        EXPECT_DOUBLE_EQ(g.eps2Lim, s.eps2Lim);
        EXPECT_DOUBLE_EQ(g.gammaLim, s.gammaLim);
        EXPECT_DOUBLE_EQ(g.tauLim, s.tauLim);
    }
}

} // namespace
} // namespace zmbr
