// Files that cannot be written. Injected failures, one operation at a time: a run must end as
// the program defines, keep only complete lines and close its file; a save must keep the old
// parameter file. Real files the system refuses: the messages the user reads.

#include "batch_run.h"
#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"
#include "run/analysis_run.h"
#include "run/execute_command.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace zmbr {
namespace {

using test::FileOp;

// The default panel read from its file, named "default.mbr" and executed in memory.
ParameterSheet defaultSheet(test::MemoryFileSystem& mem) {
    ParameterSheet sheet = test::loadedSheet();
    EXPECT_FALSE(readParameterFile(sheet, realFileSystem(), test::dataPath("default.mbr")));
    sheet.input().paramFileName = sheet.input().outputFileName = "default.mbr";
    EXPECT_FALSE(prepareExecute(sheet, mem));
    return sheet;
}

std::string openMessage(int error) {
    return "This output data file has been opened by another application. (" +
           std::to_string(error) + ")";
}

// Someone watching the run, slow enough that the run drains its file at step 64.
struct SlowWatcher : RunObserver {
    void stepStarted(int, double) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
};

enum class Action { Run, WatchedRun, Save };

// The default panel runs 95 steps: write 1 is the header, writes 2 to 95 the step lines,
// write 96 the closing lines. A watched run drains its file every 64th step once 100 ms
// have passed; drain 1 is the header's.
TEST(FileFaults, InjectedFailuresEndAsDefined) {
    struct Fault {
        const char* what;
        Action action;
        FileOp op;
        int n; // 0 for a save: each call of the kind in turn
        int error;
        RunEnd end = RunEnd::Failure;
        int steps = 0, lines = 0; // steps completed, complete lines left in the result file
    };
    const Fault faults[] = {
        {"create", Action::Run, FileOp::Create, 1, EACCES, RunEnd::OpenFailed, 0, 0},
        {"header", Action::Run, FileOp::Write, 1, ENOSPC, RunEnd::OpenFailed, 0, 0},
        {"header drain", Action::Run, FileOp::Drain, 1, EIO, RunEnd::OpenFailed, 0, 4},
        {"step 1", Action::Run, FileOp::Write, 2, ENOSPC, RunEnd::WriteFailed, 0, 4},
        {"step 2", Action::Run, FileOp::Write, 3, EIO, RunEnd::WriteFailed, 1, 5},
        {"step 50", Action::Run, FileOp::Write, 51, ENOSPC, RunEnd::WriteFailed, 49, 53},
        {"closing lines", Action::Run, FileOp::Write, 96, ENOSPC, RunEnd::WriteFailed, 94, 98},
        {"close", Action::Run, FileOp::Close, 1, EIO, RunEnd::WriteFailed, 94, 101},
        {"drain of a watched run", Action::WatchedRun, FileOp::Drain, 2, EIO, RunEnd::WriteFailed,
         63, 68},
        {"save: create", Action::Save, FileOp::Create, 0, ENOSPC},
        {"save: every write", Action::Save, FileOp::Write, 0, ENOSPC},
        {"save: flush", Action::Save, FileOp::Flush, 0, EIO},
        {"save: close", Action::Save, FileOp::Close, 0, EIO},
        {"save: rename", Action::Save, FileOp::Rename, 0, EXDEV},
    };
    // A failed save shows Linux's number for the failure on every system.
    const std::map<int, int> shownCode{{ENOSPC, 28}, {EIO, 5}, {EXDEV, 18}};
    const auto golden = test::crlfLines(test::readFile(test::dataPath("default.TGC")));
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.what);
        if (f.action == Action::Save) {
            // Every call of the kind fails in turn, until the save no longer reaches it.
            for (int n = 1;; ++n) {
                SCOPED_TRACE(n);
                test::MemoryFileSystem mem;
                mem.files["p.mbr"] = "old contents\r\n";
                mem.failOn(f.op, n, f.error);
                ParameterSheet sheet = test::loadedSheet();
                const int e = writeParameterFile(sheet, mem, "p.mbr");
                EXPECT_EQ(mem.openFiles, 0);
                if (!mem.fired) {
                    EXPECT_EQ(e, 0);
                    EXPECT_GT(n, 1) << "the save never reached the failure";
                    break;
                }
                EXPECT_EQ(e, f.error);
                EXPECT_EQ(mem.files,
                          (std::map<std::string, std::string>{{"p.mbr", "old contents\r\n"}}))
                    << "the old file is kept, and no scratch file is left beside it";
                EXPECT_EQ(sheet.input().outputFileName, "") << "a failed save names nothing";
                EXPECT_EQ(saveFailureMessage(e),
                          "Error. Try again." + std::to_string(shownCode.at(f.error)));
            }
            continue;
        }
        test::MemoryFileSystem mem;
        ParameterSheet sheet = defaultSheet(mem);
        if (f.op == FileOp::Create) {
            // Execute's test write meets the failure first, with the message the run gives.
            mem.failOn(f.op, f.n, f.error);
            const auto refusal = prepareExecute(sheet, mem);
            ASSERT_TRUE(refusal.has_value());
            EXPECT_EQ(refusal->end, RunEnd::ResultUnwritable);
            EXPECT_EQ(refusal->message, openMessage(f.error));
            EXPECT_EQ(sheet.input().outputFileName, "default.TGC");
        }
        mem.files.erase("default.TGC");
        mem.failOn(f.op, f.n, f.error);
        FixedClock clock{test::kGoldenMoment};
        SlowWatcher watcher;
        RunObserver* observer = f.action == Action::WatchedRun ? &watcher : nullptr;
        const RunOutcome o = runAnalysis(sheet.input(), {&mem, &clock, observer, nullptr, 10000});
        EXPECT_TRUE(mem.fired);
        EXPECT_EQ(mem.openFiles, 0) << "a result file was left open";
        EXPECT_EQ(o.end, f.end);
        EXPECT_EQ(o.message, f.end == RunEnd::OpenFailed ? openMessage(f.error) : "")
            << "a failed step line ends quietly";
        EXPECT_EQ(o.steps, f.steps) << "only complete steps count";
        // Only complete lines, each as the known run wrote it.
        const std::string bytes = mem.files.count("default.TGC") ? mem.files["default.TGC"] : "";
        EXPECT_TRUE(bytes.empty() || bytes.ends_with("\r\n"));
        const auto lines = test::crlfLines(bytes);
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(f.lines));
        EXPECT_TRUE(std::equal(lines.begin(), lines.end(), golden.begin()));
    }
}

// A missing folder, a full device and a folder in the file's place refuse the parameter file
// and the result file alike, at the create, at a write and before the create.
TEST(FileFaults, RealFilesThatRefuseWrites) {
    test::ScratchFolder dir;
    for (const char* name : {"full.mbr", "full.TGC"})
        ASSERT_EQ(symlink("/dev/full", dir.file(name).c_str()), 0);
    std::filesystem::create_directories(dir.file("folder.mbr"));
    std::filesystem::create_directories(dir.file("folder.TGC"));
    const std::pair<const char*, int> cases[] = {
        {"no/such/folder/p.mbr", ENOENT}, {"full.mbr", ENOSPC}, {"folder.mbr", EISDIR}};
    for (const auto& [name, error] : cases) {
        SCOPED_TRACE(name);
        ParameterSheet sheet = test::loadedSheet();
        const std::string mbr = dir.file(name);
        EXPECT_EQ(writeParameterFile(sheet, realFileSystem(), mbr), error);
        EXPECT_EQ(sheet.input().outputFileName, "");
        sheet.input().outputFileName = mbr;
        const auto refusal = prepareExecute(sheet, realFileSystem());
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->end, RunEnd::ResultUnwritable);
        EXPECT_EQ(refusal->message, openMessage(error));
        const RunOutcome o = runAnalysis(sheet.input(), {});
        EXPECT_EQ(o.end, RunEnd::OpenFailed);
        EXPECT_EQ(o.message, openMessage(error));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4)
        << "no scratch file is left behind";

    // The command line: a result file that cannot be written is a file error.
    test::CurrentFolder here(dir.file("folder.TGC"));
    std::filesystem::create_directory("default.TGC");
    const BatchResult r = runDefaultPanel();
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.message, openMessage(EISDIR));
}

} // namespace
} // namespace zmbr
