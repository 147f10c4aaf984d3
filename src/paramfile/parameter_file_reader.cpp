#include "numeric/number_text.h"
#include "paramfile/file_kind.h"
#include "paramfile/parameter_file.h"
#include "platform/quoted_line.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

namespace zmbr {

namespace {

const char* const kVersion3Header = "Created by ZMBR3";
const char* const kVersion2Header = "Created by ZMBR2";

bool readAsUtf8(const std::deque<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines)
        all += line + '\n';
    return readsAsUtf8(all);
}

// Most lines are numbers: they read the same in every encoding, without a conversion.
bool isAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// What reading will do to the sheet, worked out before anything changes.
struct ReadPlan {
    enum class Kind { Text, RawAxes, Option };
    struct Step {
        Kind kind;
        FieldRef field;
        std::string text;
        float value = 0; // RawAxes: the row count as read; Option: 1 for on
    };
    std::vector<Step> steps;

    void text(FieldRef f, std::string t) { steps.push_back({Kind::Text, f, std::move(t)}); }
    void option(const std::string& line) {
        steps.push_back({Kind::Option, {}, {}, line == "Y" || line == "y" ? 1.0f : 0.0f});
    }
};

// Works out the plan from the file's lines, reading each only when the layout needs it.
class Planner {
  public:
    explicit Planner(GuardedFile& file) : file_(file) {}

    std::optional<Failure> plan(ReadPlan& out) {
        if (!line(1))
            return failure_;
        if (lines_[0] == kVersion3Header)
            return planVersioned(out, true);
        if (lines_[0] == kVersion2Header)
            return planVersioned(out, false);
        return planHeaderless(out);
    }

    // The lines read so far, as bytes.
    const std::deque<std::string>& lines() const { return lines_; }

  private:
    // Line n (1-based), read up to there if need be, and valid while later lines are read; or
    // null after a failure.
    const std::string* line(std::size_t n) {
        std::string text;
        while (lines_.size() < n && !failure_) {
            if (file_.next(text))
                lines_.push_back(std::move(text));
            else
                failure_ = file_.failure() ? *file_.failure() : endsBeforeLine(n, needed_);
        }
        return n <= lines_.size() ? &lines_[n - 1] : nullptr;
    }

    std::string quote(std::size_t n) const { return quotedLine(lines_[n - 1], readAsUtf8(lines_)); }

    std::optional<Failure> rowCountFailure(std::size_t n, float count) const {
        if (count >= 1 && count <= kMaxRows)
            return std::nullopt;
        return lineFailure(n, "the row count " + quote(n) + " is outside 1 to 10.");
    }

    std::optional<Failure> planVersioned(ReadPlan& out, bool version3) {
        std::size_t perRow = 0;
        for (const FieldDeclaration& entry : fieldRegistry())
            perRow += entry.block == FileBlock::Row && (version3 || entry.inVersion2) ? 1 : 0;
        needed_ = 13;
        if (!line(3))
            return failure_;
        const float axes = toFieldValue(parseNumber(lines_[2]));
        if (auto f = rowCountFailure(3, axes))
            return f;
        const int rows = static_cast<int>(std::floor(axes));
        needed_ = 13 + perRow * static_cast<std::size_t>(rows);

        std::size_t n = 2;
        auto plan = [&](FileBlock block, int element) -> bool {
            for (const FieldDeclaration& entry : fieldRegistry()) {
                if (entry.block != block)
                    continue;
                if (!version3 && !entry.inVersion2) { // a version-2 row breaks at fru
                    out.text({entry.field, element}, "rupture");
                    continue;
                }
                const std::string* text = line(n++);
                if (!text)
                    return false;
                if (entry.kind == FieldKind::Flag) {
                    out.option(*text);
                    continue;
                }
                out.text({entry.field, element}, *text);
                // The count read stands, whatever the field's limit rule made of it.
                if (entry.field == PanelField::Axes)
                    out.steps.push_back({ReadPlan::Kind::RawAxes, {}, {}, axes});
            }
            return true;
        };
        if (!plan(FileBlock::Head, 0))
            return failure_;
        for (int e = 0; e < rows; ++e)
            if (!plan(FileBlock::Row, e))
                return failure_;
        if (!plan(FileBlock::Tail, 0))
            return failure_;
        return std::nullopt;
    }

    std::optional<Failure> wholeNumber(std::size_t n, double& value) {
        auto v = parseWholeNumber(lines_[n - 1]);
        if (!v)
            return lineFailure(n, quote(n) + " is not a number.");
        value = *v;
        return std::nullopt;
    }

    std::optional<Failure> planHeaderless(ReadPlan& out) {
        needed_ = 15;
        if (!line(15))
            return failure_;
        double count = 0, er = 0, spacing = 0, ratio = 0;
        for (auto [n, value] : {std::pair{4, &count}, {7, &er}, {11, &spacing}, {12, &ratio}})
            if (auto f = wholeNumber(static_cast<std::size_t>(n), *value))
                return f;
        if (auto f = rowCountFailure(4, toFieldValue(count)))
            return f;
        if (ratio == 0)
            return lineFailure(12, "the ratio Er / Ec is 0.");

        const int rows = static_cast<int>(std::floor(toFieldValue(count)));
        // Lines 11 and 12 hold what sm and Ec are worked out from; the row angles follow from
        // the row count, and every row breaks at fru.
        auto plan = [&](const FieldDeclaration& entry, int element) {
            const FieldRef f{entry.field, element};
            if (entry.kind == FieldKind::Flag)
                out.option(lines_[static_cast<std::size_t>(entry.headerlessLine) - 1]);
            else if (entry.headerlessLine != 0)
                out.text(f, lines_[static_cast<std::size_t>(entry.headerlessLine) - 1]);
            else if (entry.field == PanelField::Sm)
                out.text(f, formatNumber(1.4142135623730951 * spacing, entry.pattern));
            else if (entry.field == PanelField::Ec)
                out.text(f, formatNumber(er / ratio, entry.pattern));
            else if (entry.field == PanelField::ThetaR)
                out.text(f, headerlessAngle(count, element));
            else if (entry.field == PanelField::FailureMode)
                out.text(f, "rupture");
        };
        for (const FieldDeclaration& entry : fieldRegistry())
            if (!entry.perRow())
                plan(entry, 0);
        for (int e = 0; e < rows; ++e)
            for (const FieldDeclaration& entry : fieldRegistry())
                if (entry.perRow())
                    plan(entry, e);
        return std::nullopt;
    }

    // The row angles of a headerless file follow from its row count alone.
    static std::string headerlessAngle(double count, int element) {
        static const char* const two[] = {"0.0", "90.0"};
        static const char* const three[] = {"0.0", "60.0", "120.0"};
        static const char* const four[] = {"0.0", "45.0", "90.0", "135.0"};
        if (count == 2)
            return two[element];
        if (count == 3)
            return three[element];
        if (count == 4)
            return four[element];
        return "90.0";
    }

    GuardedFile& file_;
    std::deque<std::string> lines_; // a line stays where it is while more are read
    std::size_t needed_ = 0;
    std::optional<Failure> failure_;
};

void apply(ParameterSheet& sheet, const ReadPlan& plan) {
    for (int e = 0; e < kMaxRows; ++e)
        for (const FieldDeclaration& entry : fieldRegistry())
            if (entry.perRow() && entry.kind == FieldKind::Number)
                sheet.setText({entry.field, e}, "");
    for (const ReadPlan::Step& step : plan.steps) {
        switch (step.kind) {
        case ReadPlan::Kind::Text:
            sheet.setText(step.field, step.text);
            break;
        case ReadPlan::Kind::RawAxes:
            sheet.input().axes = step.value;
            break;
        case ReadPlan::Kind::Option:
            sheet.setOption(step.value != 0);
            break;
        }
    }
}

} // namespace

std::optional<Failure> readParameterFile(ParameterSheet& sheet, FileSystem& fs,
                                         const std::string& path) {
    GuardedFile file("a parameter file", kMaxParameterFileLines);
    if (auto failure = file.open(fs, path))
        return failure;
    Planner planner(file);
    ReadPlan plan;
    if (auto failure = planner.plan(plan)) {
        // A file of another kind is named as such rather than by a line of it.
        const RecognizedFile kind = recognizeFile(fs, path);
        if (kind.kind != FileKind::Other)
            return Failure{notAPanelText(kind)};
        return failure;
    }
    if (!readAsUtf8(planner.lines()))
        for (ReadPlan::Step& step : plan.steps)
            if (step.kind == ReadPlan::Kind::Text && !isAscii(step.text))
                step.text = cp932ToUtf8(step.text);
    apply(sheet, plan);
    sheet.input().outputFileName = path;
    return std::nullopt;
}

} // namespace zmbr
