#pragma once
// The program's windows: the parameter window for the program's life, and for each Execute
// a fresh set of run windows whose button brings the parameter window back.

#include "input/parameter_sheet.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "ui/form1.h"
#include "ui/run_windows.h"

#include <QPointer>

namespace zmbr::ui {

class ProgramWindows {
  public:
    ProgramWindows(FileSystem& fs, const Clock& clock);

    ParameterSheet& sheet() { return sheet_; }
    Form1& form1() { return form1_; }
    // The run windows of the last Execute, until they have closed and the run has ended.
    RunWindows* runs() const { return runs_; }

  private:
    void execute();
    void runWindowsClosed();

    FileSystem& fs_;
    const Clock& clock_;
    ParameterSheet sheet_; // the program's one parameter set
    Form1 form1_;
    QPointer<RunWindows> runs_;
};

} // namespace zmbr::ui
