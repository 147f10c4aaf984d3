#pragma once
// Where the loop hands each finished step: the result file, and for a watcher the graphs'
// history. A sink that cannot take a step ends the run.

#include "run/graph_scale.h"
#include "run/result_file.h"
#include "run/run_observer.h"

#include <chrono>

namespace zmbr {

// The result file of a run: a step line per step, the closing lines at the failure step.
class ResultFileSink {
  public:
    // A watched run hands its lines to the file now and then, so that the file grows as the
    // run goes; an unwatched run writes them as its buffer fills.
    explicit ResultFileSink(bool watched) : watched_(watched) {}

    // Creates the file and writes its header; 0 or the errno.
    int open(FileSystem& fs, const std::string& path, const PanelInput& in, int rows,
             const LocalDateTime& when) {
        return file_.open(fs, path, in, rows, when);
    }
    // The step's line, or the closing lines once the run has ended; 0 or the errno.
    int stepDone(const RunState& rs);
    // Hands over what is left and closes; 0 or the errno.
    int close() { return file_.close(); }
    // The run ends early: the file keeps its complete lines.
    void abandon() { file_.close(); }

  private:
    ResultFile file_;
    bool watched_;
    std::chrono::steady_clock::time_point lastDrain_ = std::chrono::steady_clock::now();
};

// Told of every finished step once the result file has its line (or, at a failure, its closing
// lines): for a front-end that keeps the step values itself.
class StepListener {
  public:
    virtual ~StepListener() = default;
    virtual void stepDone(const RunState& rs) = 0;
};

// The history the graph windows are drawn from, kept only when someone watches the run.
class GraphSink {
  public:
    GraphSink(RunObserver* observer, int maxSteps);
    // The step's point goes into the history and onto the graphs.
    void plot(int step, const StepPoint& p);
    // The limits grow where the point lies beyond them; each growth redraws the graphs.
    void rescale(int step, const StepPoint& p);

  private:
    RunObserver* observer_;
    GraphState graphs_;
};

} // namespace zmbr
