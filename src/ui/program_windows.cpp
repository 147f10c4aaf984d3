#include "ui/program_windows.h"

#include "ui/report_action.h"

namespace zmbr::ui {

ProgramWindows::ProgramWindows(FileSystem& fs, const Clock& clock)
    : fs_(fs), clock_(clock), form1_(sheet_, fs) {
    QObject::connect(&form1_, &Form1::executeReady, &form1_, [this] { execute(); });
}

// Execute's last steps: hide the parameter window, load and show the run windows.
void ProgramWindows::execute() {
    if (runs_)
        return; // the last run is still winding down
    form1_.hide();
    runs_ = new RunWindows(sheet_.input(), fs_, clock_);
    // Owned by the parameter window too, so windows whose disposal is still pending go with it.
    runs_->setParent(&form1_);
    QObject::connect(runs_, &RunWindows::closed, &form1_, [this] { runWindowsClosed(); });
    offerReport(*runs_, sheet_, fs_, clock_);
    runs_->open();
}

void ProgramWindows::runWindowsClosed() {
    form1_.show();
    RunWindows* done = runs_;
    // The windows go once no run is left on the stack.
    auto dispose = [this, done] {
        done->deleteLater();
        runs_ = nullptr;
    };
    if (!done->runStarted() || done->runEnded())
        dispose();
    else
        QObject::connect(done, &RunWindows::finished, done, dispose);
}

} // namespace zmbr::ui
