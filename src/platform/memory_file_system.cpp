#include "platform/memory_file_system.h"

#include <cerrno>

namespace zmbr {

namespace {

class MemoryOutput final : public OutputFile {
  public:
    explicit MemoryOutput(std::string& bytes) : bytes_(bytes) {}
    int write(std::string_view bytes) override {
        bytes_.append(bytes);
        return 0;
    }
    int close() override { return 0; }

  private:
    std::string& bytes_;
};

} // namespace

std::unique_ptr<OutputFile> MemoryFileSystem::create(const std::string& path, int& error) {
    error = 0;
    std::string& bytes = files_[path];
    bytes.clear();
    return std::make_unique<MemoryOutput>(bytes);
}

std::unique_ptr<InputFile> MemoryFileSystem::open(const std::string& path, int& error) {
    const auto it = files_.find(path);
    if (it == files_.end()) {
        error = ENOENT;
        return nullptr;
    }
    error = 0;
    return memoryInputFile(it->second);
}

int MemoryFileSystem::rename(const std::string& source, const std::string& target) {
    const auto it = files_.find(source);
    if (it == files_.end())
        return ENOENT;
    std::string bytes = std::move(it->second);
    files_.erase(it);
    files_[target] = std::move(bytes);
    return 0;
}

int MemoryFileSystem::remove(const std::string& path) {
    return files_.erase(path) ? 0 : ENOENT;
}

PathKind MemoryFileSystem::kindOf(const std::string& path) {
    return files_.count(path) ? PathKind::NormalFile : PathKind::Missing;
}

std::optional<std::string> MemoryFileSystem::take(const std::string& path) {
    const auto it = files_.find(path);
    if (it == files_.end())
        return std::nullopt;
    std::string bytes = std::move(it->second);
    files_.erase(it);
    return bytes;
}

} // namespace zmbr
