#pragma once
// Every parameter of the panel and of a reinforcement row, declared once: its name, what the
// window shows, what it means, the value it sets, its limit rule and display pattern, where it
// stands in each parameter file layout and what Execute does with it. The parameter sheet, the
// file reader and writer, Execute, the report, --vary, --help and the page iterate this table;
// none of them lists the fields again.

#include "input/panel_input.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zmbr {

// The kind of control that edits a field.
enum class FieldKind : std::uint8_t {
    Text,   // free text (the comment)
    Number, // a number text, parsed and brought into range at every edit
    Choice, // "rupture" or any other text (yield)
    Flag,   // the check box
};

// What an edit's freshly parsed value is brought into (the upper limit first, then the lower).
enum class LimitRule : std::uint8_t {
    None,
    Angle,       // 0 to 180 degrees
    RowCount,    // 1 to 10
    AtLeastOne,  // 1 or more
    NotNegative, // 0 or more
    NotPositive, // 0 or less: compressions
};

// The part of the window, and of the report, a field belongs to.
enum class FieldGroup : std::uint8_t { Comment, Panel, Concrete, Bond, Row };

// Where a field's line stands in a parameter file: before the row blocks, in each row's block,
// or after them.
enum class FileBlock : std::uint8_t { Head, Row, Tail };

struct FieldDeclaration {
    PanelField field;
    const char* name;    // as the command line, studies and the page name it: "fc", "Ar"
    const char* caption; // as the window labels it: "fc (-)", "θr"
    const char* unit;    // "N/mm²", "°"; "" for a count, a strain or a text
    const char* meaning; // one sentence, for --help, the report and the page
    FieldKind kind;
    FieldGroup group;
    float PanelInput::*panelValue = nullptr;       // the value a panel number sets
    float ReinforcementLayer::*rowValue = nullptr; // the value a row number sets
    LimitRule limit = LimitRule::None;
    const char* pattern = "";          // the display pattern (at start-up, and after an edit)
    bool plainAfterEdit = false;       // after an edit shown as plain number text instead
    FileBlock block = FileBlock::Head; // within a block, the fields stand in the registry's order
    bool inVersion2 = true;            // the version-2 layout holds it
    int headerlessLine = 0; // the line of a headerless file holding its text; 0: worked out
    int zeroRefused = 0;    // Execute refuses a 0: its place in the order of the checks; 0 if not
    bool executeRereads = false; // Execute reads the value again from the field's text
    bool fillsDown = false;      // leaving a row's field copies its text to the used rows below
    bool varies = false;         // a study may vary it (--vary)

    bool perRow() const { return group == FieldGroup::Row; }
    // "fc (N/mm²)"; the name alone where there is no unit.
    std::string nameWithUnit() const;
};

// The fields in the order of a version-3 parameter file, which is the window's order too.
std::span<const FieldDeclaration> fieldRegistry();
const FieldDeclaration& fieldSpec(PanelField field);
// The field of that name ("fc", "Ar"), or null.
const FieldDeclaration* fieldNamed(std::string_view name);

// The number a Number field of row `row` (1..10; ignored for a panel field) holds.
float& fieldValue(PanelInput& in, PanelField field, int row = 1);
float fieldValue(const PanelInput& in, PanelField field, int row = 1);

} // namespace zmbr
