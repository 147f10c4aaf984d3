#pragma once
// The parameter window without the window: the text of every field and the rules that turn
// those texts into the panel's values. The window is a view of this sheet; the headless run
// and the parameter files drive the same sheet.

#include "input/panel_input.h"

#include <array>
#include <cstdint>
#include <string>

namespace zmbr {

// The window's controls by their names. Text2, Text3, Text6, Text7, Text15 and Combo1 are
// control arrays with one element per row (element r - 1 for row r).
enum class Control : std::uint8_t {
    Text1,  // comment
    Text2,  // Ar
    Text3,  // s
    Text4,  // axes
    Text5,  // layer
    Text6,  // fru
    Text7,  // Er
    Text8,  // fc
    Text9,  // epsC
    Text10, // t
    Text11, // sm
    Text12, // Ec
    Text13, // tauBy
    Text14, // sBy
    Text15, // thetaR
    Text16, // initialTheta
    Combo1, // failure mode text
};

struct FieldRef {
    Control control;
    int element = 0; // 0..9 for the row arrays, 0 otherwise
    bool operator==(const FieldRef&) const = default;
};

bool isRowControl(Control c);

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
    // the current one raises the field's change handling at once; a Combo1 text raises
    // nothing.
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
    std::array<std::string, 17> panelTexts_{};
    std::array<std::array<std::string, kMaxRows>, 17> rowTexts_{};
    bool option_ = false;
    SheetListener* listener_ = nullptr;
};

} // namespace zmbr
