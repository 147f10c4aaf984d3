#pragma once
// What Execute does before a run starts: settle and test the result file, re-read the
// fields, derive each used row's failure mode and modular ratio, and refuse panels that
// cannot be computed.

#include "input/panel_input.h"
#include "platform/failure.h"
#include "platform/file_system.h"
#include "run/run_end.h"

#include <array>
#include <optional>
#include <string>

namespace zmbr {

// Writes the single line "Test output" into the result file and closes it; 0 or an errno.
int writeTestOutput(FileSystem& fs, const std::string& path);

// Why the panel cannot be analysed (a field that is 0 but divides), or nothing.
std::optional<Failure> refusalReason(const PanelInput& in);

// For rows 1..floor(axes): failure mode from the drop-down text, modular ratio Er / Ec.
void deriveRowValues(PanelInput& in, const std::array<std::string, kMaxRows>& failureTexts);

class ParameterSheet;

// Why Execute did not start the run: the text of its "Error" box.
struct ExecuteRefusal : Failure {
    RunEnd end; // ResultUnwritable: the test write failed; Refused: a field would divide by 0
};

// The values a run computes with: the fields Execute reads again from their texts, and each
// used row's failure mode and modular ratio.
void rereadFields(ParameterSheet& sheet);

// Execute up to the start of the run, as the window and the batch both do it.
std::optional<ExecuteRefusal> prepareExecute(ParameterSheet& sheet, FileSystem& fs);

} // namespace zmbr
