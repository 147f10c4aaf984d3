#pragma once
// The parameter set of one panel: its concrete, its reinforcement rows and the bond data.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zmbr {

inline constexpr int kMaxRows = 10;

enum class FailureMode : std::int16_t { Rupture = 1, Yield = 2 };

struct ReinforcementLayer {
    float thetaR = 0; // bar direction from the x axis, degrees (radians during a run)
    float Ar = 0;     // area of one bar, mm²
    float s = 0;      // spacing of the bars at right angles to them, mm
    float fru = 0;    // bar strength, N/mm²
    float Er = 0;     // bar modulus, N/mm²
    FailureMode failureMode = FailureMode::Rupture;
    float modularRatio = 0; // Er / Ec, set when an analysis starts
};

struct PanelInput {
    std::string comment;
    float axes = 0;  // rows in use; may be fractional, loops run over 1..floor(axes)
    float layer = 0; // mats through the thickness
    float fc = 0;    // concrete strength, negative
    float epsC = 0;  // strain at fc, negative
    float t = 0;     // thickness, mm
    float sm = 0;    // spacing used by the bond analysis, mm
    float Ec = 0;
    float tauBy = 0; // bond law: stress at the knee
    float sBy = 0;   // bond law: slip at the knee
    std::int16_t optionOn = 0;
    std::string paramFileName;
    std::string outputFileName;
    float initialTheta = 0; // degrees
    std::array<ReinforcementLayer, kMaxRows> rows{};

    // Rows are numbered 1..10 everywhere.
    ReinforcementLayer& row(int r) { return rows[static_cast<std::size_t>(r - 1)]; }
    const ReinforcementLayer& row(int r) const { return rows[static_cast<std::size_t>(r - 1)]; }

    // Number of whole rows taking part: 1..floor(axes), at most 10.
    int usedRows() const;

    // The defaults the parameter window starts with.
    static PanelInput defaults();
};

// Every field a user edits, in the order of a version-3 parameter file (the registry in
// input/field_registry.h says what each is).
enum class PanelField : std::uint8_t {
    Comment,
    Axes,
    Layer,
    T,
    Sm,
    Fc,
    EpsC,
    Ec,
    TauBy,
    SBy,
    ThetaR, // the row fields
    Ar,
    S,
    Fru,
    Er,
    FailureMode,
    Option,
    InitialTheta,
};
inline constexpr std::size_t kFieldCount = static_cast<std::size_t>(PanelField::InitialTheta) + 1;

// Brings a freshly parsed value into the field's range (upper limit first, then lower).
float applyLimitRule(PanelField field, float value);

// The pattern a field is shown with at start-up and after it loses focus.
const char* displayPattern(PanelField field);

// "rupture" exactly gives rupture; any other text gives yield.
FailureMode failureModeFromText(const std::string& text);

} // namespace zmbr
