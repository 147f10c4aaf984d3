#pragma once
// The three run windows of one Execute: placed and shown together, the analysis run on the
// calculation window's first activation, and closed by its button.

#include "input/panel_input.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "run/calculation_fields.h"
#include "ui/form2.h"
#include "ui/graph_window.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

namespace zmbr::ui {

class RunWindows : public QObject {
    Q_OBJECT

  public:
    RunWindows(PanelInput& input, FileSystem& fs, const Clock& clock);
    ~RunWindows() override;

    // Places the windows as the set-up says and shows the τ-γ, ε1-ε2 and calculation
    // windows in that order. The run starts when the calculation window is first activated.
    void open();

    Form2* form2() const { return form2_.get(); }
    GraphWindow* form3() const { return form3_.get(); }
    GraphWindow* form4() const { return form4_.get(); }
    QWidget* form5() const { return form5_.get(); }
    const CalculationFields& fields() const;
    bool runStarted() const { return started_; }
    bool runEnded() const { return ended_; }
    const RunOutcome& outcome() const { return outcome_; }
    double runSeconds() const { return runSeconds_; } // the run alone, windows included

    // The button (or a close box): stops a run going on, closes the windows.
    void pressButton();

    std::chrono::milliseconds refreshInterval{15};

  signals:
    void closed();   // the windows are gone: show the parameter window
    void finished(); // the run has ended, whatever the way

  private:
    class LiveObserver;
    void run();
    void refreshViews();

    PanelInput& input_;
    FileSystem& fs_;
    const Clock& clock_;
    std::unique_ptr<LiveObserver> observer_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<GraphWindow> form3_, form4_;
    std::unique_ptr<QWidget> form5_;
    CancelFlag cancel_{false};
    bool started_ = false, ended_ = false, closing_ = false;
    RunOutcome outcome_;
    double runSeconds_ = 0;
};

} // namespace zmbr::ui
