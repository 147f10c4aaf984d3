// The page's parameter studies: the main thread plans the study from the panel it shows, hands
// each variant's file to a pool of workers, which run it as --batch runs a file and send back
// what the summary table and the report read of it; the main thread then makes summary.csv,
// the picture and the report, as --study makes them.

#include "bridge_shared.h"
#include "paramfile/parameter_file.h"
#include "platform/file_system.h"
#include "report/calculation_report.h"
#include "report/page_layout.h"
#include "run/analysis_run.h"
#include "run/execute_command.h"
#include "study/study_picture.h"
#include "study/study_plan.h"

#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace zmbr;
using namespace zmbr::page;

// --- A variant's end, sent from a worker to the main thread ---------------------------------
// Texts with their lengths, numbers exact (a double's bits in hex), so that the table the main
// thread makes holds the digits the worker's run made.

class RecordWriter {
  public:
    void text(const std::string& s) { out_ += std::to_string(s.size()) + ':' + s; }
    void number(long long v) { text(std::to_string(v)); }
    void real(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(bits));
        text(hex);
    }
    std::string take() { return std::move(out_); }

  private:
    std::string out_;
};

// Reads what RecordWriter wrote; a record cut short reads as empty texts and zeros, and ok()
// then says so.
class RecordReader {
  public:
    explicit RecordReader(std::string_view in) : in_(in) {}
    std::string text() {
        const std::size_t colon = in_.find(':');
        std::size_t length = 0;
        if (colon == std::string_view::npos ||
            std::sscanf(std::string(in_.substr(0, colon)).c_str(), "%zu", &length) != 1 ||
            length > in_.size() - colon - 1) {
            ok_ = false;
            in_ = {};
            return "";
        }
        std::string s(in_.substr(colon + 1, length));
        in_.remove_prefix(colon + 1 + length);
        return s;
    }
    long long number() { return std::atoll(text().c_str()); }
    double real() {
        const std::uint64_t bits = std::strtoull(text().c_str(), nullptr, 16);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    bool ok() const { return ok_; }

  private:
    std::string_view in_;
    bool ok_ = true;
};

std::string entryRecord(const SummaryEntry& e) {
    RecordWriter w;
    w.text(e.file);
    w.text(e.resultFile);
    const RunOutcome& o = e.outcome;
    w.number(static_cast<int>(o.end));
    w.number(o.steps);
    w.number(o.concreteNG);
    for (std::size_t r = 0; r < kMaxRows; ++r) {
        w.number(o.ruptured[r]);
        w.number(o.yielded[r]);
        w.real(o.rowStress[r]);
        w.real(o.crackStress[r]);
    }
    w.real(o.tauMax);
    w.text(o.cause);
    w.text(o.message);
    w.number(e.written.has_value());
    if (e.written) {
        const ResultCurve& c = *e.written;
        w.number(c.rows);
        w.number(c.closed);
        w.number(static_cast<int>(c.concreteStatus));
        w.number(static_cast<long long>(c.rowStatuses.size()));
        for (RowStatus s : c.rowStatuses)
            w.number(static_cast<int>(s));
        w.number(static_cast<long long>(c.steps.size()));
        for (const ResultStep& s : c.steps)
            for (double v : {s.tauXY, s.gammaXY, s.eps1, s.eps2, s.thetaDegrees})
                w.real(v);
    }
    return w.take();
}

std::optional<SummaryEntry> entryOfRecord(std::string_view record) {
    RecordReader r(record);
    SummaryEntry e;
    e.file = r.text();
    e.resultFile = r.text();
    RunOutcome& o = e.outcome;
    o.end = static_cast<RunEnd>(r.number());
    o.steps = static_cast<int>(r.number());
    o.concreteNG = r.number() != 0;
    for (std::size_t i = 0; i < kMaxRows; ++i) {
        o.ruptured[i] = r.number() != 0;
        o.yielded[i] = r.number() != 0;
        o.rowStress[i] = r.real();
        o.crackStress[i] = r.real();
    }
    o.tauMax = r.real();
    o.cause = r.text();
    o.message = r.text();
    if (r.number()) {
        ResultCurve c;
        c.rows = static_cast<int>(r.number());
        c.closed = r.number() != 0;
        c.concreteStatus = static_cast<ConcreteStatus>(r.number());
        for (long long n = r.number(); n > 0 && r.ok(); --n)
            c.rowStatuses.push_back(static_cast<RowStatus>(r.number()));
        for (long long n = r.number(); n > 0 && r.ok(); --n) {
            ResultStep s{};
            for (double* v : {&s.tauXY, &s.gammaXY, &s.eps1, &s.eps2, &s.thetaDegrees})
                *v = r.real();
            c.steps.push_back(s);
        }
        e.written = std::move(c);
    }
    if (!r.ok())
        return std::nullopt;
    return e;
}

// --- The study the main thread holds ---------------------------------------------------------

std::optional<StudyPlan> plan;
ParameterSheet planBase; // the panel as it was when the study was planned
std::vector<std::optional<SummaryEntry>> entries;

std::vector<SummaryEntry> allEntries() {
    std::vector<SummaryEntry> all;
    for (const auto& e : entries)
        all.push_back(e ? *e : SummaryEntry{});
    return all;
}

bool complete() {
    if (!plan)
        return false;
    for (const auto& e : entries)
        if (!e)
            return false;
    return true;
}

} // namespace

extern "C" {

// The names a study may vary, one a line: the panel's, then the rows'.
EMSCRIPTEN_KEEPALIVE const char* zmbr_study_names() {
    return handOut(variedNames(false, "\n", "\n") + "\n" + variedNames(true, "\n", "\n"));
}

// Plans a study of the panel the window shows, from lines "NAME=FROM:TO:STEP" as --vary takes
// them: the number of variants, or 0 with a box that tells why not. The variants are named as
// `zmbr --study FILE --out STEM-study` names them.
EMSCRIPTEN_KEEPALIVE int zmbr_study_plan(const char* lines) {
    lastBox = {};
    plan.reset();
    entries.clear();
    std::vector<VariedRange> ranges;
    std::string all(lines);
    for (std::size_t start = 0; start < all.size();) {
        std::size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        const std::string line = all.substr(start, end - start);
        start = end + 1;
        if (line.find_first_not_of(' ') == std::string::npos)
            continue;
        auto range = parseVary(line);
        if (!range) {
            lastBox = {"Study", range.failure().message};
            return 0;
        }
        ranges.push_back(*range);
    }
    if (ranges.empty()) {
        lastBox = {"Study", "Name at least one field to vary, with its range."};
        return 0;
    }
    planBase = sheet();
    const PanelInput& in = planBase.input();
    std::string file = in.paramFileName.empty() ? std::string("panel.mbr") : in.paramFileName;
    const std::string stem = std::filesystem::path(file).stem().string();
    auto made = makeStudyPlan(planBase, file, std::move(ranges), stem + "-study");
    if (!made) {
        lastBox = {"Study", made.failure().message};
        return 0;
    }
    plan = std::move(*made);
    entries.assign(plan->paths.size(), std::nullopt);
    return static_cast<int>(plan->paths.size());
}

// The values that a field stored otherwise than the range gave them, one a line.
EMSCRIPTEN_KEEPALIVE const char* zmbr_study_notes() {
    std::string text;
    if (plan)
        for (const std::string& note : plan->notes)
            text += note + "\n";
    return handOut(text);
}

EMSCRIPTEN_KEEPALIVE const char* zmbr_study_variant_path(int k) {
    return handOut(plan ? plan->paths.at(static_cast<std::size_t>(k)) : "");
}

EMSCRIPTEN_KEEPALIVE const char* zmbr_study_variant_file(int k) {
    return handOut(plan ? plan->fileBytes.at(static_cast<std::size_t>(k)) : "");
}

// In a worker: runs the variant file at `path` as --batch runs a file, removes its files, and
// returns its end as a record for zmbr_study_add.
EMSCRIPTEN_KEEPALIVE const char* zmbr_study_run(const char* path) {
    FileSystem& fs = realFileSystem();
    SummaryEntry e;
    e.file = path;
    ParameterSheet variant;
    variant.load();
    if (auto failure = readParameterFile(variant, fs, path)) {
        e.outcome.end = RunEnd::Unreadable;
        e.outcome.cause = failure->message;
    } else {
        PanelInput& in = variant.input();
        in.paramFileName = path;
        if (auto refusal = prepareExecute(variant, fs)) {
            e.outcome.end = refusal->end;
            e.outcome.cause = refusal->message;
            e.outcome.message = refusal->message;
        } else {
            RunSettings settings;
            settings.clock = &pageClock();
            e.outcome = runAnalysis(in, settings);
        }
        e.resultFile = in.outputFileName;
        ResultCurve written;
        if ((runStarted(e.outcome.end) || e.outcome.end == RunEnd::OpenFailed) &&
            !readResultFile(fs, e.resultFile, written))
            e.written = summaryCurve(written);
        fs.remove(e.resultFile);
    }
    fs.remove(path);
    return handOut(entryRecord(e));
}

// Takes variant k's end from a worker's record: 1, or 0 for a record that does not read.
EMSCRIPTEN_KEEPALIVE int zmbr_study_add(int k, const char* record, int length) {
    if (!plan || k < 0 || static_cast<std::size_t>(k) >= entries.size())
        return 0;
    auto e = entryOfRecord(std::string_view(record, static_cast<std::size_t>(length)));
    if (!e)
        return 0;
    entries[static_cast<std::size_t>(k)] = std::move(*e);
    return 1;
}

// summary.csv, as --study writes it, once every variant has ended; else empty.
EMSCRIPTEN_KEEPALIVE const char* zmbr_study_summary() {
    return handOut(complete() ? studySummaryCsv(*plan, allEntries()) : "");
}

// The study's chart or map as JSON: its size, its items (shapes and labels) in painting order,
// and the spots where each variant lies. Variants not yet ended count as not run.
EMSCRIPTEN_KEEPALIVE const char* zmbr_study_picture() {
    if (!plan)
        return handOut("null");
    const StudyPicture p = studyPicture(studyResults(*plan, allEntries()), pageTextWidth());
    std::string out = "{\"title\":";
    appendJson(out, p.title);
    out += ",\"drawing\":";
    appendDrawing(out, p.drawing);
    out += ",\"spots\":[";
    for (std::size_t i = 0; i < p.spots.size(); ++i) {
        out += i ? ",{\"variant\":" : "{\"variant\":";
        out += std::to_string(p.spots[i].variant) + ",\"box\":";
        appendBox(out, p.spots[i].box);
        out += '}';
    }
    out += "]}";
    return handOut(std::move(out));
}

// The study's report, as `zmbr --study --report` writes it, to `path`: 1, or 0 with a box. The
// panel's file, if the page put it in the file system under its name, is named with its digest.
EMSCRIPTEN_KEEPALIVE int zmbr_study_report(const char* path, const char* summaryName) {
    lastBox = {};
    if (!complete()) {
        lastBox = {"Error", "The study has not ended yet."};
        return 0;
    }
    FileSystem& fs = realFileSystem();
    const std::vector<SummaryEntry> all = allEntries();
    const std::string csv = studySummaryCsv(*plan, all);
    StudyReportInput in{fs.kindOf(plan->file) == PathKind::NormalFile
                            ? reportFileOf(fs, plan->file)
                            : ReportFile{plan->file, std::nullopt},
                        &planBase,
                        plan->ranges,
                        all,
                        plan->stored,
                        studyResults(*plan, all),
                        reportFileOfBytes(summaryName, csv),
                        pageClock().now(),
                        {}};
    if (auto failure = writeReportPdf(studyReport(in), fs, path)) {
        lastBox = {"Error", failure->message};
        return 0;
    }
    return 1;
}

// Puts variant k in the parameter window, named as its file: 1, or 0 with a box.
EMSCRIPTEN_KEEPALIVE int zmbr_study_open(int k) {
    lastBox = {};
    if (!plan || k < 0 || static_cast<std::size_t>(k) >= plan->paths.size())
        return 0;
    auto variant = variantSheet(*plan, static_cast<std::size_t>(k));
    if (!variant) {
        lastBox = {"Error", variant.failure().message};
        return 0;
    }
    const std::string name =
        std::filesystem::path(plan->paths[static_cast<std::size_t>(k)]).filename().string();
    sheet() = std::move(*variant);
    sheet().input().paramFileName = name;
    sheet().input().outputFileName = name;
    return 1;
}

} // extern "C"
