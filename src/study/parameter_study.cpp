#include "study/parameter_study.h"

#include "numeric/number_text.h"

#include <algorithm>
#include <cmath>

namespace zmbr {

namespace {

std::optional<VariedName> parseName(const std::string& text) {
    const std::size_t dot = text.find('.');
    const FieldDeclaration* entry = fieldNamed(text.substr(0, dot));
    if (!entry || !entry->varies)
        return std::nullopt;
    VariedName n{text, entry->field, entry->perRow(), 0};
    if (dot == std::string::npos)
        return n;
    const std::string row = text.substr(dot + 1);
    if (!n.rowField || row.empty() || row.size() > 2 ||
        !std::all_of(row.begin(), row.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    n.row = std::stoi(row);
    if (n.row < 1 || n.row > kMaxRows)
        return std::nullopt;
    return n;
}

// Decimals a number text shows, its exponent counted: "0.25" 2, "5e-3" 3, "1.5E2" 0.
int decimalsOf(const std::string& text) {
    const std::size_t e = text.find_first_of("eEdD");
    const std::string mantissa = text.substr(0, e);
    const std::size_t point = mantissa.find('.');
    int decimals = point == std::string::npos ? 0 : static_cast<int>(mantissa.size() - point - 1);
    if (e != std::string::npos)
        decimals -= static_cast<int>(parseNumber(text.substr(e + 1)));
    return std::clamp(decimals, 0, 9);
}

bool sameField(const VariedName& a, const VariedName& b) {
    return a.field == b.field && (a.row == 0 || b.row == 0 || a.row == b.row);
}

void typeAndLeave(ParameterSheet& sheet, FieldRef f, const std::string& text) {
    sheet.setText(f, text);
    sheet.leaveField(f);
}

} // namespace

std::string VariedName::caption() const {
    const char* unit = fieldSpec(field).unit;
    return *unit ? text + " (" + unit + ")" : text;
}

std::string variedNames(bool rowFields, const char* separator, const char* lastSeparator) {
    std::vector<const char*> names;
    for (const FieldDeclaration& entry : fieldRegistry())
        if (entry.varies && entry.perRow() == rowFields)
            names.push_back(entry.name);
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0                  ? ""
                 : i + 1 == names.size() ? lastSeparator
                                         : separator) +
                std::string(names[i]);
    return text;
}

Expected<VariedRange> parseVary(const std::string& arg) {
    const std::string where = "--vary " + arg + ": ";
    const std::size_t eq = arg.find('=');
    auto name = parseName(arg.substr(0, eq));
    if (!name) {
        return Failure{
            where + "\"" + arg.substr(0, eq) + "\" is not a name to vary; the names are " +
            variedNames(false, ", ", " and ") + ", and the row fields " +
            variedNames(true, ", ", " and ") + " for every used row or with .N for row N"};
    }
    std::vector<std::string> parts;
    if (eq != std::string::npos)
        for (std::size_t start = eq + 1;;) {
            const std::size_t colon = arg.find(':', start);
            parts.push_back(arg.substr(start, colon - start));
            if (colon == std::string::npos)
                break;
            start = colon + 1;
        }
    if (parts.size() != 3) {
        return Failure{where + "the range is not FROM:TO:STEP"};
    }
    double v[3];
    for (int i = 0; i < 3; ++i) {
        auto number = parseWholeNumber(parts[static_cast<std::size_t>(i)]);
        if (!number || !std::isfinite(*number)) {
            return Failure{where + "\"" + parts[static_cast<std::size_t>(i)] +
                           "\" is not a number"};
        }
        v[i] = *number;
    }
    const double from = v[0], to = v[1], step = v[2];
    if (step == 0) {
        return Failure{where + "the step is 0"};
    }
    const double span = (to - from) / step;
    if (span < -1e-9) {
        return Failure{where + "the range is empty: a step of " + parts[2] + " from " + parts[0] +
                       " never reaches " + parts[1]};
    }
    if (span + 1 > static_cast<double>(kMaxCombinations)) {
        return Failure{where + "the range has more than " + std::to_string(kMaxCombinations) +
                       " values"};
    }
    int decimals = 0;
    for (const std::string& p : parts)
        decimals = std::max(decimals, decimalsOf(p));
    const std::string pattern =
        decimals ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : "0";
    VariedRange range{*name, {}};
    const auto count = static_cast<std::size_t>(std::floor(span + 1e-9)) + 1;
    for (std::size_t k = 0; k < count; ++k)
        range.values.push_back(formatNumber(from + static_cast<double>(k) * step, pattern));
    return range;
}

Expected<std::size_t> combinationCount(const std::vector<VariedRange>& ranges,
                                       const ParameterSheet& sheet) {
    std::size_t count = 1;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const VariedName& n = ranges[i].name;
        if (n.row > sheet.input().usedRows()) {
            return Failure{"--vary " + n.text + ": the panel uses rows 1 to " +
                           std::to_string(sheet.input().usedRows()) + " only"};
        }
        for (std::size_t j = 0; j < i; ++j)
            if (sameField(n, ranges[j].name)) {
                return Failure{"--vary " + n.text + ": " + ranges[j].name.text +
                               " varies the same field already"};
            }
        count *= ranges[i].values.size();
        if (count > kMaxCombinations) {
            return Failure{"--vary: the study would have more than " +
                           std::to_string(kMaxCombinations) + " combinations"};
        }
    }
    return count;
}

std::vector<std::size_t> combination(const std::vector<VariedRange>& ranges, std::size_t k) {
    std::vector<std::size_t> indices(ranges.size());
    for (std::size_t i = ranges.size(); i-- > 0;) {
        indices[i] = k % ranges[i].values.size();
        k /= ranges[i].values.size();
    }
    return indices;
}

std::vector<std::string> typeCombination(ParameterSheet& sheet,
                                         const std::vector<VariedRange>& ranges,
                                         const std::vector<std::size_t>& values,
                                         std::set<std::string>& notes) {
    std::vector<std::string> stored;
    const int rows = sheet.input().usedRows();
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const VariedName& n = ranges[i].name;
        const std::string& text = ranges[i].values[values[i]];
        const int first = n.row ? n.row : 1;
        if (!n.rowField) {
            typeAndLeave(sheet, {n.field}, text);
        } else if (n.row == 0) {
            for (int r = 1; r <= rows; ++r)
                typeAndLeave(sheet, {n.field, r - 1}, text);
        } else {
            std::vector<std::string> below;
            for (int q = n.row + 1; q <= rows; ++q)
                below.push_back(sheet.text({n.field, q - 1}));
            typeAndLeave(sheet, {n.field, n.row - 1}, text);
            for (int q = n.row + 1; q <= rows; ++q) {
                const std::string& was = below[static_cast<std::size_t>(q - n.row - 1)];
                if (sheet.text({n.field, q - 1}) != was)
                    typeAndLeave(sheet, {n.field, q - 1}, was);
            }
        }
        stored.push_back(sheet.text({n.field, n.rowField ? first - 1 : 0}));
        const float typed = toFieldValue(parseNumber(text));
        if (applyLimitRule(n.field, typed) != typed)
            notes.insert(n.text + " = " + text + " is stored as " + stored.back() +
                         " (the field's limit)");
        else if (toFieldValue(parseNumber(stored.back())) != typed)
            notes.insert(n.text + " = " + text + " is stored as " + stored.back() +
                         " (the field's display)");
    }
    return stored;
}

} // namespace zmbr
