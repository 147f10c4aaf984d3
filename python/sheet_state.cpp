#include "sheet_state.h"

#include "numeric/number_text.h"

#include <cmath>
#include <stdexcept>

namespace zmbr::python {

namespace {

// The numbers of a panel in one fixed order, for reading and for writing.
template <typename Panel, typename Visit> void eachNumber(Panel& in, Visit visit) {
    for (auto* v : {&in.axes, &in.layer, &in.fc, &in.epsC, &in.t, &in.sm, &in.Ec, &in.tauBy,
                    &in.sBy, &in.initialTheta})
        visit(*v);
    for (auto& row : in.rows)
        for (auto* v : {&row.thetaR, &row.Ar, &row.s, &row.fru, &row.Er, &row.modularRatio})
            visit(*v);
}

template <typename Visit> void eachTextField(Visit visit) {
    for (const FieldEntry& entry : fieldRegistry())
        if (entry.kind != FieldKind::Flag)
            for (int e = 0; e < (entry.perRow() ? kMaxRows : 1); ++e)
                visit(FieldRef{entry.field, e});
}

} // namespace

SheetState sheetState(const ParameterSheet& sheet) {
    SheetState s;
    eachTextField([&](FieldRef f) { s.texts.push_back(sheet.text(f)); });
    s.option = sheet.option();
    const PanelInput& in = sheet.input();
    s.comment = in.comment;
    s.paramFileName = in.paramFileName;
    s.outputFileName = in.outputFileName;
    eachNumber(in, [&](const float& v) { s.values.push_back(v); });
    for (const ReinforcementLayer& row : in.rows)
        s.modes.push_back(static_cast<int>(row.failureMode));
    s.optionOn = in.optionOn;
    return s;
}

ParameterSheet sheetFromState(const SheetState& s) {
    ParameterSheet sheet;
    std::size_t i = 0;
    bool fits = true;
    eachTextField([&](FieldRef f) {
        if (i < s.texts.size())
            sheet.setText(f, s.texts[i]);
        else
            fits = false;
        ++i;
    });
    if (!fits || i != s.texts.size() || s.modes.size() != kMaxRows)
        throw std::invalid_argument("not the state of a panel");
    sheet.setOption(s.option);
    // The values behind the texts, exactly as they were (a count read from a file stands
    // whatever its limit made of the text).
    PanelInput& in = sheet.input();
    in.comment = s.comment;
    in.paramFileName = s.paramFileName;
    in.outputFileName = s.outputFileName;
    std::size_t k = 0;
    eachNumber(in, [&](float& v) {
        v = k < s.values.size() ? s.values[k] : 0.0f;
        ++k;
    });
    if (k != s.values.size())
        throw std::invalid_argument("not the state of a panel");
    for (std::size_t r = 0; r < kMaxRows; ++r)
        in.rows[r].failureMode = static_cast<FailureMode>(s.modes[r]);
    in.optionOn = static_cast<std::int16_t>(s.optionOn);
    return sheet;
}

std::optional<std::string> typeField(ParameterSheet& sheet, const FieldEntry& entry, int element,
                                     const std::string& text) {
    const FieldRef f{entry.field, entry.perRow() ? element : 0};
    switch (entry.kind) {
    case FieldKind::Flag:
        sheet.setOption(text != "0" && !text.empty());
        return std::nullopt;
    case FieldKind::Number: {
        const auto v = parseWholeNumber(text);
        if (!v || !std::isfinite(*v))
            return "\"" + text + "\" is not a number";
        break;
    }
    case FieldKind::Text:
    case FieldKind::Choice:
        break;
    }
    sheet.setText(f, text);
    sheet.leaveField(f);
    return std::nullopt;
}

} // namespace zmbr::python
