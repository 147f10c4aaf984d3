// The command line without windows: what it accepts, --batch with its summary lines and table,
// reproducible result files, files that are no parameter files, --convert and --study.

#include "batch_run.h"
#include "command_line.h"
#include "numeric/number_text.h"
#include "paramfile/parameter_file.h"
#include "run/result_reading.h"
#include "study_command.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
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
        auto cl = parseCommandLine(c.args);
        EXPECT_EQ(cl ? "" : cl.failure().message, c.error) << c.args[0];
        if (!cl)
            continue;
        EXPECT_EQ(cl->jobs, c.jobs);
        EXPECT_EQ(cl->files.size(), c.files);
    }
}

// Runs `zmbr --batch` on the files, or on the default panel where there are none.
int batch(std::vector<std::string> files, std::string summary, std::string& out, std::string& err,
          int jobs = 2) {
    CommandLine cl;
    cl.batch = true;
    cl.files = std::move(files);
    cl.summary = std::move(summary);
    cl.jobs = jobs;
    std::ostringstream o, e;
    const int status = runBatch(cl, o, e);
    out = o.str();
    err = e.str();
    return status;
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
    o.cause = "the crack angle θ left the range between 0° and 90°.";
    EXPECT_EQ(summaryLine("p.TGC", o, 1),
              "p.TGC: 12 steps, stopped (the crack angle θ left the range between 0° and 90°), "
              "τxy max 3.142 MPa, 1.000 s");
    o.end = RunEnd::StepLimit;
    EXPECT_EQ(summaryLine("p.TGC", o, 1),
              "p.TGC: 12 steps, step limit, τxy max 3.142 MPa, 1.000 s");
    // Runs that did not start say why, without steps or time.
    o.end = RunEnd::Refused;
    o.cause = "The analysis cannot start: t is 0.";
    EXPECT_EQ(summaryLine("p.TGC", o, 1), "p.TGC: not run, The analysis cannot start: t is 0.");
    o.end = RunEnd::ResultUnwritable;
    EXPECT_EQ(summaryLine("p.TGC", o, 1), "p.TGC: not run, the result file cannot be written");
    o.end = RunEnd::Unreadable;
    EXPECT_EQ(summaryLine("p.mbr", o, 1), "p.mbr: not run, the file cannot be read");
}

// The default panel, run in the current folder, in each case twice; line 1 names no parameter
// file and ends with the moment.
TEST(CommandLineRuns, SourceDateEpochDatesTheResultFile) {
    struct Case {
        const char* value;
        const char* moment; // empty where the value is refused
    };
    const Case cases[] = {
        {"1796549405", "12-06-2026, 09:30:05"}, // the moment of the known result files
        {"0", "01-01-1970, 00:00:00"},
        {"4107542400", "03-01-2100, 00:00:00"}, // past 2038, the end of a 32-bit time_t
        {"253402300799", "12-31-9999, 23:59:59"},
        {"253402300800", ""}, // beyond the year 9999
        {"-1", ""},
        {"1.7e9", ""},
    };
    test::ScratchFolder dir;
    test::CurrentFolder here(dir.path());
    const std::string known = test::readFile(test::dataPath("default.TGC"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ::setenv("SOURCE_DATE_EPOCH", c.value, 1);
        std::string out, err;
        ASSERT_EQ(batch({}, "", out, err), 0);
        const std::string first = test::readFile("default.TGC");
        ASSERT_EQ(batch({}, "", out, err), 0);
        EXPECT_TRUE(
            std::regex_match(out, std::regex("default\\.TGC: 95 steps, concrete NG, τxy max "
                                             "7\\.906 MPa, [0-9]+\\.[0-9]{3} s\n")))
            << out;
        const std::string line1 = first.substr(0, first.find("\r\n"));
        const std::string moment = *c.moment ? c.moment : dateText(systemClock().now()) + ", ";
        EXPECT_NE(line1.find("MBR file = , at " + moment), std::string::npos) << line1;
        // The known result but for the name on line 1.
        EXPECT_EQ(first.substr(line1.size()), known.substr(known.find("\r\n")));
        if (*c.moment) {
            EXPECT_EQ(err, "");
            EXPECT_EQ(test::readFile("default.TGC"), first); // two runs, one file
        } else {
            EXPECT_EQ(err, std::string("zmbr: SOURCE_DATE_EPOCH=") + c.value +
                               " is not a whole number of seconds since 1970; the result files "
                               "take the system's date and time\n");
        }
    }
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
    test::typeAndLeave(refused, {PanelField::Ec}, "0");
    ASSERT_EQ(writeParameterFile(refused, realFileSystem(), "refused.mbr"), 0);
    test::writeFile("broken.mbr", "Created by ZMBR3\r\n");

    const std::vector<std::string> files{"steel, \"yield\".mbr", "broken.mbr", "fibre_rupture.mbr",
                                         "refused.mbr", "step_limit.mbr"};
    // One at a time first: run in parallel, the files come out the same.
    std::string out, err;
    EXPECT_EQ(batch(files, "", out, err, 1), 2);
    auto body = [](const std::string& file) { // without line 1, which holds the time
        const std::string bytes = test::readFile(file);
        return bytes.substr(bytes.find("\r\n"));
    };
    std::map<std::string, std::string> serial;
    for (const char* file : {"steel, \"yield\".TGC", "fibre_rupture.TGC", "step_limit.TGC"})
        serial[file] = body(file);
    // The worst of the files' exit statuses: 2 for the file that cannot be read.
    EXPECT_EQ(batch(files, "runs.csv", out, err), 2);
    for (const auto& [file, bytes] : serial)
        EXPECT_EQ(body(file), bytes) << file;
    EXPECT_NE(out.find("\nbroken.mbr: not run, the file cannot be read\n"), std::string::npos);
    EXPECT_NE(err.find("\nThe analysis cannot start: Ec is 0.\n"), std::string::npos) << err;
    // Line 1 names the parameter file as it was given.
    EXPECT_NE(test::readFile("fibre_rupture.TGC").find("MBR file = fibre_rupture.mbr, at "),
              std::string::npos);
    const auto lines = test::crlfLines(test::readFile("runs.csv"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "file,result_file,steps,end,ruptured_rows,tau_max_MPa,gamma_at_tau_max,"
                        "eps1_last,theta_last_deg");
    EXPECT_EQ(
        lines[1].rfind(R"("steel, ""yield"".mbr","steel, ""yield"".TGC",129,concrete_ng,,)", 0),
        0u);
    EXPECT_EQ(lines[2], "broken.mbr,,,unreadable,,,,,");
    EXPECT_EQ(lines[4], "refused.mbr,refused.TGC,,refused,,,,,");
    EXPECT_EQ(csvCells(lines[3])[4], "1 2");
    EXPECT_EQ(csvCells(lines[5])[3], "step_limit");
    // Each run's row against its summary line and its result file.
    std::istringstream summaries(out);
    std::string summary;
    for (std::size_t row : {1u, 3u, 5u}) {
        while (std::getline(summaries, summary) && summary.find(" steps, ") == std::string::npos)
            ;
        const auto cells = csvCells(lines[row]);
        ASSERT_EQ(cells.size(), 9u);
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

    EXPECT_EQ(batch({"fibre_rupture.mbr", "refused.mbr"}, "", out, err), 1);
    EXPECT_EQ(err, "The analysis cannot start: Ec is 0.\n");

    // A table that cannot be written stops the batch before any run.
    EXPECT_EQ(batch({"step_limit.mbr"}, "no/such/folder/runs.csv", out, err), 2);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "zmbr: no/such/folder/runs.csv: the summary table cannot be written (No such "
                   "file or directory)\n");
}

// Runs `zmbr --study` with the chart drawn by `chart`.
int study(const std::string& file, std::vector<std::string> vary, const std::string& out,
          std::string& err, const ChartWriter& chart) {
    CommandLine cl;
    cl.study = file;
    cl.vary = std::move(vary);
    cl.out = out;
    cl.jobs = 2;
    std::ostringstream o, e;
    const int status = runStudy(cl, o, e, chart);
    err = e.str();
    return status;
}

TEST(Study, EveryCombinationIsTypedSavedAndRunAsABatch) {
    test::ScratchFolder dir;
    test::CurrentFolder here(dir.path());
    ::setenv("SOURCE_DATE_EPOCH", "1796549405", 1);
    StudyResults charted;
    auto chart = [&charted](const StudyResults& r, const std::string& svg, const std::string&) {
        charted = r;
        return svg == "out/chart.svg" ? std::nullopt
                                      : std::optional<Failure>{{"unexpected chart " + svg}};
    };
    std::string err;
    const std::string example = test::dataPath("../../examples/ten_rows.mbr");
    ASSERT_EQ(study(example, {"fc=-30:-40:-10", "Ar.2=8:12:2"}, "out", err, chart), 0) << err;
    EXPECT_EQ(err, "");

    const auto table = test::crlfLines(test::readFile("out/summary.csv"));
    ASSERT_EQ(table.size(), 7u);
    EXPECT_TRUE(table[0].ends_with(",theta_last_deg,fc,Ar.2")) << table[0];
    const auto original = test::crlfLines(test::readFile(example));
    const char* combinations[][2] = {{"-30.00", "8.000"},  {"-30.00", "10.000"},
                                     {"-30.00", "12.000"}, {"-40.00", "8.000"},
                                     {"-40.00", "10.000"}, {"-40.00", "12.000"}};
    ASSERT_EQ(charted.points.size(), 6u);
    for (int k = 1; k <= 6; ++k) {
        SCOPED_TRACE(k);
        const std::string stem = "out/ten_rows-" + std::to_string(k);
        const auto cells = csvCells(table[static_cast<std::size_t>(k)]);
        ASSERT_EQ(cells.size(), 11u);
        EXPECT_EQ(cells[0], stem + ".mbr");
        EXPECT_EQ(cells[9], combinations[k - 1][0]);
        EXPECT_EQ(cells[10], combinations[k - 1][1]);
        EXPECT_EQ(cells[5],
                  formatNumber(*charted.points[static_cast<std::size_t>(k - 1)].tauMax, "0.000"));
        // The variant differs from the example in the two fields only: row 2's Ar did not
        // fill down into rows 3 to 10.
        auto lines = test::crlfLines(test::readFile(stem + ".mbr"));
        ASSERT_EQ(lines.size(), original.size());
        EXPECT_EQ(lines[6], cells[9]);
        EXPECT_EQ(lines[18], cells[10]);
        lines[6] = original[6];
        lines[18] = original[18];
        EXPECT_EQ(lines, original);
        // Its result is what --batch makes of its file.
        const std::string result = test::readFile(stem + ".TGC");
        std::string out;
        EXPECT_EQ(batch({stem + ".mbr"}, "", out, err), 0);
        EXPECT_EQ(test::readFile(stem + ".TGC"), result);
    }
    EXPECT_FALSE(std::filesystem::exists("out/ten_rows-7.mbr"));
    ::unsetenv("SOURCE_DATE_EPOCH");
}

TEST(Study, BadRequestsAreUsageErrorsAndCorrectedValuesAreReported) {
    struct Case {
        std::vector<std::string> vary;
        const char* out;
        int status;
        const char* err; // the first line of stderr
    };
    const Case cases[] = {
        {{"Arr=1:2:1"}, "a", 2, "zmbr: --vary Arr=1:2:1: \"Arr\" is not a name to vary;"},
        {{"Ar.11=1:2:1"}, "a", 2, "zmbr: --vary Ar.11=1:2:1: \"Ar.11\" is not a name"},
        {{"fc=-20:-40:5"}, "a", 2, "zmbr: --vary fc=-20:-40:5: the range is empty: a step"},
        {{"fc=-20:x:5"}, "a", 2, "zmbr: --vary fc=-20:x:5: \"x\" is not a number"},
        {{"t=1:2"}, "a", 2, "zmbr: --vary t=1:2: the range is not FROM:TO:STEP"},
        {{"t=1:2:0"}, "a", 2, "zmbr: --vary t=1:2:0: the step is 0"},
        {{"Ar.3=1:2:1"}, "a", 2, "zmbr: --vary Ar.3: the panel uses rows 1 to 2 only"},
        {{"Ar=1:2:1", "Ar.2=1:2:1"}, "a", 2, "zmbr: --vary Ar.2: Ar varies the same field"},
        {{"t=1:200:1", "sm=1:100:1"}, "a", 2, "zmbr: --vary: the study would have more than"},
        {{"t=100:200:100"}, "file/x", 2, "zmbr: --out file/x: the folder cannot be written"},
        {{"thetaR.1=150:210:30"}, "a", 0, "zmbr: thetaR.1 = 210 is stored as 180.0 (the field's"},
        // The first variant's Ar of 0 is refused by the run: status 1.
        {{"Ar=0.0004:0.0014:0.0005"}, "a", 1, "zmbr: Ar = 0.0004 is stored as 0.000 (the"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vary.front());
        test::ScratchFolder dir;
        test::CurrentFolder here(dir.path());
        test::writeFile("file", "");
        std::string err;
        bool charted = false;
        auto chart = [&charted](const StudyResults&, const std::string&, const std::string&) {
            charted = true;
            return std::optional<Failure>();
        };
        EXPECT_EQ(study(test::dataPath("steel_yield.mbr"), c.vary, c.out, err, chart), c.status);
        EXPECT_EQ(err.substr(0, err.find('\n')).substr(0, std::strlen(c.err)), c.err) << err;
        // A usage error leaves nothing behind that looks done.
        EXPECT_EQ(std::filesystem::exists("a/summary.csv"), c.status != 2);
        EXPECT_EQ(charted, c.status != 2);
    }
}

// The program run as a user runs it, killed after 5 s: its exit status and its peak memory in
// KiB. A parent of its own, small beside the bound, measures it: a child of the
// test would start from the test's own memory.
struct ProgramRun {
    int status = -1;
    long peakKiB = 0;
};

ProgramRun runProgram(const std::string& args, const std::string& errFile) {
    const std::string command =
        "python3 -c \"import resource, subprocess, sys; r = subprocess.run(sys.argv[2:], "
        "stdout=subprocess.DEVNULL, stderr=open(sys.argv[1], 'w'), timeout=5); "
        "print(r.returncode, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)\" '" +
        errFile + "' '" ZMBR_PROGRAM "' " + args;
    ProgramRun run;
    if (FILE* out = popen(command.c_str(), "r")) {
        if (std::fscanf(out, "%d %ld", &run.status, &run.peakKiB) != 2)
            run.status = -1; // it did not end in time
        pclose(out);
    }
    return run;
}

// Files that are no parameter files or no result files end at once, in little memory, with a
// short message that quotes no more than a little of a bad line; lines beyond a layout are
// never read, and a refused plot draws nothing.
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
    // Result files (not named as the runs above name theirs): a valid header, then more step
    // lines than a run writes, then zeros.
    const std::string result = test::readFile(test::dataPath("steel_yield.TGC"));
    std::string steps = result.substr(0, result.find("Concrete"));
    const std::string step = steps.substr(steps.rfind("\r\n", steps.size() - 3) + 2);
    while (steps.size() < 2000000)
        steps += step;
    test::writeFile(dir.file("result-steps.TGC"), steps);
    std::filesystem::resize_file(dir.file("result-steps.TGC"), 1ull << 30);
    test::writeFile(dir.file("result-huge.TGC"), result.substr(0, result.find("\r\n") + 2));
    std::filesystem::resize_file(dir.file("result-huge.TGC"), 1ull << 30);
    test::writeFile(dir.file("result-junk.TGC"), result + junk);
    std::string binary = result.substr(0, result.find("    0.0"));
    binary += std::string("1\0\xFF\x1B[2J", 7) + std::string(60, 'x') + "\r\n";
    test::writeFile(dir.file("result-binary.TGC"), binary);

    test::writeFile(dir.file("result.mbr"), result);
    test::writeFile(dir.file("picture.mbr"), std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    const std::string quotedBinary = "\"1\\x00\\xFF\\x1B[2J" + std::string(24, 'x') + "…\"";
    const struct {
        const char* command;
        std::string file;
        std::string err;
        int status;
    } cases[] = {
        {"--batch", "/dev/zero", "This is a device, not a file.", 2},
        {"--batch", dir.file("pipe.mbr"), "This is a pipe, not a file.", 2},
        {"--batch", dir.file("folder.mbr"), "This is a folder, not a file.", 2},
        {"--batch", dir.file("long.mbr"), "Line 2 is longer than 65536 bytes.", 2},
        {"--batch", dir.file("binary.mbr"), "Line 4: " + quotedBinary + " is not a number.", 2},
        {"--batch", dir.file("huge.mbr"),
         "Line 3: the row count \"Created by ZMBR3\" is outside 1 to 10.", 2},
        {"--batch", dir.file("junk.mbr"), "", 0}, // the valid file before the junk is run
        {"--batch", dir.file("result.mbr"), "This is a result file, not a parameter file.", 2},
        {"--batch", dir.file("picture.mbr"), "This is a picture (PNG), not a parameter file.", 2},
        {"--plot", "/dev/zero", "This is a device, not a file.", 2},
        {"--plot", dir.file("pipe.mbr"), "This is a pipe, not a file.", 2},
        {"--plot", dir.file("folder.mbr"), "This is a folder, not a file.", 2},
        {"--plot", dir.file("long.mbr"),
         "Line 1: \"Created by ZMBR3\" does not begin with \"τ-γ relationship created by ZMBR3\".",
         2},
        {"--plot", dir.file("result-steps.TGC"),
         "Line 10005: a result file has at most 10000 steps.", 2},
        {"--plot", dir.file("result-huge.TGC"), "Line 2 is longer than 65536 bytes.", 2},
        {"--plot", dir.file("result-junk.TGC"), "Line 136: nothing follows the closing lines.", 2},
        {"--plot", dir.file("result-binary.TGC"),
         "Line 4: " + quotedBinary + " is not the zero line.", 2},
    };
    // --plot loads the toolkit before it reads a file: the bound is on what reading adds to a
    // refusal of a missing file (the toolkit under the sanitizers alone comes near 64 MB).
    const std::string picture = dir.file("plot.svg");
    const long plotBaseKiB =
        runProgram("--plot '" + dir.file("missing.TGC") + "' -o '" + picture + "'",
                   dir.file("stderr"))
            .peakKiB;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " " + c.file);
        const bool plot = std::string(c.command) == "--plot";
        if (plot && !ZMBR_DRAWS_PICTURES)
            continue;
        const ProgramRun run = runProgram(std::string(c.command) + " '" + c.file + "'" +
                                              (plot ? " -o '" + picture + "'" : ""),
                                          dir.file("stderr"));
        EXPECT_EQ(run.status, c.status);
        const std::string err = test::readFile(dir.file("stderr"));
        EXPECT_EQ(err, c.err.empty() ? "" : "zmbr: " + c.file + ": " + c.err + "\n");
        EXPECT_LT(err.size(), 300u);
        const long beforeReading = plot ? plotBaseKiB : 0;
        EXPECT_TRUE(run.peakKiB > 0 && run.peakKiB - beforeReading < 64 * 1024)
            << run.peakKiB << " KiB, " << beforeReading << " KiB before reading";
        EXPECT_FALSE(std::filesystem::exists(picture));
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
