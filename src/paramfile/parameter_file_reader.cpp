#include "input/number_text.h"
#include "input/text_encoding.h"
#include "paramfile/parameter_file.h"

#include <cmath>
#include <system_error>
#include <vector>

namespace zmbr {

namespace {

const char* const kVersion3Header = "Created by ZMBR3";
const char* const kVersion2Header = "Created by ZMBR2";

// A line ends at CR LF, at CR or at LF; a last line without an end still counts.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line.push_back(c);
        }
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
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

class Planner {
  public:
    explicit Planner(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    std::optional<ReadFailure> plan(ReadPlan& out) {
        if (lines_.empty())
            return ReadFailure{1, "the file is empty."};
        if (lines_[0] == kVersion3Header)
            return planVersioned(out, true);
        if (lines_[0] == kVersion2Header)
            return planVersioned(out, false);
        return planHeaderless(out);
    }

  private:
    // Line n (1-based), or a failure when the file ends before it.
    const std::string* line(std::size_t n) {
        if (n > lines_.size()) {
            if (!failure_)
                failure_ = ReadFailure{static_cast<int>(n),
                                       "the file ends before this line; its layout needs " +
                                           std::to_string(needed_) + " lines."};
            return nullptr;
        }
        return &lines_[n - 1];
    }

    std::optional<ReadFailure> rowCountFailure(int n, const std::string& text, float count) {
        if (count >= 1 && count <= kMaxRows)
            return std::nullopt;
        return ReadFailure{n, "the row count \"" + text + "\" is outside 1 to 10."};
    }

    std::optional<ReadFailure> planVersioned(ReadPlan& out, bool version3) {
        const std::size_t perRow = version3 ? 6 : 5;
        needed_ = 13;
        const Control panel[] = {Control::Text1,  Control::Text4, Control::Text5, Control::Text10,
                                 Control::Text11, Control::Text8, Control::Text9, Control::Text12,
                                 Control::Text13, Control::Text14};
        std::size_t n = 2;
        if (!line(3))
            return failure_;
        const float axes = toFieldValue(parseNumber(lines_[2]));
        if (auto f = rowCountFailure(3, lines_[2], axes))
            return f;
        const int rows = static_cast<int>(std::floor(axes));
        needed_ = 13 + perRow * static_cast<std::size_t>(rows);

        for (Control c : panel) {
            const std::string* text = line(n++);
            if (!text)
                return failure_;
            out.text({c}, *text);
            // The count read stands, whatever the field's limit rule made of it.
            if (c == Control::Text4)
                out.steps.push_back({ReadPlan::Kind::RawAxes, {}, {}, axes});
        }
        for (int e = 0; e < rows; ++e) {
            for (Control c : {Control::Text15, Control::Text2, Control::Text3, Control::Text6,
                              Control::Text7}) {
                const std::string* text = line(n++);
                if (!text)
                    return failure_;
                out.text({c, e}, *text);
            }
            std::string mode = "rupture";
            if (version3) {
                const std::string* text = line(n++);
                if (!text)
                    return failure_;
                mode = *text;
            }
            out.text({Control::Combo1, e}, mode);
        }
        const std::string* option = line(n++);
        const std::string* theta = line(n++);
        if (!option || !theta)
            return failure_;
        out.option(*option);
        out.text({Control::Text16}, *theta);
        return std::nullopt;
    }

    std::optional<ReadFailure> wholeNumber(std::size_t n, double& value) {
        auto v = parseWholeNumber(lines_[n - 1]);
        if (!v)
            return ReadFailure{static_cast<int>(n), "\"" + lines_[n - 1] + "\" is not a number."};
        value = *v;
        return std::nullopt;
    }

    std::optional<ReadFailure> planHeaderless(ReadPlan& out) {
        needed_ = 15;
        if (!line(15))
            return failure_;
        double count = 0, er = 0, spacing = 0, ratio = 0;
        for (auto [n, value] : {std::pair{4, &count}, {7, &er}, {11, &spacing}, {12, &ratio}})
            if (auto f = wholeNumber(static_cast<std::size_t>(n), *value))
                return f;
        if (auto f = rowCountFailure(4, lines_[3], toFieldValue(count)))
            return f;
        if (ratio == 0)
            return ReadFailure{12, "the ratio Er / Ec is 0."};

        auto put = [&out, this](Control c, std::size_t n) { out.text({c}, lines_[n - 1]); };
        put(Control::Text1, 1);
        put(Control::Text4, 4);
        put(Control::Text5, 5);
        put(Control::Text8, 8);
        put(Control::Text9, 9);
        put(Control::Text10, 10);
        out.text({Control::Text11}, formatNumber(1.4142135623730951 * spacing, "##0.00"));
        out.text({Control::Text12}, formatNumber(er / ratio, "#####0"));
        put(Control::Text13, 13);
        put(Control::Text14, 14);

        const int rows = static_cast<int>(std::floor(toFieldValue(count)));
        for (int e = 0; e < rows; ++e)
            out.text({Control::Text15, e}, headerlessAngle(count, e));
        for (int e = 0; e < rows; ++e) {
            for (auto [c, n] : {std::pair{Control::Text2, 2},
                                {Control::Text3, 3},
                                {Control::Text6, 6},
                                {Control::Text7, 7}})
                out.text({c, e}, lines_[static_cast<std::size_t>(n) - 1]);
            out.text({Control::Combo1, e}, "rupture");
        }
        out.option(lines_[14]);
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

    std::vector<std::string> lines_;
    std::size_t needed_ = 0;
    std::optional<ReadFailure> failure_;
};

void apply(ParameterSheet& sheet, const ReadPlan& plan) {
    for (int e = 0; e < kMaxRows; ++e)
        for (Control c :
             {Control::Text15, Control::Text2, Control::Text3, Control::Text6, Control::Text7})
            sheet.setText({c, e}, "");
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

const char* notAFile(PathKind kind) {
    switch (kind) {
    case PathKind::Folder:
        return "a folder";
    case PathKind::Pipe:
        return "a pipe";
    case PathKind::Socket:
        return "a socket";
    case PathKind::Device:
        return "a device";
    case PathKind::Missing:
    case PathKind::NormalFile:
        break;
    }
    return nullptr;
}

} // namespace

std::string ReadFailure::text() const {
    return line > 0 ? "Line " + std::to_string(line) + ": " + reason : reason;
}

std::optional<ReadFailure> readParameterFile(ParameterSheet& sheet, FileSystem& fs,
                                             const std::string& path) {
    // Checked before opening: a pipe or a device could hold the reader for ever.
    if (const char* what = notAFile(fs.kindOf(path)))
        return ReadFailure{0, std::string("This is ") + what + ", not a file."};
    std::string bytes;
    if (int error = fs.readAll(path, bytes))
        return ReadFailure{0, "the file cannot be read (" + std::generic_category().message(error) +
                                  ")."};
    // The program writes CP932, so CP932 comes first and a written file always reads back as
    // it was; a file CP932 cannot hold but UTF-8 can was typed in another editor.
    const bool utf8 = !isValidCp932(bytes) && isValidUtf8(bytes);
    const std::string text = utf8 ? bytes : cp932ToUtf8(bytes);
    ReadPlan plan;
    if (auto failure = Planner(splitLines(text)).plan(plan))
        return failure;
    apply(sheet, plan);
    sheet.input().outputFileName = path;
    return std::nullopt;
}

} // namespace zmbr
