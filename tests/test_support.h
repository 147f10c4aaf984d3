#pragma once
// Helpers the tests share: an in-memory file system that can fail on demand, a scratch
// folder, and reading files back.

#include "input/parameter_sheet.h"
#include "platform/clock.h"
#include "platform/file_system.h"

#include <array>
#include <cerrno>
#include <map>
#include <string>
#include <vector>

namespace zmbr::test {

// The file operations a test can make fail.
enum class FileOp { Create, Write, Drain, Flush, Close, Rename };

// Files live in memory. One operation can be made to fail: the at-th call of its kind,
// counted over all files from the last failOn (at 0: every call of that kind).
class MemoryFileSystem final : public FileSystem {
  public:
    std::map<std::string, std::string> files;
    int openFiles = 0;
    std::array<int, 6> calls{}; // of each FileOp
    bool fired = false;         // the failure happened

    void failOn(FileOp op, int at, int error) {
        failOp_ = op;
        failAt_ = at;
        failWith_ = error;
        calls = {};
    }
    // Counts a call of `op`: its errno where it fails, else 0.
    int fault(FileOp op);

    std::unique_ptr<OutputFile> create(const std::string& path, int& error) override;
    std::unique_ptr<InputFile> open(const std::string& path, int& error) override;
    int rename(const std::string& source, const std::string& target) override;
    int remove(const std::string& path) override;
    PathKind kindOf(const std::string& path) override;

  private:
    FileOp failOp_ = FileOp::Create;
    int failAt_ = -1; // none
    int failWith_ = 0;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Makes the current folder `path` for the lifetime of the object.
class CurrentFolder {
  public:
    explicit CurrentFolder(const std::string& path);
    ~CurrentFolder();

  private:
    std::string previous_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// Splits at CR LF; a last line without CR LF is kept as it is.
std::vector<std::string> crlfLines(const std::string& bytes);

// The moment every golden file was made at.
inline const LocalDateTime kGoldenMoment{2026, 12, 6, 9, 30, 5};

// A sheet as the parameter window shows it after start-up.
ParameterSheet loadedSheet();

// A user types into a field and then leaves it.
void typeAndLeave(ParameterSheet& sheet, FieldRef f, const std::string& text);

// The folder of the test data.
std::string dataPath(const std::string& name);

} // namespace zmbr::test
