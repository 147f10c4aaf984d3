#include "platform/guarded_reading.h"

#include "platform/error_text.h"

namespace zmbr {

namespace {

const char* notAFile(PathKind kind) {
    switch (kind) {
    case PathKind::Folder:
        return "a folder";
    case PathKind::Pipe:
        return "a pipe";
    case PathKind::Socket:
        return "a socket";
    case PathKind::Device:
        return "a device";
    case PathKind::Missing:
    case PathKind::NormalFile:
        break;
    }
    return nullptr;
}

Failure cannotRead(int error) {
    return {"The file cannot be read (" + errorText(error) + ")."};
}

} // namespace

Failure lineFailure(std::size_t n, const std::string& reason) {
    return {"Line " + std::to_string(n) + ": " + reason};
}

Failure endsBeforeLine(std::size_t n, std::size_t layoutLines) {
    return lineFailure(n, "the file ends before this line; its layout needs " +
                              std::to_string(layoutLines) + " lines.");
}

std::unique_ptr<InputFile> openGuarded(FileSystem& fs, const std::string& path,
                                       std::optional<Failure>& failure) {
    // Checked before opening: a pipe or a device could hold the reader for ever.
    if (const char* what = notAFile(fs.kindOf(path))) {
        failure = Failure{std::string("This is ") + what + ", not a file."};
        return nullptr;
    }
    int error = 0;
    auto file = fs.open(path, error);
    if (!file)
        failure = cannotRead(error);
    return file;
}

std::optional<Failure> GuardedFile::open(FileSystem& fs, const std::string& path) {
    file_ = openGuarded(fs, path, failure_);
    if (file_)
        reader_ = std::make_unique<LineReader>(*file_, kMaxLineBytes);
    return failure_;
}

void GuardedFile::limitLines(std::size_t maxBytes) {
    maxLineBytes_ = maxBytes;
    if (reader_)
        reader_->limitLines(maxBytes);
}

bool GuardedFile::next(std::string& line) {
    line.clear();
    if (failure_ || !reader_)
        return false;
    const std::size_t n = lines_ + 1;
    switch (reader_->next(line)) {
    case LineReader::Status::Line:
        if (n > maxLines_) {
            failure_ = lineFailure(n, kindOfFile_ + " has at most " + std::to_string(maxLines_) +
                                          " lines.");
            return false;
        }
        lines_ = n;
        return true;
    case LineReader::Status::End:
        if (n == 1)
            failure_ = lineFailure(1, "the file is empty.");
        return false;
    case LineReader::Status::TooLong:
        failure_ = Failure{"Line " + std::to_string(n) + " is longer than " +
                           std::to_string(maxLineBytes_) + " bytes."};
        return false;
    case LineReader::Status::Failed:
        failure_ = cannotRead(reader_->error());
        return false;
    }
    return false;
}

} // namespace zmbr
