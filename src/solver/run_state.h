#pragma once
// The state of one analysis run and of its current load step.

#include "solver/run_parameters.h"

#include <array>
#include <string>

namespace zmbr {

enum class RowStatus : unsigned char { Blank, Ok, Rpt, Yld };
enum class ConcreteStatus : unsigned char { Blank, Ok, NG };

// "OK", "RPT", "YLD", or "" for a field not yet written.
const char* statusText(RowStatus s);
const char* statusText(ConcreteStatus s);
// The status a text names; Blank for any other text.
RowStatus rowStatusOf(const std::string& text);
ConcreteStatus concreteStatusOf(const std::string& text);

// Per row values; index r - 1 holds row r.
template <typename T> using PerRow = std::array<T, kMaxRows>;

// One load step: the angle search and its inner equilibrium iteration.
struct StepState {
    double theta = 0;  // principal compressive direction, radians
    int thetaIter = 0; // θ iterates so far
    int searchDir = 1; // direction of the next θ change
    int reversals = 0; // reversals of searchDir
    double fx = 0, fxPrev = 0;
    int count = 0; // inner pass number
    double sumFriy = 0, sumFriyPrev = 0, sumFrix = 0;
    double fc1 = 0, tauXY = 0, fc2 = 0, fc2max = 0;
    ConcreteStatus concreteStatus = ConcreteStatus::Blank;
    double eps2 = 0, epsX = 0, epsY = 0, fcx = 0, gammaXY = 0;
    PerRow<double> psi{}, epsR{}, fr{}, frX{}, frY{};
};

// The bond analysis of one row at the cracks.
struct BondRowState {
    double frCr = 0;   // bar stress at the crack
    double epsRcr = 0; // bar strain at the crack
    double lyRow = 0;  // yield-zone length of the last search, start of the next
};

// The largest step that may run: a result file holds at most this many step lines.
inline constexpr int kStepLimit = 10000;

struct RunState {
    int rows = 0; // rows in use, 1..floor(axes)
    int step = 0;
    double eps1 = 0;
    double dEps1 = 1e-5;
    double tolFriy = 0.1;
    int maxSteps = kStepLimit;
    int runEnd = 0;
    double ft = 0, epsCr = 0;
    double thetaStart = 0;
    double tauPrev = 0, tauMax = 0;

    PerRow<RowStatus> rowType{}; // Rpt for rupture rows, Yld for yield rows
    PerRow<int> yielded{};
    PerRow<Single> rhoR{};
    PerRow<double> rhoX{}, rhoY{};
    double sumRhoX = 0, sumRhoY = 0;

    StepState stepState;
    PerRow<BondRowState> bond{};
    long bondIterations = 0; // yield-zone iterations of the current step

    // What the calculation window's status fields hold now.
    ConcreteStatus concreteStatus = ConcreteStatus::Blank;
    PerRow<RowStatus> rowStatus{};
};

} // namespace zmbr
