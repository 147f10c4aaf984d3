#include "input/panel_input.h"
#include "numeric/number_text.h"
#include "run/execute_command.h"
#include "run/result_file.h"

#include <gtest/gtest.h>

namespace zmbr {
namespace {

struct LimitCase {
    PanelField field;
    const char* typed;
    float stored;
};

// What a field stores for a typed text: parse, then its limit rule.
TEST(PanelInput, LimitRulesOfTypedTexts) {
    const LimitCase cases[] = {
        {PanelField::Axes, "12", 10},       {PanelField::Axes, "0", 1},
        {PanelField::Axes, "3.5", 3.5f},    {PanelField::Axes, "abc", 1},
        {PanelField::Layer, "", 1},         {PanelField::Layer, "250", 250},
        {PanelField::T, "-5", 0},           {PanelField::Sm, "-1", 0},
        {PanelField::Ec, "-24000", 0},      {PanelField::TauBy, "-15", 0},
        {PanelField::SBy, "-0.1", 0},       {PanelField::Fc, "5", 0},
        {PanelField::Fc, "-30", -30},       {PanelField::EpsC, "0.002", 0},
        {PanelField::ThetaR, "200", 180},   {PanelField::ThetaR, "-10", 0},
        {PanelField::ThetaR, "180", 180},   {PanelField::InitialTheta, "200", 180},
        {PanelField::InitialTheta, "0", 0}, {PanelField::Ar, "-2.5", -2.5f},
        {PanelField::S, "-10", -10},        {PanelField::Fru, "x", 0},
        {PanelField::Er, "-1", -1},         {PanelField::Axes, "10.5", 10},
        {PanelField::Axes, "1.5", 1.5f},    {PanelField::Layer, "1.5", 1.5f},
        {PanelField::ThetaR, "0.5", 0.5f},  {PanelField::InitialTheta, "180.5", 180},
        {PanelField::T, "0.5", 0.5f},       {PanelField::EpsC, "-0.5", -0.5f},
    };
    for (const LimitCase& c : cases)
        EXPECT_EQ(applyLimitRule(c.field, toFieldValue(parseNumber(c.typed))), c.stored) << c.typed;
}

TEST(Execute, ResultFileNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "default.TGC"},
        {"/data/panel.mbr", "/data/panel.TGC"},
        {"/data/panel.TGC", "/data/panel.TGC"},
        {"/data/panel", "/data/paTGC"},
        {"/data/パネル.mbr", "/data/パネル.TGC"},
        {"/data/パネル", "/data/TGC"},
        {"abc", "TGC"},
        {"ab", "ab.TGC"},
        {"x", "x.TGC"},
    };
    for (const auto& [name, result] : cases)
        EXPECT_EQ(resultFileName(name), result) << name;
}

TEST(Execute, RefusesPanelsThatCannotBeComputed) {
    struct Case {
        void (*spoil)(PanelInput&);
        const char* message;
    };
    const Case cases[] = {
        {[](PanelInput& p) { p.fc = 0; }, "The analysis cannot start: fc (-) is 0."},
        {[](PanelInput& p) { p.epsC = 0; }, "The analysis cannot start: εc (-) is 0."},
        {[](PanelInput& p) { p.layer = 0; }, "The analysis cannot start: layer is 0."},
        {[](PanelInput& p) { p.t = 0; }, "The analysis cannot start: t is 0."},
        {[](PanelInput& p) { p.sm = 0; }, "The analysis cannot start: sm is 0."},
        {[](PanelInput& p) { p.Ec = 0; }, "The analysis cannot start: Ec is 0."},
        {[](PanelInput& p) { p.sBy = 0; }, "The analysis cannot start: sby is 0."},
        {[](PanelInput& p) { p.tauBy = 0; }, "The analysis cannot start: τby is 0."},
        {[](PanelInput& p) { p.row(4).s = 0; }, "The analysis cannot start: s of row 4 is 0."},
        {[](PanelInput& p) { p.row(1).Ar = 0; }, "The analysis cannot start: Ar of row 1 is 0."},
        {[](PanelInput& p) { p.row(10).Er = 0; }, "The analysis cannot start: Er of row 10 is 0."},
    };
    EXPECT_FALSE(refusalReason(PanelInput::defaults()).has_value());
    for (const Case& c : cases) {
        PanelInput p = PanelInput::defaults();
        c.spoil(p);
        EXPECT_EQ(refusalReason(p).value_or(Failure{"accepted"}).message, c.message);
    }
    PanelInput p = PanelInput::defaults();
    p.axes = 3;
    p.row(4).s = 0; // beyond axes: not used, not refused
    EXPECT_FALSE(refusalReason(p).has_value());
}

} // namespace
} // namespace zmbr
