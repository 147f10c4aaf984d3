#pragma once
// The parameter window without the window: the text of every field and the rules that turn
// those texts into the panel's values. The window is a view of this sheet; the headless run
// and the parameter files drive the same sheet.

#include "input/field_registry.h"

#include <array>
#include <cstdint>
#include <string>

namespace zmbr {

// A field of the sheet: a panel field, or a row's field of row element + 1.
struct FieldRef {
    PanelField field;
    int element = 0; // 0..9 for a row's field, 0 otherwise
    bool operator==(const FieldRef&) const = default;
};

// Told of every text the sheet sets, so that a view can show it.
class SheetListener {
  public:
    virtual ~SheetListener() = default;
    virtual void textSet(FieldRef, const std::string& /*text*/) {}
    virtual void optionSet(bool /*on*/) {}
};

class ParameterSheet {
  public:
    // Empty texts and a zeroed panel, as before the window loads.
    ParameterSheet() = default;

    // The window's start-up: defaults into the panel, then every field's text.
    void load();

    const std::string& text(FieldRef f) const;
    // An assignment of a field's text, by the user or the program. A text that differs from
    // the current one raises the field's change handling at once; a failure mode's text
    // raises nothing.
    void setText(FieldRef f, std::string text);
    // The field loses the focus: reformat, and clear rows or fill down where the field does.
    void leaveField(FieldRef f);
    // The check box takes this state; its click handling stores it.
    void setOption(bool on);
    bool option() const { return option_; }

    PanelInput& input() { return input_; }
    const PanelInput& input() const { return input_; }

    void setListener(SheetListener* listener) { listener_ = listener; }

  private:
    void changed(FieldRef f);
    void fillDown(FieldRef f);
    void clearRowsBeyondAxes();
    std::string& textSlot(FieldRef f);

    PanelInput input_;
    std::array<std::string, kFieldCount> panelTexts_{};
    std::array<std::array<std::string, kMaxRows>, kFieldCount> rowTexts_{};
    bool option_ = false;
    SheetListener* listener_ = nullptr;
};

} // namespace zmbr
