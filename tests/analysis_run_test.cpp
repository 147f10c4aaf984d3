#include "solver/analysis_run.h"

#include "input/execute_command.h"
#include "results/result_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>

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

struct Counting : RunObserver {
    int started = 0, steps = 0, plotted = 0, yields = 0, ended = 0;
    int cancelAfterStep = 0; // sets the flag at the first yield point of this step
    CancelFlag* flag = nullptr;
    int step = 0;
    void runStarted(const RunState&) override { ++started; }
    void stepStarted(int s, double) override {
        ++steps;
        step = s;
    }
    void stepPlotted(int, const GraphState&) override { ++plotted; }
    void yieldNow() override {
        ++yields;
        if (flag && step == cancelAfterStep)
            flag->store(true);
    }
    void runEnded(const RunOutcome&) override { ++ended; }
};

struct PanelRun {
    test::MemoryFileSystem fs;
    FixedClock clock{test::kGoldenMoment};
    Counting observer;
    CancelFlag cancel{false};
    RunOutcome outcome;
    PanelInput in;

    explicit PanelRun(PanelInput panel, int maxSteps = 10000) : in(std::move(panel)) {
        in.outputFileName = "run.mbr";
        observer.flag = &cancel;
        outcome = runAnalysis(in, {&fs, &clock, &observer, &cancel, maxSteps});
    }
    std::vector<std::string> lines() const { return test::crlfLines(fs.files.at("run.TGC")); }
};

// The whole-run results are checked by the golden runs; here, what the observer is told.
TEST(AnalysisRun, ObserverHearsEveryStep) {
    PanelRun run(preparedDefault());
    const RunOutcome& o = run.outcome;
    EXPECT_EQ(o.end, RunEnd::Failure);
    EXPECT_TRUE(o.concreteNG);
    EXPECT_TRUE(o.buttonShowsOk);
    EXPECT_EQ(run.in.outputFileName, "run.TGC");
    EXPECT_EQ(run.observer.started, 1);
    EXPECT_EQ(run.observer.ended, 1);
    EXPECT_EQ(run.observer.steps, o.steps);
    EXPECT_EQ(run.observer.plotted, o.steps);
    EXPECT_GT(run.observer.yields, o.steps);
    EXPECT_EQ(run.fs.openFiles, 0);
}

// Each way a run ends other than by failure: how it ends, what it says, what the file holds.
TEST(AnalysisRun, EarlyEnds) {
    struct Case {
        const char* name;
        void (*change)(PanelInput&);
        int maxSteps;
        RunEnd end;
        const char* message; // the whole message, or its start for the angle cases
        int stepLines;       // -1: the run stops before the result file is opened
        bool okButton;
    };
    auto none = [](PanelInput&) {};
    const Case cases[] = {
        {"step limit", none, 3, RunEnd::StepLimit,
         "Please make contact to zmbr-support@example.org. (0)", 3, false},
        {"angle at 0", [](PanelInput& in) { in.initialTheta = 0; }, 10000, RunEnd::Stopped,
         "The analysis stopped at step 1: the crack angle θ left the range", 0, true},
        {"angle at 90", [](PanelInput& in) { in.initialTheta = 90; }, 10000, RunEnd::Stopped,
         "The analysis stopped at step 1: the crack angle θ left the range", 0, true},
        {"bar area overflows the ratio",
         [](PanelInput& in) {
             in.row(1).Ar = 3e38f;
             in.t = 1e-6f;
         },
         10000, RunEnd::Stopped,
         "The analysis stopped before the first step: for row 1, the reinforcement ratio ρ is "
         "not a finite number.",
         -1, true},
        // Each divisor at the step where it is first 0 (or infinite).
        {"fc 0", [](PanelInput& in) { in.fc = 0; }, 10000, RunEnd::Stopped,
         "The analysis stopped before the first step: the concrete strength fc is 0, and the "
         "analysis divides by it.",
         -1, true},
        {"fc positive", [](PanelInput& in) { in.fc = 5; }, 10000, RunEnd::Stopped,
         "The analysis stopped before the first step: the cracking stress ft is not a finite "
         "number.",
         -1, true},
        {"εc 0", [](PanelInput& in) { in.epsC = 0; }, 10000, RunEnd::Stopped,
         "The analysis stopped at step 1: the strain εc is 0, and the analysis divides by it.", 0,
         true},
        {"t 0", [](PanelInput& in) { in.t = 0; }, 10000, RunEnd::Stopped,
         "The analysis stopped before the first step: for row 1, t·s is 0, and the analysis "
         "divides by it.",
         -1, true},
        {"t·s overflows",
         [](PanelInput& in) {
             in.t = 1e30f;
             in.row(2).s = 1e30f;
         },
         10000, RunEnd::Stopped,
         "The analysis stopped before the first step: for row 2, t·s is not a finite number.", -1,
         true},
        {"Er / Ec overflows", [](PanelInput& in) { in.row(3).modularRatio = INFINITY; }, 10000,
         RunEnd::Stopped,
         "The analysis stopped before the first step: for row 3, the modular ratio Er / Ec is not "
         "a finite number.",
         -1, true},
        {"sm 0", [](PanelInput& in) { in.sm = 0; }, 10000, RunEnd::Stopped,
         "The analysis stopped at step 7: in the bond analysis of row 1, k·tanh(k·lb/2) is 0, "
         "and the analysis divides by it.",
         6, true},
        {"τby 0", [](PanelInput& in) { in.tauBy = 0; }, 10000, RunEnd::Stopped,
         "The analysis stopped at step 7: in the bond analysis of row 1, k·tanh(k·lb/2) is 0, "
         "and the analysis divides by it.",
         6, true},
        {"sby 0", [](PanelInput& in) { in.sBy = 0; }, 10000, RunEnd::Stopped,
         "The analysis stopped at step 7: in the bond analysis of row 1, Er·Ar·sby is 0, and the "
         "analysis divides by it.",
         6, true},
        {"Ar 0", [](PanelInput& in) { in.row(1).Ar = 0; }, 10000, RunEnd::Stopped,
         "The analysis stopped at step 7: in the bond analysis of row 1, Er·Ar·sby is 0, and the "
         "analysis divides by it.",
         6, true},
        {"Er 0", [](PanelInput& in) { in.row(1).Er = 0; }, 10000, RunEnd::Stopped,
         "The analysis stopped at step 1: in the bond analysis of row 1, Er·Ar·sby is 0, and the "
         "analysis divides by it.",
         0, true},
        {"bar so stiff that tanh(k·lb/2) is 0", [](PanelInput& in) { in.row(1).Er = 3e38f; }, 10000,
         RunEnd::Stopped,
         "The analysis stopped at step 1: in the bond analysis of row 1, k·tanh(k·lb/2) is 0, "
         "and the analysis divides by it.",
         0, true},
        {"Er·Ar overflows",
         [](PanelInput& in) {
             in.row(1).Er = 3e38f;
             in.row(1).Ar = 100;
         },
         10000, RunEnd::Stopped,
         "The analysis stopped at step 1: in the bond analysis of row 1, Er·Ar·sby is not a "
         "finite number.",
         0, true},
        {"layer 0", [](PanelInput& in) { in.layer = 0; }, 10000, RunEnd::Stopped,
         "The analysis stopped at step 67: in the bond analysis of row 1, nρ is 0, and the "
         "analysis divides by it.",
         66, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PanelInput in = preparedDefault();
        c.change(in);
        PanelRun run(in, c.maxSteps);
        EXPECT_EQ(run.outcome.end, c.end);
        EXPECT_EQ(run.outcome.message.rfind(c.message, 0), 0u) << run.outcome.message;
        EXPECT_EQ(run.outcome.buttonShowsOk, c.okButton);
        EXPECT_EQ(run.fs.openFiles, 0);
        if (c.stepLines < 0) {
            EXPECT_EQ(run.fs.files.count("run.TGC"), 0u);
            EXPECT_EQ(run.outcome.steps, 0);
            continue;
        }
        const auto lines = run.lines();
        EXPECT_EQ(lines.size(), 4u + c.stepLines);
        EXPECT_EQ(static_cast<int>(lines.size()) - 4, run.outcome.steps);
        for (std::size_t i = 4; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].find("nan"), std::string::npos);
            EXPECT_EQ(lines[i].find("inf"), std::string::npos);
            EXPECT_EQ(lines[i].size(), lines[3].size());
        }
    }
}

TEST(AnalysisRun, CancelEndsQuietlyAfterACompleteLine) {
    PanelInput in = preparedDefault();
    test::MemoryFileSystem fs;
    Counting observer;
    CancelFlag cancel{false};
    observer.flag = &cancel;
    observer.cancelAfterStep = 5;
    in.outputFileName = "c.mbr";
    RunOutcome o = runAnalysis(in, {&fs, nullptr, &observer, &cancel, 10000});
    EXPECT_EQ(o.end, RunEnd::Cancelled);
    EXPECT_TRUE(o.message.empty());
    EXPECT_EQ(fs.openFiles, 0);
    const auto lines = test::crlfLines(fs.files.at("c.TGC"));
    // The flag is seen at step 5's first yield point, before its line is written.
    EXPECT_EQ(lines.size(), 4u + 4u);
    EXPECT_EQ(fs.files.at("c.TGC").substr(fs.files.at("c.TGC").size() - 2), "\r\n");
}

} // namespace
} // namespace zmbr
