#pragma once
// What the physics of a load step tells whoever watches it: the iterates of the angle search,
// the inner passes, the rows' statuses, the yield-zone searches, and the yield points at which
// the user interface may run.

#include "solver/run_state.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <utility>

namespace zmbr {

// The values of one inner pass of the angle search.
struct InnerPass {
    int count;
    double sumFriyPrev, tauXY, fc2, fx, gammaXY;
    ConcreteStatus concrete;
};

// Every virtual method has an empty default, so an observer implements only what it shows. A
// step without an observer pays one untaken branch per report.
class StepObserver {
  public:
    virtual ~StepObserver() = default;
    virtual void bondSearchStarted(int /*row*/) {}
    virtual void bondSearchEnded(int /*row*/) {}

    // A run makes tens of thousands of angle iterates and a hundred thousand inner passes:
    // what they show is stored inline, not reported by a call. The θ column and the pass
    // table each keep their last eight rows (iterate or pass number Mod 8).
    struct PassRow {
        bool set = false;
        double sumFriyPrev = 0, fc2 = 0, fx = 0;
    };
    void thetaColumnCleared() {
        for (auto& t : theta_)
            t = {};
    }
    void thetaIterate(int thetaIter, double thetaDegrees) {
        theta_[static_cast<std::size_t>(thetaIter % 8)] = {true, thetaDegrees};
        ++thetaIterates_;
    }
    void innerPassDone(const InnerPass& p) {
        pass_ = p;
        passRows_[static_cast<std::size_t>(p.count % 8)] = {true, p.sumFriyPrev, p.fc2, p.fx};
        concrete_ = p.concrete;
        ++innerPasses_;
    }
    void concreteStatusShown(ConcreteStatus s) { concrete_ = s; }
    void clearPassTable() {
        for (auto& r : passRows_)
            r = {};
    }
    // The θ of an iterate row, if set.
    const std::pair<bool, double>& theta(int element) const {
        return theta_[static_cast<std::size_t>(element)];
    }
    const PassRow& passRow(int element) const {
        return passRows_[static_cast<std::size_t>(element)];
    }
    // The latest pass; count is -1 before the first.
    const InnerPass& lastPass() const { return pass_; }
    ConcreteStatus concreteStatus() const { return concrete_; }
    long thetaIterates() const { return thetaIterates_; }
    long innerPasses() const { return innerPasses_; }

    // The rows' statuses change with every inner pass, so they are stored inline too: one
    // row's, or all of them at the end of a pass.
    void rowStatusShown(int row, RowStatus s) { rowStatus_[static_cast<std::size_t>(row - 1)] = s; }
    void rowStatusesShown(const PerRow<RowStatus>& statuses) { rowStatus_ = statuses; }
    RowStatus rowStatus(int element) const { return rowStatus_[static_cast<std::size_t>(element)]; }

    // The row whose stress the inner pass computes. It changes for every row of every pass,
    // so it is stored inline rather than reported by a call.
    void rowStarted(int row) { row_ = row; }
    int row() const { return row_; }

    // The latest iterate of a yield-zone search: ly and its residual Pb. A run takes thousands
    // of them, so they too are stored inline; hasSearchIterate() is false between searches.
    void bondSearchIterate(double ly, double pb) {
        searchLy_ = ly;
        searchPb_ = pb;
        searchIterated_ = true;
    }
    bool hasSearchIterate() const { return searchIterated_; }
    double searchLy() const { return searchLy_; }
    double searchPb() const { return searchPb_; }

    // The run passes a yield point tens of millions of times a second: the count stays
    // inline, and only every yieldEvery-th point reaches yieldNow. True where it did.
    bool yieldPoint() {
        if (--untilYield_ > 0)
            return false;
        untilYield_ = yieldEvery_;
        yieldNow();
        return true;
    }

    // Passes n yield points at once, where none of them would let the user interface in: true
    // when they are passed; false when one of them would, and the caller takes them one by one.
    bool passYieldPoints(int n) {
        if (untilYield_ <= n)
            return false;
        untilYield_ -= n;
        return true;
    }

  protected:
    explicit StepObserver(int yieldEvery = 1) : yieldEvery_(yieldEvery), untilYield_(yieldEvery) {}
    // The user interface may process its pending events here.
    virtual void yieldNow() {}
    void clearSearchIterate() { searchIterated_ = false; }

  private:
    std::array<std::pair<bool, double>, 8> theta_{};
    std::array<PassRow, 8> passRows_{};
    InnerPass pass_{-1, 0, 0, 0, 0, 0, ConcreteStatus::Blank};
    ConcreteStatus concrete_ = ConcreteStatus::Blank;
    long thetaIterates_ = 0, innerPasses_ = 0;
    int row_ = 0;
    PerRow<RowStatus> rowStatus_{};
    bool searchIterated_ = false;
    double searchLy_ = 0, searchPb_ = 0;
    int yieldEvery_;
    int untilYield_;
};

// Set from the user interface (or another thread) to stop the run at its next yield point
// that lets the user interface in (every point where the run has no observer).
using CancelFlag = std::atomic<bool>;

// Thrown at a yield point once the flag is set; the run ends as cancelled.
struct CancelRequested {};

} // namespace zmbr
