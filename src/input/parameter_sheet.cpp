#include "input/parameter_sheet.h"

#include "numeric/number_text.h"

#include <utility>

namespace zmbr {

const std::string& ParameterSheet::text(FieldRef f) const {
    const auto i = static_cast<std::size_t>(f.field);
    return fieldSpec(f.field).perRow() ? rowTexts_[i][static_cast<std::size_t>(f.element)]
                                       : panelTexts_[i];
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
    changed(f);
}

void ParameterSheet::changed(FieldRef f) {
    switch (fieldSpec(f.field).kind) {
    case FieldKind::Text:
        input_.comment = text(f);
        return;
    case FieldKind::Number:
        fieldValue(input_, f.field, f.element + 1) =
            applyLimitRule(f.field, toFieldValue(parseNumber(text(f))));
        return;
    case FieldKind::Choice: // taken when the box loses the focus
    case FieldKind::Flag:
        return;
    }
}

void ParameterSheet::setOption(bool on) {
    option_ = on;
    input_.optionOn = on ? 1 : 0;
    if (listener_)
        listener_->optionSet(on);
}

void ParameterSheet::leaveField(FieldRef f) {
    const FieldDeclaration& entry = fieldSpec(f.field);
    switch (entry.kind) {
    case FieldKind::Text:
    case FieldKind::Flag:
        return;
    case FieldKind::Choice:
        input_.rows[static_cast<std::size_t>(f.element)].failureMode = failureModeFromText(text(f));
        return;
    case FieldKind::Number:
        break;
    }
    const float value = fieldValue(input_, f.field, f.element + 1);
    setText(f, entry.plainAfterEdit ? plainNumberText(value) : formatNumber(value, entry.pattern));
    if (f.field == PanelField::Axes && input_.axes < kMaxRows)
        clearRowsBeyondAxes();
    if (entry.fillsDown)
        fillDown(f);
}

void ParameterSheet::fillDown(FieldRef f) {
    const std::string shown = text(f);
    for (int q = f.element + 2; q <= input_.usedRows(); ++q)
        setText({f.field, q - 1}, shown);
}

// Rows beyond the whole rows in use lose their values; their failure-mode boxes stay.
void ParameterSheet::clearRowsBeyondAxes() {
    for (int r = input_.usedRows() + 1; r <= kMaxRows; ++r)
        for (const FieldDeclaration& entry : fieldRegistry())
            if (entry.perRow() && entry.kind == FieldKind::Number)
                setText({entry.field, r - 1}, "");
}

void ParameterSheet::load() {
    input_ = PanelInput::defaults();
    for (const FieldDeclaration& entry : fieldRegistry()) {
        for (int e = 0; e < (entry.perRow() ? kMaxRows : 1); ++e) {
            const FieldRef f{entry.field, e};
            switch (entry.kind) {
            case FieldKind::Text:
                setText(f, input_.comment);
                break;
            case FieldKind::Number:
                setText(f, formatNumber(fieldValue(input_, entry.field, e + 1), entry.pattern));
                break;
            case FieldKind::Choice:
                setText(f, "rupture");
                break;
            case FieldKind::Flag:
                break;
            }
        }
    }
}

} // namespace zmbr
