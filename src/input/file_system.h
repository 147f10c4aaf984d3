#pragma once
// Where the program meets the file system: every file it writes goes through this seam, so
// that tests can make any single operation fail.

#include <memory>
#include <string>
#include <string_view>

namespace zmbr {

// A file open for output. Every call returns 0 or the errno of the failure.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    // Writes the bytes, which may wait in a buffer until it fills, drain() or close(). The
    // file never ends inside a call's bytes: a failure leaves it as it was after the last
    // call whose bytes reached it, so bytes that waited are lost with the failing ones.
    virtual int write(std::string_view bytes) = 0;
    // Hands what waits in the buffer to the file now.
    virtual int drain() { return 0; }
    // Drains, and makes what was written durable before the file replaces another.
    virtual int flush() { return drain(); }
    // Drains and closes.
    virtual int close() = 0;
};

// What a path names. Only a normal file is read: a folder holds no lines, a pipe may never
// start and a device may never end.
enum class PathKind { Missing, NormalFile, Folder, Pipe, Socket, Device };

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Creates the file or empties an existing one. On failure returns null and sets `error`.
    virtual std::unique_ptr<OutputFile> create(const std::string& path, int& error) = 0;
    // Reads a whole file; returns 0 or the errno of the failure.
    virtual int readAll(const std::string& path, std::string& contents) = 0;
    // Replaces `target` by `source` in one step.
    virtual int rename(const std::string& source, const std::string& target) = 0;
    virtual int remove(const std::string& path) = 0;
    virtual PathKind kindOf(const std::string& path) = 0;
};

// The machine's own file system.
FileSystem& realFileSystem();

} // namespace zmbr
