#pragma once
// A panel's whole state (every field's text, the check box and the values behind them) as
// plain values, so that a panel pickles and comes back exactly as it was.

#include "input/parameter_sheet.h"

#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace zmbr::python {

// A field's entry in the registry.
using FieldEntry = std::remove_cvref_t<decltype(fieldRegistry().front())>;

struct SheetState {
    std::vector<std::string> texts; // every field's text but the check box's, registry order
    bool option = false;
    std::string comment, paramFileName, outputFileName;
    std::vector<float> values; // the panel's numbers, then each row's
    std::vector<int> modes;    // each row's failure mode
    int optionOn = 0;
};

SheetState sheetState(const ParameterSheet& sheet);
ParameterSheet sheetFromState(const SheetState& state);

// Types the text into the field as a user types it and leaves the field (reformatting, rows
// cleared by axes, fill-down). A number field takes only a number: for any other text the
// sheet stays as it was and the words of the refusal come back.
std::optional<std::string> typeField(ParameterSheet& sheet, const FieldEntry& entry, int element,
                                     const std::string& text);

} // namespace zmbr::python
