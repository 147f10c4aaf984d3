// The command line's reports: reproducible result files and the summary table of a batch.

#include "batch_run.h"
#include "paramfile/parameter_file.h"
#include "study/result_reading.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

namespace zmbr {
namespace {

// Runs `zmbr --batch` on the files in the current folder.
int batch(std::vector<std::string> files, std::string summary, std::string& out, std::string& err) {
    CommandLine cl;
    cl.batch = true;
    cl.files = std::move(files);
    cl.summary = std::move(summary);
    cl.jobs = 2;
    std::ostringstream o, e;
    const int status = runBatch(cl, o, e);
    out = o.str();
    err = e.str();
    return status;
}

TEST(CommandLineRuns, SourceDateEpochDatesTheResultFile) {
    struct Case {
        const char* value;
        const char* moment; // the end of line 1; empty where the value is refused
    };
    const Case cases[] = {
        {"1796549405", "12-06-2026, 09:30:05"}, // the moment of the known result files
        {"0", "01-01-1970, 00:00:00"},
        {"253402300800", ""}, // beyond the year 9999
        {"-1", ""},
        {"1.7e9", ""},
    };
    test::ScratchFolder dir;
    test::CurrentFolder here(dir.path());
    std::filesystem::copy_file(test::dataPath("steel_yield.mbr"), "steel_yield.mbr");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ::setenv("SOURCE_DATE_EPOCH", c.value, 1);
        std::string out, err, first;
        ASSERT_EQ(batch({"steel_yield.mbr"}, "", out, err), 0);
        first = test::readFile("steel_yield.TGC");
        ASSERT_EQ(batch({"steel_yield.mbr"}, "", out, err), 0);
        const std::string line1 = test::crlfLines(first)[0];
        if (*c.moment) {
            EXPECT_EQ(err, "");
            EXPECT_TRUE(line1.ends_with(std::string(", at ") + c.moment)) << line1;
            EXPECT_EQ(test::readFile("steel_yield.TGC"), first); // two runs, one file
        } else {
            EXPECT_EQ(err, std::string("zmbr: SOURCE_DATE_EPOCH=") + c.value +
                               " is not a whole number of seconds since 1970; the result files "
                               "take the system's date and time\n");
            EXPECT_FALSE(line1.ends_with("1970, 00:00:00")) << line1;
        }
    }
    // Named as in the known result file, the run reproduces it byte for byte.
    ::setenv("SOURCE_DATE_EPOCH", "1796549405", 1);
    std::string out, err;
    ASSERT_EQ(batch({"steel_yield.mbr"}, "", out, err), 0);
    EXPECT_EQ(test::readFile("steel_yield.TGC"), test::readFile(test::dataPath("steel_yield.TGC")));
    ::unsetenv("SOURCE_DATE_EPOCH");
}

std::vector<std::string> csvCells(const std::string& line) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char ch = line[i];
        if (ch == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"')
            cells.back() += line[++i];
        else if (ch == '"')
            quoted = !quoted;
        else if (ch == ',' && !quoted)
            cells.emplace_back();
        else
            cells.back() += ch;
    }
    return cells;
}

TEST(CommandLineRuns, SummaryTableHasARowPerFileInTheirOrder) {
    test::ScratchFolder dir;
    test::CurrentFolder here(dir.path());
    for (const char* name : {"fibre_rupture", "step_limit", "steel_yield"})
        std::filesystem::copy_file(test::dataPath(std::string(name) + ".mbr"),
                                   std::string(name) + ".mbr");
    std::filesystem::rename("steel_yield.mbr", "steel, \"yield\".mbr");
    ParameterSheet refused = test::loadedSheet();
    test::typeAndLeave(refused, {Control::Text12}, "0");
    ASSERT_EQ(writeParameterFile(refused, realFileSystem(), "refused.mbr"), 0);
    test::writeFile("broken.mbr", "Created by ZMBR3\r\n");

    const std::vector<std::string> files{"steel, \"yield\".mbr", "broken.mbr", "fibre_rupture.mbr",
                                         "refused.mbr", "step_limit.mbr"};
    std::string out, err;
    EXPECT_EQ(batch(files, "runs.csv", out, err), 2);
    const auto lines = test::crlfLines(test::readFile("runs.csv"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "file,result_file,steps,end,ruptured_rows,tau_max_MPa,gamma_at_tau_max,"
                        "eps1_last,theta_last_deg,seconds");
    EXPECT_EQ(
        lines[1].rfind(R"("steel, ""yield"".mbr","steel, ""yield"".TGC",129,concrete_ng,,)", 0),
        0u);
    EXPECT_EQ(lines[2], "broken.mbr,,,unreadable,,,,,,");
    EXPECT_EQ(lines[4], "refused.mbr,refused.TGC,,refused,,,,,,");
    EXPECT_EQ(csvCells(lines[3])[4], "1 2");
    EXPECT_EQ(csvCells(lines[5])[3], "step_limit");
    // Each run's row against its summary line and its result file.
    std::istringstream summaries(out);
    std::string summary;
    for (std::size_t row : {1u, 3u, 5u}) {
        while (std::getline(summaries, summary) && summary.find(" steps, ") == std::string::npos)
            ;
        const auto cells = csvCells(lines[row]);
        ASSERT_EQ(cells.size(), 10u);
        SCOPED_TRACE(cells[0]);
        EXPECT_EQ(summary.rfind(cells[1] + ": " + cells[2] + " steps, ", 0), 0u) << summary;
        EXPECT_NE(summary.find(", τxy max " + cells[5] + " MPa, "), std::string::npos) << summary;
        const auto written = test::crlfLines(test::readFile(cells[1]));
        const std::string last = written[written.size() - (cells[3] == "step_limit" ? 1 : 4)];
        std::istringstream words(last);
        std::string tau, gamma, eps1, eps2, theta;
        words >> tau >> gamma >> eps1 >> eps2 >> theta;
        EXPECT_EQ(cells[7], eps1);
        EXPECT_EQ(cells[8], theta);
        EXPECT_NE(test::readFile(cells[1]).find("\r\n    " + cells[5] + "  " + cells[6] + " "),
                  std::string::npos);
    }

    // A table that cannot be written stops the batch before any run.
    EXPECT_EQ(batch({"step_limit.mbr"}, "no/such/folder/runs.csv", out, err), 2);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "zmbr: no/such/folder/runs.csv: the summary table cannot be written (No such "
                   "file or directory)\n");
}

} // namespace
} // namespace zmbr
