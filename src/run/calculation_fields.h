#pragma once
// What the calculation window and the two graph windows show, kept up to date by a run's
// reports. Recording is cheap (plain stores); the texts are formatted only when a view asks.

#include "run/graph_trace.h"
#include "run/run_observer.h"

#include <array>
#include <cstdint>
#include <string>

namespace zmbr {

// The calculation window's fields, by what they show; the window's controls are named only by
// the windows' layouts.
enum class CalcField {
    Step,
    RowRatio,       // ρ, one per row
    CrackingStrain, // εcr
    SumFriy,        // Σfriy, iteration table
    Fc2,            // iteration table
    Fx,             // iteration table
    Eps1,           // ε1
    TauXY,          // τxy
    GammaXY,        // γxy
    ConcreteStatus,
    RowStatus,   // one per row
    PassCount,   // Count: the inner pass at the current θ
    CurrentRow,  // i: the row whose stress the pass computes
    Theta,       // θ, iteration table
    TauMax,      // τxy max
    YieldLength, // ly of the yield-zone search
    Pb,          // residual of the yield-zone search
};
constexpr int kCalcFieldCount = static_cast<int>(CalcField::Pb) + 1;

// The field's name on the page, which builds its calls to the core from it.
const char* calcFieldName(CalcField f);

class CalculationFields : public RunObserver {
  public:
    // A watcher that lets the user interface in at every yieldEvery-th yield point.
    explicit CalculationFields(int yieldEvery = 1);
    // The run writes into this object's tables: it stays where it is.
    CalculationFields(const CalculationFields&) = delete;
    CalculationFields& operator=(const CalculationFields&) = delete;

    // The field's text as the window shows it; "" where it is blank.
    std::string text(CalcField f, int element = 0) const;
    // A row's status is red while its yield-zone search runs.
    bool rowSearching(int element) const { return searching_[static_cast<std::size_t>(element)]; }
    // "Cancel" until the run has completed, then "OK". The window opens with the caption the
    // run sets at its start, since the button closes the windows in either case.
    const std::string& buttonCaption() const { return caption_; }
    bool running() const { return running_; }

    GraphTrace strains{GraphKind::Strains};
    GraphTrace shearCurve{GraphKind::ShearCurve};

    void runStarted(const RunState&) override;
    void stepStarted(int step, double eps1) override;
    void tauMaxShown(double) override;
    void bondSearchStarted(int row) override;
    void bondSearchEnded(int row) override;
    void stepPlotted(int step, const GraphState&) override;
    void graphsRescaled(int step, const GraphState&) override;
    void runEnded(const RunOutcome&) override;

  private:
    // A number shown in a field, or nothing.
    struct Shown {
        bool set = false;
        double value = 0;
        void operator=(double v) {
            set = true;
            value = v;
        }
        void clear() { set = false; }
    };
    static std::string show(const Shown& s, const char* pattern);
    bool passed() const { return lastPass().count >= 0; }

    // The θ column and the pass table show the last eight iterates and passes.
    std::array<ThetaSlot, 8> theta_{};
    std::array<PassSlot, 8> passes_{};
    Shown step_, epsCr_, eps1_, tauMax_;
    PerRow<Shown> rho_{};
    PerRow<bool> searching_{};
    std::string caption_ = "Cancel";
    bool running_ = false;
};

} // namespace zmbr
