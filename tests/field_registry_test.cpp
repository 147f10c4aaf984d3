// Every field of the registry through every consumer of it: a field that one of them leaves
// out, or takes from a list of its own, fails here.

#include "command_line.h"
#include "numeric/number_text.h"
#include "paramfile/parameter_file.h"
#include "report/calculation_report.h"
#include "run/execute_command.h"
#include "study/parameter_study.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <set>

namespace zmbr {
namespace {

int elementsOf(const FieldDeclaration& f) {
    return f.perRow() ? kMaxRows : 1;
}

// A text of its own for every field and element that its limit rule and display keep as it is.
std::string ownText(const FieldDeclaration& f, int element) {
    switch (f.kind) {
    case FieldKind::Text:
        return "comment";
    case FieldKind::Choice:
        return element % 2 ? "yield" : "rupture";
    case FieldKind::Flag:
        return "";
    case FieldKind::Number:
        break;
    }
    if (f.field == PanelField::Axes)
        return "10";
    const int n = static_cast<int>(f.field) * 10 + element + 1; // 11..171, within every limit
    return formatNumber(static_cast<double>(f.limit == LimitRule::NotPositive ? -n : n), f.pattern);
}

ParameterSheet sheetWithOwnTexts() {
    ParameterSheet sheet = test::loadedSheet();
    for (const FieldDeclaration& f : fieldRegistry())
        for (int e = 0; e < elementsOf(f) && f.kind != FieldKind::Flag; ++e)
            test::typeAndLeave(sheet, {f.field, e}, ownText(f, e));
    sheet.setOption(true);
    return sheet;
}

TEST(FieldRegistry, NamesAndCaptionsAreUnique) {
    std::set<std::string> names, captions;
    for (const FieldDeclaration& f : fieldRegistry()) {
        EXPECT_TRUE(names.insert(f.name).second) << f.name;
        EXPECT_TRUE(captions.insert(f.caption).second) << f.caption;
        EXPECT_EQ(fieldNamed(f.name), &f);
        EXPECT_EQ(&fieldSpec(f.field), &f);
        EXPECT_NE(*f.meaning, '\0') << f.name;
        EXPECT_EQ(f.kind == FieldKind::Number, f.panelValue != nullptr || f.rowValue != nullptr)
            << f.name;
    }
    EXPECT_EQ(fieldNamed("fcx"), nullptr);
}

// The sheet stores every number where the run reads it, and the files keep every text.
TEST(FieldRegistry, EveryFieldGoesThroughTheSheetAndTheFiles) {
    ParameterSheet sheet = sheetWithOwnTexts();
    for (const FieldDeclaration& f : fieldRegistry())
        for (int e = 0; e < elementsOf(f) && f.kind == FieldKind::Number; ++e)
            EXPECT_EQ(fieldValue(sheet.input(), f.field, e + 1),
                      toFieldValue(parseNumber(ownText(f, e))))
                << f.name << ' ' << e;

    test::MemoryFileSystem fs;
    ASSERT_EQ(writeParameterFile(sheet, fs, "all.mbr"), 0);
    ParameterSheet back = test::loadedSheet();
    ASSERT_FALSE(readParameterFile(back, fs, "all.mbr"));
    for (const FieldDeclaration& f : fieldRegistry())
        for (int e = 0; e < elementsOf(f) && f.kind != FieldKind::Flag; ++e)
            EXPECT_EQ(back.text({f.field, e}), ownText(f, e)) << f.name << ' ' << e;
    EXPECT_TRUE(back.option());
}

// Execute reads each of its fields again from the text, and refuses each zero that divides,
// naming the field as the window labels it.
TEST(FieldRegistry, ExecuteRereadsAndRefusesByTheRegistry) {
    for (const FieldDeclaration& f : fieldRegistry()) {
        if (!f.executeRereads && f.zeroRefused == 0)
            continue;
        const int row = f.perRow() ? 3 : 1;
        test::MemoryFileSystem fs;
        ParameterSheet sheet = sheetWithOwnTexts();
        fieldValue(sheet.input(), f.field, row) = 12345;
        auto refusal = prepareExecute(sheet, fs);
        EXPECT_FALSE(refusal) << f.name;
        if (f.executeRereads) {
            EXPECT_NE(fieldValue(sheet.input(), f.field, row), 12345) << f.name;
        }
        if (f.zeroRefused == 0)
            continue;
        // Typed, not left: a text a file may hold, which no limit rule has reformatted.
        sheet.setText({f.field, row - 1}, "0");
        refusal = prepareExecute(sheet, fs);
        ASSERT_TRUE(refusal) << f.name;
        const std::string named =
            std::string(f.caption) + (f.perRow() ? " of row " + std::to_string(row) : "");
        EXPECT_EQ(refusal->message, "The analysis cannot start: " + named + " is 0.");
    }
}

// The report lists every field with its caption; a study varies every field it names, and
// --help names them all.
TEST(FieldRegistry, ReportStudyAndHelpNameEveryField) {
    ParameterSheet sheet = sheetWithOwnTexts();
    PanelReportInput in;
    in.sheet = &sheet;
    const ReportDocument report = panelReport(in);
    std::set<std::string> shown;
    for (const ReportSection& s : report.sections) {
        for (const auto& group : s.itemGroups)
            for (const ReportItem& item : group)
                shown.insert(item.caption);
        for (const std::string& h : s.table.header)
            shown.insert(h);
    }
    const std::string help = usageText();
    for (const FieldDeclaration& f : fieldRegistry()) {
        if (f.kind == FieldKind::Number && f.perRow()) {
            EXPECT_TRUE(shown.count(std::string(f.caption) + " (" + f.unit + ")")) << f.name;
        } else if (f.group != FieldGroup::Comment && !f.perRow()) {
            EXPECT_TRUE(shown.count(f.caption)) << f.name;
        }
        if (!f.varies)
            continue;
        const auto range = parseVary(std::string(f.name) + "=1:2:1");
        ASSERT_TRUE(range) << f.name << ": " << range.failure().message;
        EXPECT_EQ(range->name.field, f.field);
        EXPECT_NE(help.find("\n  " + std::string(f.name) + " "), std::string::npos) << f.name;
    }
}

} // namespace
} // namespace zmbr
