#include "study/result_reading.h"

#include "input/number_text.h"
#include "platform/text_encoding.h"

#include <sstream>

namespace zmbr {

namespace {

constexpr std::string_view kTitle = "τ-γ relationship created by ZMBR3";
constexpr std::string_view kZeroLine = "    0.000  0.000000  0.000000  0.000000  45.00";

std::vector<std::string> splitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

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

std::string lineReason(std::size_t index, const std::string& what) {
    return "line " + std::to_string(index + 1) + " " + what;
}

// The three closing lines from `at` on; false when they are not there as written.
bool readClosing(const std::vector<std::string>& lines, std::size_t at, ResultCurve& curve) {
    if (lines.size() != at + 3 || !lines[at].starts_with("Concrete : ") ||
        lines[at + 1] != "Reinforcements : ")
        return false;
    curve.concreteStatus = lines[at].substr(11);
    const std::vector<std::string> items = words(lines[at + 2]);
    if (items.size() != 2 * static_cast<std::size_t>(curve.rows))
        return false;
    for (std::size_t i = 0; i < items.size(); i += 2) {
        if (items[i] != std::to_string(i / 2 + 1))
            return false;
        curve.rowStatuses.push_back(items[i + 1]);
    }
    curve.closed = true;
    return true;
}

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
    std::string rows;
    int count = 0;
    for (std::size_t i = 0; i < rowStatuses.size(); ++i)
        if (rowStatuses[i] == "RPT")
            rows += (count++ ? ", " : "") + std::to_string(i + 1);
    const std::string rupture =
        count == 0 ? "" : (count == 1 ? "rupture of row " : "rupture of rows ") + rows;
    if (concreteStatus == "NG")
        return count ? "concrete NG and " + rupture : "concrete NG";
    return rupture;
}

std::optional<ResultCurve> readResultCurve(std::string_view bytes, std::string& reason) {
    const std::string text = isValidUtf8(bytes) ? std::string(bytes) : cp932ToUtf8(bytes);
    std::vector<std::string> lines = splitLines(text);
    if (lines.empty() || !lines[0].starts_with(kTitle)) {
        reason = "line 1 does not begin with \"" + std::string(kTitle) + "\"";
        return std::nullopt;
    }
    if (lines.size() < 4 || !lines[3].starts_with(kZeroLine)) {
        reason = "line 4 is not the zero line";
        return std::nullopt;
    }
    ResultCurve curve;
    const std::size_t zeroItems = words(lines[3]).size();
    curve.rows = static_cast<int>((zeroItems - 5) / 2);
    if (zeroItems % 2 == 0 || curve.rows < 1 || curve.rows > 10) {
        reason = "line 4 is not the zero line";
        return std::nullopt;
    }
    for (std::size_t i = 4; i < lines.size(); ++i) {
        auto values = numbers(lines[i]);
        if (values && values->size() == zeroItems) {
            const std::vector<double>& v = *values;
            curve.steps.push_back({v[0], v[1], v[2], v[3], v[4]});
            continue;
        }
        if (!readClosing(lines, i, curve)) {
            reason = lineReason(i, "is neither a step line nor the start of the closing lines");
            return std::nullopt;
        }
        break;
    }
    return curve;
}

} // namespace zmbr
