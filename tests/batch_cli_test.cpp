#include "batch_run.h"
#include "command_line.h"
#include "paramfile/parameter_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <regex>
#include <sstream>
#include <sys/stat.h>

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
    EXPECT_EQ(out2.str().rfind(broken + ": not run, the file cannot be read\n", 0), 0u);
}

// The program run on one file as a user runs it, killed after 5 s: its exit status and its
// peak memory in KiB. A parent of its own, small beside the bound, measures it: a child of the
// test would start from the test's own memory.
struct ProgramRun {
    int status = -1;
    long peakKiB = 0;
};

ProgramRun runProgram(const std::string& file, const std::string& errFile) {
    const std::string command =
        "python3 -c \"import resource, subprocess, sys; r = subprocess.run(sys.argv[2:], "
        "stdout=subprocess.DEVNULL, stderr=open(sys.argv[1], 'w'), timeout=5); "
        "print(r.returncode, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)\" '" +
        errFile + "' '" ZMBR_PROGRAM "' --batch '" + file + "'";
    ProgramRun run;
    if (FILE* out = popen(command.c_str(), "r")) {
        if (std::fscanf(out, "%d %ld", &run.status, &run.peakKiB) != 2)
            run.status = -1; // it did not end in time
        pclose(out);
    }
    return run;
}

// Files that are no parameter files end at once, in little memory, with a short message that
// quotes no more than a little of a bad line; lines beyond a layout are never read.
TEST(Batch, HostileFilesEndAtOnceWithAShortMessage) {
    test::ScratchFolder dir;
    ASSERT_EQ(mkfifo(dir.file("pipe.mbr").c_str(), 0600), 0); // nobody writes to it
    std::filesystem::create_directory(dir.file("folder.mbr"));
    std::mt19937 random(18);
    std::string junk(8 << 20, '\0');
    for (char& c : junk)
        c = static_cast<char>(random());
    test::writeFile(dir.file("long.mbr"), "Created by ZMBR3\r\n" + std::string(8 << 20, 'x'));
    std::string headerless = "c\r\n1\r\n1\r\n";
    headerless += std::string("1\0\xFF\x1B[2J", 7) + std::string(60, 'x') + "\r\n";
    for (int n = 5; n <= 15; ++n)
        headerless += "1\r\n";
    test::writeFile(dir.file("binary.mbr"), headerless);
    test::writeFile(dir.file("huge.mbr"), "Created by ZMBR3\r\nCreated by ZMBR3\r\n"
                                          "Created by ZMBR3\r\n");
    std::filesystem::resize_file(dir.file("huge.mbr"), 1ull << 30); // zeros, without the disk
    test::writeFile(dir.file("junk.mbr"), test::readFile(test::dataPath("default.mbr")) + junk);

    const struct {
        std::string file;
        std::string err;
        int status;
    } cases[] = {
        {"/dev/zero", "This is a device, not a file.", 2},
        {dir.file("pipe.mbr"), "This is a pipe, not a file.", 2},
        {dir.file("folder.mbr"), "This is a folder, not a file.", 2},
        {dir.file("long.mbr"), "Line 2 is longer than 65536 bytes.", 2},
        {dir.file("binary.mbr"),
         "Line 4: \"1\\x00\\xFF\\x1B[2J" + std::string(24, 'x') + "…\" is not a number.", 2},
        {dir.file("huge.mbr"), "Line 3: the row count \"Created by ZMBR3\" is outside 1 to 10.", 2},
        {dir.file("junk.mbr"), "", 0}, // the valid file before the junk is run
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const ProgramRun run = runProgram(c.file, dir.file("stderr"));
        EXPECT_EQ(run.status, c.status);
        const std::string err = test::readFile(dir.file("stderr"));
        EXPECT_EQ(err, c.err.empty() ? "" : "zmbr: " + c.file + ": " + c.err + "\n");
        EXPECT_LT(err.size(), 300u);
        EXPECT_TRUE(run.peakKiB > 0 && run.peakKiB < 64 * 1024) << run.peakKiB << " KiB";
    }
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
