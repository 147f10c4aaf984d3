// Runs and saves whose file operations fail one at a time: each must end as the program
// defines, leave only complete lines behind, close every file and keep the old parameter file.

#include "input/execute_command.h"
#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"
#include "solver/analysis_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zmbr {
namespace {

enum class Op { Create, Write, Flush, Close, Rename };

// Passes every call to another file system and makes the n-th call of one kind fail.
class FaultyFileSystem final : public FileSystem {
  public:
    FaultyFileSystem(FileSystem& inner, Op op, int n, int error)
        : inner_(inner), op_(op), n_(n), error_(error) {}
    int openFiles = 0;
    int counts[5] = {};
    bool fired = false;

    bool fails(Op op) {
        if (++counts[static_cast<int>(op)] == n_ && op == op_) {
            fired = true;
            return true;
        }
        return false;
    }

    class File final : public OutputFile {
      public:
        File(FaultyFileSystem& fs, std::unique_ptr<OutputFile> inner)
            : fs_(fs), inner_(std::move(inner)) {
            ++fs_.openFiles;
        }
        ~File() override {
            if (open_)
                --fs_.openFiles; // dropped without close: counted as a leak by the checks
        }
        int write(std::string_view bytes) override {
            return fs_.fails(Op::Write) ? fs_.error_ : inner_->write(bytes);
        }
        int flush() override { return fs_.fails(Op::Flush) ? fs_.error_ : inner_->flush(); }
        int close() override {
            if (open_) {
                open_ = false;
                --fs_.openFiles;
            }
            const int e = inner_->close();
            return fs_.fails(Op::Close) ? fs_.error_ : e;
        }

      private:
        FaultyFileSystem& fs_;
        std::unique_ptr<OutputFile> inner_;
        bool open_ = true;
    };

    std::unique_ptr<OutputFile> create(const std::string& path, int& error) override {
        if (fails(Op::Create)) {
            error = error_;
            return nullptr;
        }
        auto f = inner_.create(path, error);
        if (!f)
            return nullptr;
        ++created_;
        return std::make_unique<File>(*this, std::move(f));
    }
    std::unique_ptr<InputFile> open(const std::string& path, int& error) override {
        return inner_.open(path, error);
    }
    int rename(const std::string& source, const std::string& target) override {
        return fails(Op::Rename) ? error_ : inner_.rename(source, target);
    }
    int remove(const std::string& path) override { return inner_.remove(path); }
    PathKind kindOf(const std::string& path) override { return inner_.kindOf(path); }

  private:
    FileSystem& inner_;
    Op op_;
    int n_;
    int error_;
    int created_ = 0;
};

ParameterSheet defaultSheet(test::MemoryFileSystem& mem) {
    ParameterSheet sheet;
    sheet.load();
    EXPECT_FALSE(readParameterFile(sheet, realFileSystem(), test::dataPath("default.mbr")));
    sheet.input().paramFileName = sheet.input().outputFileName = "default.mbr";
    EXPECT_FALSE(prepareExecute(sheet, mem));
    mem.files.erase("default.TGC"); // the test write before the run
    return sheet;
}

struct RunFault {
    const char* what;
    Op op;
    int n;
    int error;
    RunEnd end;
};

// The default panel runs 95 steps: write 1 is the header, writes 2..96 the step lines,
// then the closing lines.
TEST(FaultInjection, ResultFileFailuresEndAsDefined) {
    const auto golden = test::crlfLines(test::readFile(test::dataPath("default.TGC")));
    const RunFault faults[] = {
        {"create", Op::Create, 1, EACCES, RunEnd::OpenFailed},
        {"header", Op::Write, 1, ENOSPC, RunEnd::OpenFailed},
        {"step 1", Op::Write, 2, ENOSPC, RunEnd::WriteFailed},
        {"step 2", Op::Write, 3, EIO, RunEnd::WriteFailed},
        {"step 50", Op::Write, 51, ENOSPC, RunEnd::WriteFailed},
        {"last write (closing lines)", Op::Write, -1, ENOSPC, RunEnd::Failure},
        {"close", Op::Close, 1, EIO, RunEnd::Failure},
    };
    for (const RunFault& f : faults) {
        SCOPED_TRACE(f.what);
        test::MemoryFileSystem mem;
        ParameterSheet sheet = defaultSheet(mem);
        int n = f.n;
        if (n < 0) { // the clean run's last write
            test::MemoryFileSystem clean;
            ParameterSheet s2 = defaultSheet(clean);
            FaultyFileSystem count(clean, Op::Write, 0, 0);
            runAnalysis(s2.input(), {&count, nullptr, nullptr, nullptr, 10000});
            n = count.counts[static_cast<int>(Op::Write)];
        }
        FaultyFileSystem fs(mem, f.op, n, f.error);
        FixedClock clock{test::kGoldenMoment};
        const RunOutcome o = runAnalysis(sheet.input(), {&fs, &clock, nullptr, nullptr, 10000});
        EXPECT_TRUE(fs.fired);
        EXPECT_EQ(fs.openFiles, 0) << "a result file was left open";
        if (f.end == RunEnd::Failure) {
            // The step loop ended normally; only the file's end may be short.
            EXPECT_TRUE(o.end == RunEnd::Failure || o.end == RunEnd::WriteFailed);
        } else {
            EXPECT_EQ(o.end, f.end);
        }
        if (o.end == RunEnd::OpenFailed) {
            EXPECT_NE(o.message.find("(" + std::to_string(f.error) + ")"), std::string::npos)
                << o.message;
        }
        const bool stepLineFailed = o.end == RunEnd::WriteFailed && f.op == Op::Write;
        if (stepLineFailed) {
            EXPECT_TRUE(o.message.empty()) << "a failed step line ends quietly";
            EXPECT_EQ(o.steps, n - 2) << "the steps before the failed line are complete";
        }
        const auto it = mem.files.find("default.TGC");
        if (it == mem.files.end())
            continue;
        // Only complete lines, each as the reference run wrote it.
        const std::string& bytes = it->second;
        if (!bytes.empty()) {
            EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
        }
        const auto lines = test::crlfLines(bytes);
        ASSERT_LE(lines.size(), golden.size());
        if (stepLineFailed) {
            EXPECT_EQ(lines.size(), 4u + static_cast<std::size_t>(n - 2)); // header of 4 lines
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i == 1)
                continue; // the date line
            ASSERT_EQ(lines[i], golden[i]) << "line " << i + 1;
        }
    }
}

// Saving the parameter file: every write, the flush, the close and the rename may fail; the
// old file stays as it was and the failure is reported as the save message shows it.
TEST(FaultInjection, ParameterFileSaveKeepsTheOldFile) {
    const std::string old = "old contents\r\n";
    std::vector<std::pair<Op, int>> cases;
    for (int n = 1; n <= 80; ++n)
        cases.push_back({Op::Write, n});
    cases.push_back({Op::Create, 1});
    cases.push_back({Op::Flush, 1});
    cases.push_back({Op::Close, 1});
    cases.push_back({Op::Rename, 1});
    int firedWrites = 0;
    for (const auto& [op, n] : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(op)) + " #" + std::to_string(n));
        test::MemoryFileSystem mem;
        mem.files["p.mbr"] = old;
        ParameterSheet sheet;
        sheet.load();
        FaultyFileSystem fs(mem, op, n, ENOSPC);
        const int e = writeParameterFile(sheet, fs, "p.mbr");
        EXPECT_EQ(fs.openFiles, 0);
        if (!fs.fired) {
            EXPECT_EQ(e, 0);
            continue;
        }
        if (op == Op::Write)
            ++firedWrites;
        EXPECT_EQ(e, ENOSPC);
        EXPECT_EQ(mem.files.at("p.mbr"), old);
        EXPECT_EQ(mem.files.size(), 1u) << "no scratch file is left beside it";
        EXPECT_EQ(sheet.input().outputFileName, "") << "a failed save names nothing";
        EXPECT_EQ(saveFailureMessage(e), "Error. Try again." + std::to_string(ENOSPC));
    }
    EXPECT_GT(firedWrites, 0) << "no write of the parameter file was ever reached";
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

// Real files: a missing folder, a result file removed during the run and a full device.
TEST(FaultInjection, RealFilesEndAsDefined) {
    test::ScratchFolder scratch;
    {
        SCOPED_TRACE("missing folder");
        test::MemoryFileSystem mem;
        ParameterSheet sheet = defaultSheet(mem);
        sheet.input().outputFileName = scratch.file("no/such/folder/p.mbr");
        const RunOutcome o = runAnalysis(sheet.input(), {});
        EXPECT_EQ(o.end, RunEnd::OpenFailed);
        EXPECT_FALSE(o.message.empty());
    }
    {
        SCOPED_TRACE("result file removed during the run");
        test::MemoryFileSystem mem;
        ParameterSheet sheet = defaultSheet(mem);
        sheet.input().outputFileName = scratch.file("gone.mbr");
        RemovingObserver observer(scratch.file("gone.TGC"));
        const RunOutcome o =
            runAnalysis(sheet.input(), {nullptr, nullptr, &observer, nullptr, 10000});
        EXPECT_TRUE(observer.removed);
        // The open file outlives its name: the run goes to its own end.
        EXPECT_EQ(o.end, RunEnd::Failure);
        EXPECT_EQ(o.steps, 95);
    }
    {
        SCOPED_TRACE("result file on a full device");
        ASSERT_EQ(symlink("/dev/full", scratch.file("full.TGC").c_str()), 0);
        test::MemoryFileSystem mem;
        ParameterSheet sheet = defaultSheet(mem);
        sheet.input().outputFileName = scratch.file("full.mbr");
        const auto refusal = prepareExecute(sheet, realFileSystem());
        const RunOutcome o = runAnalysis(sheet.input(), {});
        // Execute's test write already meets the full device; a run started anyway fails
        // at its header, with the same message.
        ASSERT_TRUE(refusal.has_value());
        EXPECT_TRUE(refusal->resultFileUnwritable);
        EXPECT_EQ(refusal->message,
                  "This output data file has been opened by another application. (28)");
        EXPECT_EQ(o.end, RunEnd::OpenFailed);
        EXPECT_EQ(o.message, refusal->message);
    }
}

// What goes wrong when the result file and the parameter file are refused by a read-only
// folder; "" when both end as defined.
std::string readOnlyFolderFaults(const std::string& ro) {
    std::string faults;
    test::MemoryFileSystem mem;
    ParameterSheet sheet = defaultSheet(mem);
    sheet.input().outputFileName = ro + "/p.mbr";
    const RunOutcome o = runAnalysis(sheet.input(), {});
    if (o.end != RunEnd::OpenFailed)
        faults += "the run did not end at the open; ";
    if (o.message.find("(13)") == std::string::npos)
        faults += "message \"" + o.message + "\"; ";
    if (writeParameterFile(sheet, realFileSystem(), ro + "/p.mbr") != EACCES)
        faults += "the parameter file was not refused; ";
    return faults;
}

// Root writes into read-only folders, so as root the check runs in a child that has given
// up its privileges.
TEST(FaultInjection, ReadOnlyFolderRefusesBothFiles) {
    test::ScratchFolder scratch;
    ASSERT_EQ(chmod(scratch.path().c_str(), 0755), 0);
    const std::string ro = scratch.file("ro");
    ASSERT_EQ(mkdir(ro.c_str(), 0555), 0);
    if (geteuid() != 0) {
        EXPECT_EQ(readOnlyFolderFaults(ro), "");
        return;
    }
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        const uid_t nobody = 65534;
        std::string faults = setgid(nobody) == 0 && setuid(nobody) == 0
                                 ? readOnlyFolderFaults(ro)
                                 : "could not give up root; ";
        const ssize_t written = write(pipeFds[1], faults.data(), faults.size());
        _exit(written == static_cast<ssize_t>(faults.size()) ? 0 : 1);
    }
    close(pipeFds[1]);
    std::string faults;
    char buffer[256];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        faults.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(faults, "");
}

} // namespace
} // namespace zmbr
