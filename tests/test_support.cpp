#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zmbr::test {

namespace {

class MemoryFile final : public OutputFile {
  public:
    MemoryFile(MemoryFileSystem& fs, std::string& contents) : fs_(fs), contents_(contents) {
        ++fs_.openFiles;
    }
    ~MemoryFile() override {
        if (!closed_)
            --fs_.openFiles;
    }
    int write(std::string_view bytes) override {
        if (closed_)
            return EBADF;
        const int error = fs_.fault(FileOp::Write);
        if (error == 0)
            contents_.append(bytes);
        return error;
    }
    int drain() override { return fs_.fault(FileOp::Drain); }
    int flush() override { return fs_.fault(FileOp::Flush); }
    int close() override {
        if (!closed_)
            --fs_.openFiles;
        closed_ = true;
        return fs_.fault(FileOp::Close);
    }

  private:
    MemoryFileSystem& fs_;
    std::string& contents_;
    bool closed_ = false;
};

} // namespace

int MemoryFileSystem::fault(FileOp op) {
    const int n = ++calls[static_cast<std::size_t>(op)];
    if (op != failOp_ || (failAt_ != 0 && n != failAt_))
        return 0;
    fired = true;
    return failWith_;
}

std::unique_ptr<OutputFile> MemoryFileSystem::create(const std::string& path, int& error) {
    error = fault(FileOp::Create);
    if (error != 0)
        return nullptr;
    std::string& contents = files[path];
    contents.clear();
    return std::make_unique<MemoryFile>(*this, contents);
}

std::unique_ptr<InputFile> MemoryFileSystem::open(const std::string& path, int& error) {
    auto it = files.find(path);
    error = it == files.end() ? ENOENT : 0;
    return error ? nullptr : memoryInputFile(it->second);
}

int MemoryFileSystem::rename(const std::string& source, const std::string& target) {
    if (int error = fault(FileOp::Rename))
        return error;
    auto node = files.extract(source);
    if (node.empty())
        return ENOENT;
    files[target] = std::move(node.mapped());
    return 0;
}

int MemoryFileSystem::remove(const std::string& path) {
    return files.erase(path) ? 0 : ENOENT;
}

PathKind MemoryFileSystem::kindOf(const std::string& path) {
    return files.count(path) ? PathKind::NormalFile : PathKind::Missing;
}

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zmbr-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        ADD_FAILURE() << "cannot make a scratch folder";
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

CurrentFolder::CurrentFolder(const std::string& path)
    : previous_(std::filesystem::current_path().string()) {
    std::filesystem::current_path(path);
}

CurrentFolder::~CurrentFolder() {
    std::filesystem::current_path(previous_);
}

ParameterSheet loadedSheet() {
    ParameterSheet sheet;
    sheet.load();
    return sheet;
}

void typeAndLeave(ParameterSheet& sheet, FieldRef f, const std::string& text) {
    sheet.setText(f, text);
    sheet.leaveField(f);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::vector<std::string> crlfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; start < bytes.size(); start = end + 2) {
        end = std::min(bytes.find("\r\n", start), bytes.size());
        lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
}

std::string dataPath(const std::string& name) {
    return std::string(ZMBR_TEST_DATA) + "/" + name;
}

} // namespace zmbr::test
