#pragma once
// The report from the windows: after a run, the calculation window's context menu offers
// "Save report...", which writes the report of that run as a PDF file. The window's own
// controls stay as they are.

#include "input/parameter_sheet.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "report/calculation_report.h"
#include "ui/run_windows.h"

#include <optional>
#include <string>

class QWidget;

namespace zmbr::ui {

// The report of the run the windows show, with the panel as the parameter window holds it.
ReportDocument reportOfWindows(const RunWindows& runs, const ParameterSheet& sheet, FileSystem& fs,
                               const Clock& clock, const SignOff& signOff = {});

// Writes that report to `pdfPath`; 0 or the errno of the failure.
int saveReportOfWindows(const RunWindows& runs, const ParameterSheet& sheet, FileSystem& fs,
                        const Clock& clock, const std::string& pdfPath,
                        const SignOff& signOff = {});

// The names the report is signed under, asked for in a small dialog that offers the last ones
// given (kept in the user's settings); nothing when the dialog is cancelled.
std::optional<SignOff> askSignOff(QWidget* parent);

// Adds the context menu's action to the calculation window, enabled once the run has ended.
void offerReport(RunWindows& runs, const ParameterSheet& sheet, FileSystem& fs, const Clock& clock);

} // namespace zmbr::ui
