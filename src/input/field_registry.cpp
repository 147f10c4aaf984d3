#include "input/field_registry.h"

#include <algorithm>
#include <iterator>

namespace zmbr {

namespace {

using F = PanelField;
using K = FieldKind;
using G = FieldGroup;
using L = LimitRule;
using B = FileBlock;
using P = PanelInput;
using R = ReinforcementLayer;

// clang-format off
constexpr FieldDeclaration kFields[] = {
    {F::Comment, "comment", "Comment", "",
     "A free text that names the panel; the result file repeats it on its second line.",
     K::Text, G::Comment, nullptr, nullptr, L::None, "", false, B::Head, true, 1},
    {F::Axes, "axes", "axes", "rows",
     "The number of reinforcement rows taking part: rows 1 to axes (a fraction counts its "
     "whole rows).",
     K::Number, G::Panel, &P::axes, nullptr, L::RowCount, "#####0", true, B::Head, true, 4,
     0, true},
    {F::Layer, "layer", "layer", "",
     "The number of mats through the thickness in which every row is present; it multiplies "
     "each row's reinforcement ratio.",
     K::Number, G::Panel, &P::layer, nullptr, L::AtLeastOne, "#####0", true, B::Head, true, 5,
     3, true, false, true},
    {F::T, "t", "t", "mm", "The panel's thickness.",
     K::Number, G::Panel, &P::t, nullptr, L::NotNegative, "##0.00", false, B::Head, true, 10,
     4, true, false, true},
    {F::Sm, "sm", "sm", "mm", "The spacing between two cracks over which the bond analysis "
     "works.",
     K::Number, G::Panel, &P::sm, nullptr, L::NotNegative, "##0.00", false, B::Head, true, 0,
     5, true, false, true},
    {F::Fc, "fc", "fc (-)", "N/mm²",
     "The concrete's compressive strength, entered negative.",
     K::Number, G::Concrete, &P::fc, nullptr, L::NotPositive, "##0.00", false, B::Head, true,
     8, 1, true, false, true},
    {F::EpsC, "epsC", "εc (-)", "",
     "The concrete's strain at its compressive strength, entered negative.",
     K::Number, G::Concrete, &P::epsC, nullptr, L::NotPositive, "#0.0000", false, B::Head,
     true, 9, 2, true, false, true},
    {F::Ec, "Ec", "Ec", "N/mm²",
     "The concrete's modulus; each row's modular ratio is Er / Ec.",
     K::Number, G::Concrete, &P::Ec, nullptr, L::NotNegative, "#####0", false, B::Head, true,
     0, 6, true, false, true},
    {F::TauBy, "tauBy", "τby", "N/mm²",
     "The bond stress at the knee of the bond-slip law, which stays there at larger slips.",
     K::Number, G::Bond, &P::tauBy, nullptr, L::NotNegative, "##0.00", false, B::Head, true,
     13, 8, true, false, true},
    {F::SBy, "sBy", "sby", "mm",
     "The slip at the knee of the bond-slip law: bond stress rises linearly up to it.",
     K::Number, G::Bond, &P::sBy, nullptr, L::NotNegative, "#0.0000", false, B::Head, true,
     14, 7, true, false, true},
    {F::ThetaR, "thetaR", "θr", "°",
     "The direction of the row's bars, from the x axis.",
     K::Number, G::Row, nullptr, &R::thetaR, L::Angle, "###0.0", false, B::Row, true, 0, 0,
     true, false, true},
    {F::Ar, "Ar", "Ar", "mm²", "The cross-section area of one bar of the row.",
     K::Number, G::Row, nullptr, &R::Ar, L::None, "#0.000", false, B::Row, true, 2, 2, true,
     true, true},
    {F::S, "s", "s", "mm",
     "The spacing of the row's bars, measured at right angles to them.",
     K::Number, G::Row, nullptr, &R::s, L::None, "##0.00", false, B::Row, true, 3, 1, true,
     true, true},
    {F::Fru, "fru", "fru", "N/mm²",
     "The bar strength: a rupture row breaks at it, a yield row's stress stays at it.",
     K::Number, G::Row, nullptr, &R::fru, L::None, "#####0", false, B::Row, true, 6, 0, true,
     true, true},
    {F::Er, "Er", "Er", "N/mm²", "The bar modulus.",
     K::Number, G::Row, nullptr, &R::Er, L::None, "#####0", false, B::Row, true, 7, 3, true,
     true, true},
    {F::FailureMode, "failureMode", "Yield", "",
     "How the row's bars end: \"rupture\" breaks them at fru, any other text (\"yield\") caps "
     "their stress at fru.",
     K::Choice, G::Row, nullptr, nullptr, L::None, "", false, B::Row, false, 0},
    {F::Option, "option", "Option", "",
     "The Option check box; kept in the parameter file, read by no calculation.",
     K::Flag, G::Bond, nullptr, nullptr, L::None, "", false, B::Tail, true, 15},
    {F::InitialTheta, "initialTheta", "Initial θ", "°",
     "The crack angle at which the first load step starts its search.",
     K::Number, G::Panel, &P::initialTheta, nullptr, L::Angle, "##0.00", false, B::Tail, true,
     0, 0, false, false, true},
};
// clang-format on

constexpr bool inEnumOrder() {
    for (std::size_t i = 0; i < std::size(kFields); ++i)
        if (static_cast<std::size_t>(kFields[i].field) != i)
            return false;
    return true;
}
static_assert(inEnumOrder() && std::size(kFields) == kFieldCount,
              "the registry lists every field, in the order PanelField names them");

} // namespace

std::string FieldDeclaration::nameWithUnit() const {
    return *unit ? std::string(name) + " (" + unit + ")" : std::string(name);
}

std::span<const FieldDeclaration> fieldRegistry() {
    return kFields;
}

const FieldDeclaration& fieldSpec(PanelField field) {
    return kFields[static_cast<std::size_t>(field)];
}

const FieldDeclaration* fieldNamed(std::string_view name) {
    const auto* f = std::find_if(std::begin(kFields), std::end(kFields),
                                 [name](const FieldDeclaration& s) { return name == s.name; });
    return f == std::end(kFields) ? nullptr : f;
}

float& fieldValue(PanelInput& in, PanelField field, int row) {
    const FieldDeclaration& f = fieldSpec(field);
    return f.rowValue ? in.row(row).*f.rowValue : in.*f.panelValue;
}

float fieldValue(const PanelInput& in, PanelField field, int row) {
    return fieldValue(const_cast<PanelInput&>(in), field, row);
}

float applyLimitRule(PanelField field, float v) {
    switch (fieldSpec(field).limit) {
    case LimitRule::Angle:
        return v > 180 ? 180.0f : v < 0 ? 0.0f : v;
    case LimitRule::RowCount:
        return v > 10 ? 10.0f : v < 1 ? 1.0f : v;
    case LimitRule::AtLeastOne:
        return v < 1 ? 1.0f : v;
    case LimitRule::NotNegative:
        return v < 0 ? 0.0f : v;
    case LimitRule::NotPositive:
        return v > 0 ? 0.0f : v;
    case LimitRule::None:
        break;
    }
    return v;
}

const char* displayPattern(PanelField field) {
    return fieldSpec(field).pattern;
}

} // namespace zmbr
