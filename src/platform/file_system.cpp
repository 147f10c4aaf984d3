#include "platform/file_system.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zmbr {

namespace {

// Writes go to the file 64 KiB at a time: one system call per line would cost a run more
// than its arithmetic.
class PosixOutputFile final : public OutputFile {
  public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    explicit PosixOutputFile(int fd) : fd_(fd) { buffer_.reserve(kBufferSize); }
    ~PosixOutputFile() override { close(); }

    int write(std::string_view bytes) override {
        if (fd_ < 0)
            return EBADF;
        buffer_.append(bytes);
        return buffer_.size() >= kBufferSize ? drain() : 0;
    }

    int drain() override {
        if (fd_ < 0)
            return EBADF;
        std::size_t done = 0;
        while (done < buffer_.size()) {
            ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                int error = errno;
                undoPartialWrite(done);
                buffer_.clear();
                return error;
            }
            done += static_cast<std::size_t>(n);
        }
        size_ += static_cast<off_t>(done);
        buffer_.clear();
        return 0;
    }

    int flush() override {
        if (int error = drain())
            return error;
        return ::fsync(fd_) == 0 ? 0 : errno;
    }

    int close() override {
        if (fd_ < 0)
            return 0;
        const int error = drain();
        int rc = ::close(fd_);
        fd_ = -1;
        if (error != 0)
            return error;
        return rc == 0 ? 0 : errno;
    }

  private:
    // The file must never end inside a line.
    void undoPartialWrite(std::size_t written) {
        if (written == 0)
            return;
        if (::ftruncate(fd_, size_) == 0)
            ::lseek(fd_, size_, SEEK_SET);
    }

    int fd_;
    off_t size_ = 0; // bytes that reached the file
    std::string buffer_;
};

class PosixInputFile final : public InputFile {
  public:
    explicit PosixInputFile(int fd) : fd_(fd) {}
    ~PosixInputFile() override { ::close(fd_); }

    int read(char* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        for (;;) {
            ssize_t n = ::read(fd_, buffer, size);
            if (n >= 0) {
                got = static_cast<std::size_t>(n);
                return 0;
            }
            if (errno != EINTR)
                return errno;
        }
    }

  private:
    int fd_;
};

class MemoryInputFile final : public InputFile {
  public:
    explicit MemoryInputFile(std::string bytes) : bytes_(std::move(bytes)) {}
    int read(char* buffer, std::size_t size, std::size_t& got) override {
        got = bytes_.copy(buffer, size, pos_);
        pos_ += got;
        return 0;
    }

  private:
    std::string bytes_;
    std::size_t pos_ = 0;
};

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<OutputFile> create(const std::string& path, int& error) override {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) {
            error = errno;
            return nullptr;
        }
        error = 0;
        return std::make_unique<PosixOutputFile>(fd);
    }

    std::unique_ptr<InputFile> open(const std::string& path, int& error) override {
        // Without O_NONBLOCK a pipe nobody writes to would hold the open for ever.
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) {
            error = errno;
            return nullptr;
        }
        struct stat st {};
        error = ::fstat(fd, &st) != 0  ? errno
                : S_ISDIR(st.st_mode)  ? EISDIR
                : !S_ISREG(st.st_mode) ? EINVAL
                                       : 0;
        if (error) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixInputFile>(fd);
    }

    int rename(const std::string& source, const std::string& target) override {
        return std::rename(source.c_str(), target.c_str()) == 0 ? 0 : errno;
    }

    int remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

    PathKind kindOf(const std::string& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return PathKind::Missing;
        if (S_ISREG(st.st_mode))
            return PathKind::NormalFile;
        if (S_ISDIR(st.st_mode))
            return PathKind::Folder;
        if (S_ISFIFO(st.st_mode))
            return PathKind::Pipe;
        if (S_ISSOCK(st.st_mode))
            return PathKind::Socket;
        return PathKind::Device;
    }
};

} // namespace

FileSystem& realFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

std::unique_ptr<InputFile> memoryInputFile(std::string bytes) {
    return std::make_unique<MemoryInputFile>(std::move(bytes));
}

int LineReader::get() {
    if (pos_ == size_) {
        if (ended_)
            return -1;
        error_ = file_.read(buffer_, sizeof buffer_, size_);
        pos_ = 0;
        if (error_ || size_ == 0) {
            size_ = 0;
            ended_ = true;
            return -1;
        }
    }
    return static_cast<unsigned char>(buffer_[pos_++]);
}

LineReader::Status LineReader::next(std::string& line) {
    line.clear();
    if (stopped_ != Status::Line)
        return stopped_;
    int c = get();
    if (skipLf_ && c == '\n')
        c = get();
    skipLf_ = false;
    if (c < 0)
        return stopped_ = error_ ? Status::Failed : Status::End;
    for (; c >= 0 && c != '\r' && c != '\n'; c = get()) {
        if (line.size() == maxLength_)
            return stopped_ = Status::TooLong;
        line.push_back(static_cast<char>(c));
    }
    if (error_)
        return stopped_ = Status::Failed;
    skipLf_ = c == '\r';
    return Status::Line;
}

} // namespace zmbr
