#include "run/result_reading.h"
#include "run/run_end.h"

#include "numeric/number_text.h"
#include "platform/quoted_line.h"
#include "platform/text_encoding.h"
#include "run/result_file.h"

#include <sstream>

namespace zmbr {

namespace {

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

// The numbers of a line that holds numbers only; nothing otherwise.
std::optional<std::vector<double>> numbers(const std::string& line) {
    std::vector<double> values;
    for (const std::string& w : words(line)) {
        auto v = parseWholeNumber(w);
        if (!v)
            return std::nullopt;
        values.push_back(*v);
    }
    return values;
}

// Reads a result file's lines one after another, each checked as it comes.
class ResultReader {
  public:
    explicit ResultReader(GuardedFile& file) : file_(file) {}

    std::optional<Failure> read(ResultCurve& curve) {
        if (auto f = header(curve))
            return f;
        const std::size_t items = resultLineItems(curve.rows);
        while (file_.next(line_)) {
            auto values = numbers(line_);
            if (!values || values->size() != items)
                return closing(curve);
            if (curve.steps.size() == static_cast<std::size_t>(kStepLimit))
                return here("a result file has at most " + std::to_string(kStepLimit) + " steps.");
            const std::vector<double>& v = *values;
            curve.steps.push_back({v[0], v[1], v[2], v[3], v[4]});
        }
        return file_.failure();
    }

  private:
    // The title, the comment, the column titles and the zero line.
    std::optional<Failure> header(ResultCurve& curve) {
        if (!file_.next(line_))
            return file_.failure();
        // The title tells the encoding: the program writes CP932, another editor UTF-8.
        static const std::string cp932Title = utf8ToCp932(kResultTitle);
        utf8_ = line_.starts_with(kResultTitle);
        if (!utf8_ && !line_.starts_with(cp932Title))
            return here(quotedLine(line_, readsAsUtf8(line_)) + " does not begin with \"" +
                        std::string(kResultTitle) + "\".");
        for (std::size_t n = 2; n <= kResultHeaderLines; ++n)
            if (!nextLine(kResultHeaderLines))
                return failure();
        // Five panel values, then two strains for each of 1 to 10 rows.
        const std::size_t items = words(line_).size();
        if (!line_.starts_with(kResultZeroLine) || items % 2 == 0 || items < resultLineItems(1) ||
            items > resultLineItems(kMaxRows))
            return here(quote() + " is not the zero line.");
        curve.rows = static_cast<int>((items - 5) / 2);
        // The header may hold a long comment; the lines after it are a run's numbers.
        file_.limitLines(kMaxResultStepLineBytes);
        return std::nullopt;
    }

    // The three closing lines, the first of them read already; nothing may follow them.
    std::optional<Failure> closing(ResultCurve& curve) {
        if (!line_.starts_with(kClosingConcrete))
            return here(quote() + " is neither a step line nor the start of the closing lines.");
        curve.concreteStatus = concreteStatusOf(line_.substr(kClosingConcrete.size()));
        const std::size_t last = file_.lineNumber() + 2;
        if (!nextLine(last))
            return failure();
        if (line_ != kClosingRows)
            return here(quote() + " is not \"" + std::string(kClosingRows) + "\".");
        if (!nextLine(last))
            return failure();
        const std::vector<std::string> items = words(line_);
        bool numbered = items.size() == 2 * static_cast<std::size_t>(curve.rows);
        for (std::size_t i = 0; numbered && i < items.size(); i += 2) {
            numbered = items[i] == std::to_string(i / 2 + 1);
            curve.rowStatuses.push_back(rowStatusOf(items[i + 1]));
        }
        if (!numbered)
            return here(quote() + " is not the status of rows 1 to " + std::to_string(curve.rows) +
                        ".");
        curve.closed = true;
        if (file_.next(line_))
            return here("nothing follows the closing lines.");
        return file_.failure();
    }

    // The next line, which the layout needs: it has `layoutLines` lines at least.
    bool nextLine(std::size_t layoutLines) {
        if (file_.next(line_))
            return true;
        layoutLines_ = layoutLines;
        return false;
    }

    // Why nextLine() found no line.
    std::optional<Failure> failure() const {
        if (file_.failure())
            return file_.failure();
        return endsBeforeLine(file_.lineNumber() + 1, layoutLines_);
    }

    Failure here(const std::string& reason) const {
        return lineFailure(file_.lineNumber(), reason);
    }

    std::string quote() const { return quotedLine(line_, utf8_); }

    GuardedFile& file_;
    std::string line_;
    bool utf8_ = false;
    std::size_t layoutLines_ = 0;
};

} // namespace

const ResultStep* ResultCurve::tauMaxStep() const {
    const ResultStep* best = nullptr;
    for (const ResultStep& s : steps)
        if (!best || s.tauXY > best->tauXY)
            best = &s;
    return best;
}

std::string ResultCurve::failureText() const {
    if (!closed)
        return "";
    RunOutcome end;
    end.concreteNG = concreteStatus == ConcreteStatus::NG;
    for (std::size_t i = 0; i < rowStatuses.size() && i < end.ruptured.size(); ++i)
        end.ruptured[i] = rowStatuses[i] == RowStatus::Rpt;
    return endWords(end);
}

std::optional<Failure> readResultFile(FileSystem& fs, const std::string& path, ResultCurve& curve) {
    curve = ResultCurve{};
    GuardedFile file("a result file", kResultMaxLines);
    if (auto failure = file.open(fs, path))
        return failure;
    ResultReader reader(file);
    auto failure = reader.read(curve);
    if (failure)
        curve = ResultCurve{};
    return failure;
}

} // namespace zmbr
