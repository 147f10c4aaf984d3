#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"
#include "run/execute_command.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace zmbr {
namespace {

constexpr PanelField kRowColumns[] = {PanelField::ThetaR, PanelField::Ar, PanelField::S,
                                      PanelField::Fru, PanelField::Er};

// What a field stores while typed, and what it shows and stores once left.
TEST(ParameterSheet, TypingAndLeavingAField) {
    struct Case {
        FieldRef field;
        const char* typed;
        float whileTyping;
        const char* shown;
        float stored;
        std::function<float(const PanelInput&)> value;
    };
    using P = const PanelInput&;
    auto axes = [](P p) { return p.axes; };
    auto ar1 = [](P p) { return p.row(1).Ar; };
    auto epsC = [](P p) { return p.epsC; };
    auto thetaR3 = [](P p) { return p.row(3).thetaR; };
    auto theta = [](P p) { return p.initialTheta; };
    const Case cases[] = {
        {{PanelField::Axes}, "12", 10, "10", 10, axes},
        {{PanelField::Axes}, "3.5", 3.5f, "3.5", 3.5f, axes},
        {{PanelField::Layer}, "2.50", 2.5f, "2.5", 2.5f, [](P p) { return p.layer; }},
        {{PanelField::Ar}, "1.23456", 1.23456f, "1.235", 1.235f, ar1},
        {{PanelField::Ar}, "-4", -4, "-4.000", -4, ar1},
        {{PanelField::T}, "-5", 0, "0.00", 0, [](P p) { return p.t; }},
        {{PanelField::Fc}, "5", 0, "0.00", 0, [](P p) { return p.fc; }},
        {{PanelField::EpsC}, "-0.00234", -0.00234f, "-0.0023", -0.0023f, epsC},
        {{PanelField::ThetaR, 2}, "200", 180, "180.0", 180, thetaR3},
        {{PanelField::InitialTheta}, "-10", 0, "0.00", 0, theta},
        {{PanelField::Ec}, "", 0, "0", 0, [](P p) { return p.Ec; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ParameterSheet sheet = test::loadedSheet();
        sheet.setText(c.field, c.typed);
        EXPECT_EQ(sheet.text(c.field), c.typed);
        EXPECT_FLOAT_EQ(c.value(sheet.input()), c.whileTyping);
        sheet.leaveField(c.field);
        EXPECT_EQ(sheet.text(c.field), c.shown);
        EXPECT_FLOAT_EQ(c.value(sheet.input()), c.stored);
    }
}

TEST(ParameterSheet, RowsBeyondAxesAreClearedAndStayCleared) {
    ParameterSheet sheet = test::loadedSheet();
    sheet.setText({PanelField::FailureMode, 6}, "yield");
    test::typeAndLeave(sheet, {PanelField::Axes}, "4");
    for (int e = 0; e < kMaxRows; ++e)
        for (PanelField c : kRowColumns)
            EXPECT_EQ(sheet.text({c, e}).empty(), e >= 4);
    EXPECT_EQ(sheet.input().row(5).Er, 0);
    EXPECT_EQ(sheet.input().row(10).thetaR, 0);
    EXPECT_EQ(sheet.text({PanelField::FailureMode, 6}), "yield");
    EXPECT_EQ(sheet.text({PanelField::FailureMode, 9}), "rupture");

    test::typeAndLeave(sheet, {PanelField::Axes}, "10");
    EXPECT_EQ(sheet.text({PanelField::Ar, 4}), "");

    // A fractional count keeps its whole rows.
    ParameterSheet fractional = test::loadedSheet();
    test::typeAndLeave(fractional, {PanelField::Axes}, "2.7");
    EXPECT_EQ(fractional.text({PanelField::Axes}), "2.7");
    EXPECT_EQ(fractional.text({PanelField::Ar, 1}), "1.000");
    EXPECT_EQ(fractional.text({PanelField::Ar, 2}), "");
}

TEST(ParameterSheet, FillDownReachesTheRowsInUseOnly) {
    ParameterSheet sheet = test::loadedSheet();
    test::typeAndLeave(sheet, {PanelField::Axes}, "6");
    test::typeAndLeave(sheet, {PanelField::Ar, 2}, "2.5");
    for (int e = 0; e < kMaxRows; ++e) {
        const char* expected = e >= 2 && e < 6 ? "2.500" : (e < 2 ? "1.000" : "");
        EXPECT_EQ(sheet.text({PanelField::Ar, e}), expected) << e;
    }
    EXPECT_FLOAT_EQ(sheet.input().row(6).Ar, 2.5f);
    // No fill-down for the angle.
    test::typeAndLeave(sheet, {PanelField::ThetaR, 0}, "30");
    EXPECT_EQ(sheet.text({PanelField::ThetaR, 1}), "0.0");
}

TEST(ParameterSheet, CheckBoxAndFailureModeBox) {
    ParameterSheet sheet = test::loadedSheet();
    sheet.setOption(true);
    EXPECT_EQ(sheet.input().optionOn, 1);
    sheet.setOption(false);
    EXPECT_EQ(sheet.input().optionOn, 0);

    sheet.setText({PanelField::FailureMode, 1}, "yield");
    EXPECT_EQ(sheet.input().row(2).failureMode, FailureMode::Rupture); // raises nothing
    sheet.leaveField({PanelField::FailureMode, 1});
    EXPECT_EQ(sheet.input().row(2).failureMode, FailureMode::Yield);
}

// A view that shows every text it is told of shows the sheet, from the start-up on.
TEST(ParameterSheet, ListenerSeesEveryTextTheSheetSets) {
    struct Mirror : SheetListener {
        std::map<std::pair<PanelField, int>, std::string> shown;
        std::vector<FieldRef> told;
        void textSet(FieldRef f, const std::string& t) override {
            shown[{f.field, f.element}] = t;
            told.push_back(f);
        }
    } mirror;
    ParameterSheet sheet;
    sheet.setListener(&mirror);
    sheet.load();
    std::size_t fields = 0;
    for (const FieldDeclaration& entry : fieldRegistry())
        for (int e = 0; e < (entry.perRow() ? kMaxRows : 1) && entry.kind != FieldKind::Flag;
             ++e, ++fields)
            EXPECT_EQ(mirror.shown[std::make_pair(entry.field, e)], sheet.text({entry.field, e}))
                << entry.name << ' ' << e;
    EXPECT_EQ(mirror.shown.size(), fields);

    mirror.told.clear();
    test::typeAndLeave(sheet, {PanelField::Axes}, "9");
    // The typed text, the same text on leaving (not set again), then row 10 emptied.
    ASSERT_EQ(mirror.told.size(), 1u + 5u);
    EXPECT_EQ(mirror.told[1], (FieldRef{PanelField::ThetaR, 9}));
    EXPECT_EQ(mirror.told[5], (FieldRef{PanelField::Er, 9}));
    EXPECT_EQ(mirror.shown[std::make_pair(PanelField::Axes, 0)], "9");
}

TEST(Execute, RereadsTheFieldsAndTestsTheResultFile) {
    ParameterSheet sheet = test::loadedSheet();
    test::typeAndLeave(sheet, {PanelField::Axes}, "3");
    sheet.setText({PanelField::FailureMode, 1}, "yield"); // chosen, never left
    sheet.setText({PanelField::FailureMode, 2}, "Rupture");
    sheet.input().row(5).modularRatio = 7; // beyond axes: kept
    test::MemoryFileSystem fs;
    EXPECT_FALSE(prepareExecute(sheet, fs).has_value());
    const PanelInput& in = sheet.input();
    EXPECT_EQ(in.outputFileName, "default.TGC");
    EXPECT_EQ(fs.files.at("default.TGC"), "Test output\r\n");
    EXPECT_EQ(in.row(1).failureMode, FailureMode::Rupture);
    EXPECT_EQ(in.row(2).failureMode, FailureMode::Yield);
    EXPECT_EQ(in.row(3).failureMode, FailureMode::Yield);
    EXPECT_FLOAT_EQ(in.row(1).modularRatio, 1.4583334f);
    EXPECT_EQ(in.row(5).modularRatio, 7);

    // A field that divides is refused after the re-read.
    test::typeAndLeave(sheet, {PanelField::Ec}, "0");
    const auto refusal = prepareExecute(sheet, fs);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->end, RunEnd::Refused);
    EXPECT_EQ(refusal->message, "The analysis cannot start: Ec is 0.");
}

} // namespace
} // namespace zmbr
