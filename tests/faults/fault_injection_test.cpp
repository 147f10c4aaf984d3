// Files that cannot be written. Injected failures, one operation at a time: a run must end as
// the program defines, keep only complete lines and close its file; a save must keep the old
// parameter file. Real files the system refuses: the same messages the user reads.

#include "batch_run.h"
#include "input/execute_command.h"
#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"
#include "solver/analysis_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
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
                EXPECT_EQ(saveFailureMessage(e), "Error. Try again." + std::to_string(f.error));
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
            EXPECT_TRUE(refusal->resultFileUnwritable);
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

// Removes the result file from under the run at its first yield point after step 10.
class RemovingObserver final : public RunObserver {
  public:
    explicit RemovingObserver(std::string path) : path_(std::move(path)) {}
    void stepStarted(int step, double) override { step_ = step; }
    bool removed = false;

  protected:
    void yieldNow() override {
        if (step_ > 10 && !removed)
            removed = std::remove(path_.c_str()) == 0;
    }

  private:
    std::string path_;
    int step_ = 0;
};

// What saving the default panel as `mbr`, executing it and running it anyway come to.
std::string saveAndRun(const std::string& mbr) {
    ParameterSheet sheet = test::loadedSheet();
    std::string said = "save " + std::to_string(writeParameterFile(sheet, realFileSystem(), mbr));
    said += sheet.input().outputFileName.empty() ? "" : " named";
    sheet.input().outputFileName = mbr;
    const auto refusal = prepareExecute(sheet, realFileSystem());
    said += "; Execute: " + (refusal && refusal->resultFileUnwritable ? refusal->message : "ran");
    const RunOutcome o = runAnalysis(sheet.input(), {});
    return said + "; run: " + (o.end == RunEnd::OpenFailed ? o.message : "not refused") + "\n";
}

// Runs `check` without the privileges of root, which writes into read-only folders: as root,
// in a child that has given them up. Returns what it returned.
std::string unprivileged(const std::function<std::string()>& check) {
    if (geteuid() != 0)
        return check();
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        const uid_t nobody = 65534;
        const std::string said =
            setgid(nobody) == 0 && setuid(nobody) == 0 ? check() : "could not give up root";
        const ssize_t written = write(pipeFds[1], said.data(), said.size());
        _exit(written == static_cast<ssize_t>(said.size()) ? 0 : 1);
    }
    close(pipeFds[1]);
    std::string said;
    char buffer[256];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? said : said + "(the child failed)";
}

// A missing folder, a full device, a folder in the file's place and a read-only folder
// refuse the parameter file and the result file alike.
TEST(FileFaults, RealFilesThatRefuseWrites) {
    test::ScratchFolder dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    for (const char* name : {"full.mbr", "full.TGC"})
        ASSERT_EQ(symlink("/dev/full", dir.file(name).c_str()), 0);
    std::filesystem::create_directories(dir.file("folder.mbr"));
    std::filesystem::create_directories(dir.file("folder.TGC"));
    std::filesystem::create_directories(dir.file("ro"));
    test::writeFile(dir.file("ro/p.mbr"), "old contents\r\n");
    ASSERT_EQ(chmod(dir.file("ro").c_str(), 0555), 0);
    const std::pair<const char*, int> cases[] = {{"no/such/folder/p.mbr", ENOENT},
                                                 {"full.mbr", ENOSPC},
                                                 {"folder.mbr", EISDIR},
                                                 {"ro/p.mbr", EACCES}};
    std::string expected;
    for (const auto& [name, error] : cases)
        expected += "save " + std::to_string(error) + "; Execute: " + openMessage(error) +
                    "; run: " + openMessage(error) + "\n";
    EXPECT_EQ(unprivileged([&] {
                  std::string said;
                  for (const auto& [name, error] : cases)
                      said += saveAndRun(dir.file(name));
                  return said;
              }),
              expected);
    EXPECT_EQ(test::readFile(dir.file("ro/p.mbr")), "old contents\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("ro")), {}), 1);
    chmod(dir.file("ro").c_str(), 0755); // so that the scratch folder can go

    // The command line: a result file that cannot be written is a file error.
    {
        test::CurrentFolder here(dir.file("folder.TGC"));
        std::filesystem::create_directory("default.TGC");
        const BatchResult r = runDefaultPanel();
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.message, openMessage(EISDIR));
    }

    // A result file removed during the run: the open file outlives its name.
    test::MemoryFileSystem mem;
    ParameterSheet sheet = defaultSheet(mem);
    sheet.input().outputFileName = dir.file("gone.mbr");
    RemovingObserver observer(dir.file("gone.TGC"));
    const RunOutcome o = runAnalysis(sheet.input(), {nullptr, nullptr, &observer, nullptr, 10000});
    EXPECT_TRUE(observer.removed);
    EXPECT_EQ(o.end, RunEnd::Failure);
    EXPECT_EQ(o.steps, 95);
}

} // namespace
} // namespace zmbr
