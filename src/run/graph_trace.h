#pragma once
// What one graph window has drawn: a first point, then a line to each later point, in the
// coordinate system of its last redraw.

#include "run/graph_scale.h"

#include <string>
#include <utility>
#include <vector>

namespace zmbr {

enum class GraphKind {
    Strains,    // ε1-ε2: x = ε1, y = ε2
    ShearCurve, // τ-γ: x = γxy, y = τxy
};

struct GraphTrace {
    GraphKind kind = GraphKind::Strains;
    // The surface spans x from 0 to xLim and y from yLim (bottom edge) to 0 (top edge); a
    // value y is drawn at yLim - y.
    double xLim = 1e-5, yLim = -1e-5;
    std::vector<std::pair<double, double>> points;
    // The full-scale fields, which a redraw sets: empty before the first. Formatted when a
    // view asks: a run redraws dozens of times between two looks.
    std::string xScaleText() const;
    std::string yScaleText() const;

    explicit GraphTrace(GraphKind k = GraphKind::Strains);

    // The step's point: a single point at step 1, else a line from the last point drawn.
    void plotStep(int step, const GraphState& g);
    // Clears the surface and draws from the origin through the history up to step - 1.
    void redraw(int step, const GraphState& g);

  private:
    int redrawnAt_ = -1;  // the step of the last redraw, -1 before the first
    bool scaled_ = false; // a redraw has set the full-scale fields
};

} // namespace zmbr
