#include "batch_run.h"
#include "command_line.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

namespace zmbr {
namespace {

TEST(CommandLine, Parsing) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        bool batch;
        int jobs;
        std::size_t files;
        const char* error;
    };
    const Case cases[] = {
        {{"--batch"}, true, true, 0, 0, ""},
        {{"--batch", "-j", "3", "a.mbr", "b.mbr"}, true, true, 3, 2, ""},
        {{"--batch", "--jobs=2", "a.mbr"}, true, true, 2, 1, ""},
        {{"--batch", "-j"}, false, false, 0, 0, "option -j needs a number"},
        {{"--batch", "-j", "0"},
         false,
         false,
         0,
         0,
         "option -j needs a whole number of at least 1, not \"0\""},
        {{"--batch", "--jobs=x"},
         false,
         false,
         0,
         0,
         "option -j needs a whole number of at least 1, not \"x\""},
        {{"--frobnicate"}, false, false, 0, 0, "unknown option --frobnicate"},
        {{"a.mbr"}, false, false, 0, 0, "parameter files are run with --batch"},
    };
    for (const Case& c : cases) {
        std::string error;
        auto cl = parseCommandLine(c.args, error);
        ASSERT_EQ(cl.has_value(), c.ok) << c.args[0];
        if (!c.ok) {
            EXPECT_EQ(error, c.error);
            continue;
        }
        EXPECT_EQ(cl->batch, c.batch);
        EXPECT_EQ(cl->jobs, c.jobs);
        EXPECT_EQ(cl->files.size(), c.files);
    }
}

TEST(Batch, DefaultPanelRunsInTheCurrentFolder) {
    test::ScratchFolder dir;
    test::CurrentFolder here(dir.path());
    std::ostringstream out, err;
    CommandLine cl;
    cl.batch = true;
    EXPECT_EQ(runBatch(cl, out, err), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_TRUE(std::regex_match(
        out.str(), std::regex("default\\.TGC: [0-9]+ steps, concrete NG, τxy max [0-9]+\\.[0-9]{3} "
                              "MPa, [0-9]+\\.[0-9]{3} s\n")))
        << out.str();
    const auto lines = test::crlfLines(test::readFile(dir.file("default.TGC")));
    ASSERT_GT(lines.size(), 7u);
    EXPECT_EQ(lines[lines.size() - 3], "Concrete : NG");
    // Line 1 names no parameter file.
    EXPECT_NE(lines[0].find("MBR file = , at "), std::string::npos);
}

TEST(Batch, UnwritableResultFileIsAFileError) {
    test::ScratchFolder dir;
    test::CurrentFolder here(dir.path());
    std::filesystem::create_directory(dir.file("default.TGC"));
    std::ostringstream out, err;
    CommandLine cl;
    cl.batch = true;
    EXPECT_EQ(runBatch(cl, out, err), 2);
    EXPECT_EQ(err.str(), "This output data file has been opened by another application. (21)\n");
}

TEST(Batch, SummaryAndExitCodes) {
    RunOutcome o;
    o.steps = 12;
    o.tauMax = 3.14159;
    o.ruptured[0] = true;
    o.ruptured[2] = true;
    EXPECT_EQ(summaryLine("p.TGC", o, 0.25),
              "p.TGC: 12 steps, rupture of rows 1, 3, τxy max 3.142 MPa, 0.250 s");
    o.ruptured = {};
    o.ruptured[1] = true;
    o.concreteNG = true;
    EXPECT_EQ(summaryLine("p.TGC", o, 1),
              "p.TGC: 12 steps, concrete NG and rupture of row 2, τxy max 3.142 MPa, 1.000 s");
    o.end = RunEnd::Stopped;
    o.message =
        "The analysis stopped at step 13: the crack angle θ left the range between 0° and 90°.";
    EXPECT_EQ(summaryLine("p.TGC", o, 1),
              "p.TGC: 12 steps, stopped: " + o.message + ", τxy max 3.142 MPa, 1.000 s");
    o.end = RunEnd::StepLimit;
    EXPECT_EQ(summaryLine("p.TGC", o, 1),
              "p.TGC: 12 steps, step limit, τxy max 3.142 MPa, 1.000 s");

    EXPECT_EQ(exitCodeOf(RunEnd::Failure), 0);
    EXPECT_EQ(exitCodeOf(RunEnd::StepLimit), 1);
    EXPECT_EQ(exitCodeOf(RunEnd::Stopped), 1);
    EXPECT_EQ(exitCodeOf(RunEnd::Cancelled), 1);
    EXPECT_EQ(exitCodeOf(RunEnd::OpenFailed), 2);
}

} // namespace
} // namespace zmbr
