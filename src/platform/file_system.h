#pragma once
// Where the program meets the file system: every file it reads or writes goes through this
// seam, so that tests can make any single operation fail.

#include <cstddef>
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

// A file open for input.
class InputFile {
  public:
    virtual ~InputFile() = default;
    // Reads up to `size` bytes; `got` is 0 at the end of the file. Returns 0 or the errno.
    virtual int read(char* buffer, std::size_t size, std::size_t& got) = 0;
};

// What a path names. Only a normal file is read: a folder holds no lines, a pipe may never
// start and a device may never end.
enum class PathKind { Missing, NormalFile, Folder, Pipe, Socket, Device };

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Creates the file or empties an existing one. On failure returns null and sets `error`.
    virtual std::unique_ptr<OutputFile> create(const std::string& path, int& error) = 0;
    // Opens a file for reading without ever waiting for a writer. On failure returns null and
    // sets `error`.
    virtual std::unique_ptr<InputFile> open(const std::string& path, int& error) = 0;
    // Replaces `target` by `source` in one step.
    virtual int rename(const std::string& source, const std::string& target) = 0;
    virtual int remove(const std::string& path) = 0;
    virtual PathKind kindOf(const std::string& path) = 0;
};

// The machine's own file system.
FileSystem& realFileSystem();

// A file whose bytes are held in memory.
std::unique_ptr<InputFile> memoryInputFile(std::string bytes);

// The lines of a file from its start, read only as far as they are asked for, each at most
// `maxLength` bytes. A line ends at CR LF, CR or LF; a last line without an end counts too.
class LineReader {
  public:
    LineReader(InputFile& file, std::size_t maxLength) : file_(file), maxLength_(maxLength) {}
    enum class Status { Line, End, TooLong, Failed };
    // The next line, without its end; or the end of the file, a line over the limit (whose
    // rest is left unread) or a failure, after which it stays at that status.
    Status next(std::string& line);
    int error() const { return error_; }
    // The lines from the next on hold at most this many bytes.
    void limitLines(std::size_t maxLength) { maxLength_ = maxLength; }

  private:
    // The next byte, or -1 at the end of the file or on a failure.
    int get();

    InputFile& file_;
    std::size_t maxLength_;
    char buffer_[8192];
    std::size_t pos_ = 0, size_ = 0;
    bool ended_ = false;
    bool skipLf_ = false; // the last line ended at CR: a LF right after it belongs to it
    Status stopped_ = Status::Line;
    int error_ = 0;
};

} // namespace zmbr
