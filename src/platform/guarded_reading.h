#pragma once
// Every file the program reads is read one guarded way: anything but a normal file is refused
// by its kind before it is opened, the open never waits for a writer, a line holds at most
// kMaxLineBytes and no line is read past the last its layout can hold. The failures are told
// in the same words whatever the file, on a terminal and in a window's box alike.

#include "platform/failure.h"
#include "platform/file_system.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace zmbr {

// The longest line a file may hold, far longer than any line the program writes: reading
// holds no more than this of any line.
inline constexpr std::size_t kMaxLineBytes = 65536;

// "Line n: reason".
Failure lineFailure(std::size_t n, const std::string& reason);

// Line n was needed, but the file ended before it.
Failure endsBeforeLine(std::size_t n, std::size_t layoutLines);

// Refuses anything but a normal file before opening it, then opens it without waiting; on a
// failure returns null and says why in `failure`.
std::unique_ptr<InputFile> openGuarded(FileSystem& fs, const std::string& path,
                                       std::optional<Failure>& failure);

// The lines of one file, read one by one from its start.
class GuardedFile {
  public:
    // `kindOfFile` names the file in a message ("a result file"); `maxLines` is the most
    // lines its layout can hold.
    GuardedFile(std::string kindOfFile, std::size_t maxLines)
        : kindOfFile_(std::move(kindOfFile)), maxLines_(maxLines) {}

    // Refuses anything but a normal file before opening it, then opens it without waiting.
    std::optional<Failure> open(FileSystem& fs, const std::string& path);

    // The next line, without its end. False at the end of the file and on a failure, after
    // which failure() says what went wrong; an empty file is a failure, its end is not.
    bool next(std::string& line);
    const std::optional<Failure>& failure() const { return failure_; }

    // The number of the last line read (0 before the first).
    std::size_t lineNumber() const { return lines_; }

    // The lines from the next on hold at most maxBytes, where a layout knows its lines to be
    // shorter than kMaxLineBytes: a longer one is refused at once, its rest unread.
    void limitLines(std::size_t maxBytes);

  private:
    std::string kindOfFile_;
    std::size_t maxLines_;
    std::size_t maxLineBytes_ = kMaxLineBytes;
    std::unique_ptr<InputFile> file_;
    std::unique_ptr<LineReader> reader_;
    std::size_t lines_ = 0;
    std::optional<Failure> failure_;
};

} // namespace zmbr
