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
    // what they show is stored inline, not reported by a call. A view that shows the recent
    // ones hands rings to keep them in (keepRecent); iterate or pass number k goes to slot
    // k Mod the ring's size.
    struct ThetaSlot {
        bool set = false;
        double degrees = 0;
    };
    struct PassSlot {
        bool set = false;
        double sumFriyPrev = 0, fc2 = 0, fx = 0;
    };
    // A new step's angle search begins: the recent iterates are the last step's no more.
    void thetaColumnCleared() {
        for (std::size_t k = 0; thetaRing_ && k <= thetaMask_; ++k)
            thetaRing_[k] = {};
    }
    void thetaIterate(int thetaIter, double thetaDegrees) {
        if (thetaRing_)
            thetaRing_[static_cast<std::size_t>(thetaIter) & thetaMask_] = {true, thetaDegrees};
        ++thetaIterates_;
    }
    void innerPassDone(const InnerPass& p) {
        pass_ = p;
        if (passRing_)
            passRing_[static_cast<std::size_t>(p.count) & passMask_] = {true, p.sumFriyPrev, p.fc2,
                                                                        p.fx};
        concrete_ = p.concrete;
        ++innerPasses_;
    }
    void concreteStatusShown(ConcreteStatus s) { concrete_ = s; }
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
    // The rings of recent iterates and passes, each of a power-of-two size, which the view
    // owns and which outlive the run.
    template <std::size_t N, std::size_t M>
    void keepRecent(std::array<ThetaSlot, N>& theta, std::array<PassSlot, M>& passes) {
        static_assert(N > 0 && (N & (N - 1)) == 0 && M > 0 && (M & (M - 1)) == 0,
                      "rings of a power-of-two size");
        thetaRing_ = theta.data();
        thetaMask_ = N - 1;
        passRing_ = passes.data();
        passMask_ = M - 1;
    }
    // The user interface may process its pending events here.
    virtual void yieldNow() {}
    void clearSearchIterate() { searchIterated_ = false; }

  private:
    ThetaSlot* thetaRing_ = nullptr;
    std::size_t thetaMask_ = 0;
    PassSlot* passRing_ = nullptr;
    std::size_t passMask_ = 0;
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
