// A run of a random panel, as a user would type it or edit its file, with the generator's
// choices taken from the bytes; read, executed and run in memory. A yield-point budget
// cancels runs that would go on too long for a fuzzer.

#include "fuzz_check.h"
#include "input/parameter_sheet.h"
#include "memory_file_system.h"
#include "paramfile/parameter_file.h"
#include "platform/clock.h"
#include "platform/text_encoding.h"
#include "random_panel.h"
#include "run/analysis_run.h"
#include "run/execute_command.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using namespace zmbr;

namespace {

// Cancels the run, as the calculation window's button would, once the budget is spent.
class BudgetObserver final : public RunObserver {
  public:
    BudgetObserver(CancelFlag& cancel, long budget)
        : RunObserver(1), cancel_(cancel), left_(budget) {}
    bool cancelled = false;

  protected:
    void yieldNow() override {
        if (--left_ == 0) {
            cancelled = true;
            cancel_.store(true);
        }
    }

  private:
    CancelFlag& cancel_;
    long left_;
};

// The panel generator's choices taken from the fuzzer's bytes, so that a change of a byte
// changes one choice of the panel.
class FuzzChoices final : public panelgen::Choices {
  public:
    explicit FuzzChoices(FuzzedDataProvider& in) : in_(in) {}
    std::uint64_t operator()() override { return in_.ConsumeIntegral<std::uint64_t>(); }

  private:
    FuzzedDataProvider& in_;
};

// Splits at CR LF; a bare CR or LF inside a line is a fault.
std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            fuzz::check(start == bytes.size(), "the result file ends inside a line",
                        bytes.substr(start));
            return out;
        }
        out.push_back(bytes.substr(start, end - start));
        fuzz::check(out.back().find_first_of("\r\n") == std::string::npos,
                    "a bare CR or LF in the result file", out.back());
        start = end + 2;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    RunSettings settings;
    settings.maxSteps = in.ConsumeBool() ? in.ConsumeIntegralInRange(1, 400) : 10000;
    const long budget = in.ConsumeIntegralInRange<long>(1, 200000);
    FuzzChoices choices(in);
    fuzz::MemoryFileSystem fs;
    fs.files["panel.mbr"] = panelgen::randomPanel(choices).bytes;
    ParameterSheet sheet;
    sheet.load();
    if (readParameterFile(sheet, fs, "panel.mbr"))
        return 0; // the reader has a fuzz target of its own
    sheet.input().paramFileName = "panel.mbr";
    // A panel Execute refuses is run all the same: the run must end in order on its own.
    const bool refused = prepareExecute(sheet, fs).has_value();
    fs.files.erase("panel.TGC");
    fs.writes.clear();
    PanelInput panel = sheet.input();
    const std::string comment = panel.comment;

    const FixedClock clock({2026, 12, 6, 9, 30, 5});
    CancelFlag cancel{false};
    BudgetObserver observer(cancel, budget);
    settings.fileSystem = &fs;
    settings.clock = &clock;
    settings.observer = &observer;
    settings.cancel = &cancel;
    const RunOutcome out = runAnalysis(panel, settings);

    fuzz::check(out.end != RunEnd::OpenFailed && out.end != RunEnd::WriteFailed,
                "a file in memory failed");
    fuzz::check(out.end != RunEnd::Cancelled || observer.cancelled,
                "the run was cancelled by nobody");
    fuzz::check(out.steps >= 0 && out.steps <= settings.maxSteps, "steps outside 0 to the limit");
    fuzz::check(std::isfinite(out.tauMax), "τxy max is not finite");
    fuzz::check(!fuzz::hasNonFiniteWord(out.message), "the run's message", out.message);
    if (refused)
        fuzz::check(out.end != RunEnd::Failure || out.steps > 0,
                    "a panel Execute refuses failed at step 0");

    if (out.end == RunEnd::Stopped && fs.files.count("panel.TGC") == 0)
        return 0; // stopped at set-up, before the file was opened
    fuzz::check(fs.files.size() == 2 && fs.files.count("panel.TGC") == 1,
                "the run wrote other files than panel.TGC");
    for (const auto& [path, bytes] : fs.writes)
        fuzz::check(bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0,
                    "a write that does not end with a line end", bytes);
    const std::vector<std::string> file = lines(fs.files.at("panel.TGC"));
    fuzz::check(file.size() >= 4, "the result file has no whole header");
    fuzz::check(file[1] == utf8ToCp932(comment), "the comment line is not the comment", file[1]);
    for (std::size_t i = 0; i < file.size(); ++i)
        if (i != 1)
            fuzz::check(!fuzz::hasNonFiniteWord(file[i]), "a result line with NaN or Inf", file[i]);

    // One line per completed step; a failure step has its three closing lines instead.
    const std::size_t steps = static_cast<std::size_t>(out.steps);
    const std::size_t body = file.size() - 4;
    switch (out.end) {
    case RunEnd::Failure:
        fuzz::check(steps >= 1 && body == steps - 1 + 3, "closing lines after a failure");
        fuzz::check(file[file.size() - 3].rfind("Concrete : ", 0) == 0,
                    "no concrete status after a failure", file[file.size() - 3]);
        break;
    case RunEnd::Cancelled:
        fuzz::check(body == steps || body == steps + 1, "step lines of a cancelled run");
        break;
    default:
        fuzz::check(body == steps, "step lines of a run",
                    std::to_string(body) + " lines for " + std::to_string(steps) + " steps");
        break;
    }
    return 0;
}
