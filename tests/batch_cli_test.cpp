#include "batch_run.h"
#include "command_line.h"
#include "paramfile/parameter_file.h"
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
        const char* error; // empty when the line is good
        int jobs = 0;
        std::size_t files = 0;
    };
    const Case cases[] = {
        {{"--batch"}, "", 0, 0},
        {{"--batch", "-j", "3", "a.mbr", "b.mbr"}, "", 3, 2},
        {{"--batch", "--jobs=2", "a.mbr"}, "", 2, 1},
        {{"--convert", "a", "b"}, "", 0, 0},
        {{"--batch", "-j"}, "option -j needs a number"},
        {{"--batch", "-j", "0"}, "option -j needs a whole number of at least 1, not \"0\""},
        {{"--batch", "--jobs=x"}, "option -j needs a whole number of at least 1, not \"x\""},
        {{"--frobnicate"}, "unknown option --frobnicate"},
        {{"a.mbr"}, "", 0, 0}, // the parameter window with a.mbr opened
        {{"a.mbr", "b.mbr"},
         "the parameter window opens one parameter file; run several with --batch"},
        {{"--batch", "--summary"}, "option --summary needs a CSV file to write"},
        {{"--summary", "s.csv", "a.mbr"},
         "--summary goes with --batch and the parameter files to run"},
        {{"--study", "a.mbr", "--out", "d"}, "--study needs at least one --vary NAME=FROM:TO:STEP"},
        {{"--study", "a.mbr", "--vary", "t=1:2:1"},
         "--study needs --out DIR, the folder for the variants and the summary"},
        {{"--study", "a.mbr", "--vary", "t=1:2:1", "--out", "d", "-j", "2"}, "", 2, 0},
        {{"--vary", "t=1:2:1"}, "--vary, --out and --summary-only go with --study"},
        {{"--plot", "a.TGC", "-o", "a.pdf"},
         "-o needs a file ending in .svg or .png, not \"a.pdf\""},
        {{"--plot", "a.TGC", "-o", "a.svg", "--curve", "x"},
         "--curve is tau-gamma or eps1-eps2, not \"x\""},
        {{"--plot", "a.TGC", "b.TGC", "-o", "a.PNG"}, "", 0, 2},
        {{"--batch", "--plot", "a.TGC"},
         "--batch, --convert, --study and --plot are used one at a time"},
        {{"--convert", "a.mbr"}, "option --convert needs a file to read and a file to write"},
        {{"--convert", "a", "b", "--batch"}, "--convert takes its two files and nothing else"},
    };
    for (const Case& c : cases) {
        std::string error;
        auto cl = parseCommandLine(c.args, error);
        EXPECT_EQ(error, c.error) << c.args[0];
        if (!cl)
            continue;
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

TEST(Batch, SummaryLine) {
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
              "p.TGC: 12 steps, stopped (the crack angle θ left the range between 0° and 90°), "
              "τxy max 3.142 MPa, 1.000 s");
    o.end = RunEnd::StepLimit;
    EXPECT_EQ(summaryLine("p.TGC", o, 1),
              "p.TGC: 12 steps, step limit, τxy max 3.142 MPa, 1.000 s");
}

// Writes a panel as Save would, with the row count and one field changed.
void savePanel(const std::string& path, const char* axes, FieldRef field, const char* text) {
    ParameterSheet sheet = test::loadedSheet();
    test::typeAndLeave(sheet, {Control::Text4}, axes);
    test::typeAndLeave(sheet, field, text);
    ASSERT_EQ(writeParameterFile(sheet, realFileSystem(), path), 0);
}

// Result files without line 1, whose date and time differ from run to run.
std::string resultBody(const std::string& path) {
    std::string bytes = test::readFile(path);
    return bytes.substr(bytes.find("\r\n"));
}

TEST(Batch, FilesRunInParallelAsOneAtATime) {
    test::ScratchFolder dir;
    std::vector<std::string> files;
    const char* fcs[] = {"-20", "-25", "-30", "-35", "-40"};
    for (int i = 0; i < 5; ++i) {
        files.push_back(dir.file("p" + std::to_string(i) + ".mbr"));
        savePanel(files.back(), i % 2 ? "4" : "10", {Control::Text8}, fcs[i]);
    }
    CommandLine cl;
    cl.batch = true;
    cl.files = files;
    cl.jobs = 1;
    std::ostringstream out1, err1;
    EXPECT_EQ(runBatch(cl, out1, err1), 0);
    std::vector<std::string> serial;
    for (int i = 0; i < 5; ++i)
        serial.push_back(resultBody(dir.file("p" + std::to_string(i) + ".TGC")));

    cl.jobs = 2;
    std::ostringstream out2, err2;
    EXPECT_EQ(runBatch(cl, out2, err2), 0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(resultBody(dir.file("p" + std::to_string(i) + ".TGC")), serial[i]) << i;
    // The summaries keep the order of the files.
    std::istringstream lines(out2.str());
    std::string line;
    for (int i = 0; std::getline(lines, line); ++i)
        EXPECT_EQ(line.rfind(dir.file("p" + std::to_string(i) + ".TGC: "), 0), 0u) << line;
    EXPECT_EQ(err2.str(), "");
    // Line 1 names the parameter file as given.
    EXPECT_NE(test::readFile(dir.file("p3.TGC")).find("MBR file = " + files[3] + ", at "),
              std::string::npos);
}

TEST(Batch, ExitStatusIsTheWorstOfTheFiles) {
    test::ScratchFolder dir;
    const std::string good = dir.file("good.mbr"), refused = dir.file("refused.mbr"),
                      broken = dir.file("broken.mbr");
    savePanel(good, "2", {Control::Text8}, "-30");
    savePanel(refused, "2", {Control::Text12}, "0");
    test::writeFile(broken, "Created by ZMBR3\r\ncomment\r\n");
    CommandLine cl;
    cl.batch = true;
    cl.jobs = 2;

    cl.files = {good, refused};
    std::ostringstream out, err;
    EXPECT_EQ(runBatch(cl, out, err), 1);
    EXPECT_EQ(err.str(), "The analysis cannot start: Ec is 0.\n");

    cl.files = {broken, good};
    std::ostringstream out2, err2;
    EXPECT_EQ(runBatch(cl, out2, err2), 2);
    EXPECT_EQ(err2.str(), "zmbr: " + broken +
                              ": Line 3: the file ends before this line; its layout needs 13 "
                              "lines.\n");
    EXPECT_EQ(out2.str().rfind(broken + ": not run, the file cannot be read\n", 0), 0u);
}

TEST(Batch, ConvertWritesTheVersion3Layout) {
    test::ScratchFolder dir;
    const std::string old = dir.file("old.dat"), converted = dir.file("new.mbr");
    test::writeFile(old, "c\r\n1\r\n10\r\n2\r\n1\r\n2000\r\n35000\r\n-30\r\n-0.002\r\n"
                         "15\r\n10\r\n1.4583\r\n15\r\n0.0035\r\nY\r\n");
    CommandLine cl;
    cl.convert = true;
    cl.convertFrom = old;
    cl.convertTo = converted;
    std::ostringstream out, err;
    EXPECT_EQ(runBatch(cl, out, err), 0);
    const auto lines = test::crlfLines(test::readFile(converted));
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_EQ(lines[0], "Created by ZMBR3");
    EXPECT_EQ(lines[5], "14.14"); // sm = √2 · 10
    EXPECT_EQ(lines[17], "90.0"); // row 2's angle
    EXPECT_EQ(lines[22], "rupture");
    EXPECT_EQ(lines[23], "Y");

    cl.convertTo = "/dev/full";
    std::ostringstream err2;
    EXPECT_EQ(runBatch(cl, out, err2), 2);
    EXPECT_EQ(err2.str(), "zmbr: /dev/full: Error. Try again.28 (No space left on device)\n");
}

} // namespace
} // namespace zmbr
