#include "input/parameter_sheet.h"

#include "numeric/number_text.h"

#include <utility>

namespace zmbr {

namespace {

struct NumericField {
    float* value;
    PanelField field;
};

// The panel value a numeric field edits, and the rules it follows.
NumericField numericField(PanelInput& in, FieldRef f) {
    ReinforcementLayer& row = in.rows[static_cast<std::size_t>(f.element)];
    switch (f.control) {
    case Control::Text2:
        return {&row.Ar, PanelField::Ar};
    case Control::Text3:
        return {&row.s, PanelField::S};
    case Control::Text4:
        return {&in.axes, PanelField::Axes};
    case Control::Text5:
        return {&in.layer, PanelField::Layer};
    case Control::Text6:
        return {&row.fru, PanelField::Fru};
    case Control::Text7:
        return {&row.Er, PanelField::Er};
    case Control::Text8:
        return {&in.fc, PanelField::Fc};
    case Control::Text9:
        return {&in.epsC, PanelField::EpsC};
    case Control::Text10:
        return {&in.t, PanelField::T};
    case Control::Text11:
        return {&in.sm, PanelField::Sm};
    case Control::Text12:
        return {&in.Ec, PanelField::Ec};
    case Control::Text13:
        return {&in.tauBy, PanelField::TauBy};
    case Control::Text14:
        return {&in.sBy, PanelField::SBy};
    case Control::Text15:
        return {&row.thetaR, PanelField::ThetaR};
    case Control::Text16:
        return {&in.initialTheta, PanelField::InitialTheta};
    case Control::Text1:
    case Control::Combo1:
        break;
    }
    return {nullptr, PanelField::Ar};
}

bool fillsDown(Control c) {
    return c == Control::Text2 || c == Control::Text3 || c == Control::Text6 || c == Control::Text7;
}

} // namespace

bool isRowControl(Control c) {
    return fillsDown(c) || c == Control::Text15 || c == Control::Combo1;
}

const std::string& ParameterSheet::text(FieldRef f) const {
    const auto c = static_cast<std::size_t>(f.control);
    return isRowControl(f.control) ? rowTexts_[c][static_cast<std::size_t>(f.element)]
                                   : panelTexts_[c];
}

std::string& ParameterSheet::textSlot(FieldRef f) {
    return const_cast<std::string&>(std::as_const(*this).text(f));
}

void ParameterSheet::setText(FieldRef f, std::string text) {
    std::string& slot = textSlot(f);
    if (slot == text)
        return;
    slot = std::move(text);
    if (listener_)
        listener_->textSet(f, slot);
    if (f.control != Control::Combo1)
        changed(f);
}

void ParameterSheet::changed(FieldRef f) {
    if (f.control == Control::Text1) {
        input_.comment = text(f);
        return;
    }
    NumericField n = numericField(input_, f);
    *n.value = applyLimitRule(n.field, toFieldValue(parseNumber(text(f))));
}

void ParameterSheet::setOption(bool on) {
    option_ = on;
    input_.optionOn = on ? 1 : 0;
    if (listener_)
        listener_->optionSet(on);
}

void ParameterSheet::leaveField(FieldRef f) {
    switch (f.control) {
    case Control::Text1:
        return;
    case Control::Combo1:
        input_.rows[static_cast<std::size_t>(f.element)].failureMode = failureModeFromText(text(f));
        return;
    case Control::Text4:
        setText(f, plainNumberText(input_.axes));
        if (input_.axes < kMaxRows)
            clearRowsBeyondAxes();
        return;
    case Control::Text5:
        setText(f, plainNumberText(input_.layer));
        return;
    default:
        break;
    }
    NumericField n = numericField(input_, f);
    setText(f, formatNumber(*n.value, displayPattern(n.field)));
    if (fillsDown(f.control))
        fillDown(f);
}

void ParameterSheet::fillDown(FieldRef f) {
    const std::string shown = text(f);
    for (int q = f.element + 2; q <= input_.usedRows(); ++q)
        setText({f.control, q - 1}, shown);
}

// Rows beyond the whole rows in use lose their values; their failure-mode boxes stay.
void ParameterSheet::clearRowsBeyondAxes() {
    for (int r = input_.usedRows() + 1; r <= kMaxRows; ++r)
        for (Control c :
             {Control::Text15, Control::Text2, Control::Text3, Control::Text6, Control::Text7})
            setText({c, r - 1}, "");
}

void ParameterSheet::load() {
    input_ = PanelInput::defaults();
    setText({Control::Text1}, input_.comment);

    auto show = [this](Control c, int element, const char* pattern) {
        NumericField n = numericField(input_, {c, element});
        setText({c, element}, formatNumber(*n.value, pattern));
    };
    show(Control::Text4, 0, "#####0");
    show(Control::Text5, 0, "#####0");
    for (Control c : {Control::Text8, Control::Text9, Control::Text10, Control::Text11,
                      Control::Text12, Control::Text13, Control::Text14, Control::Text16})
        show(c, 0, displayPattern(numericField(input_, {c}).field));
    for (int e = 0; e < kMaxRows; ++e) {
        for (Control c :
             {Control::Text2, Control::Text3, Control::Text6, Control::Text7, Control::Text15})
            show(c, e, displayPattern(numericField(input_, {c, e}).field));
        setText({Control::Combo1, e}, "rupture");
    }
}

} // namespace zmbr
