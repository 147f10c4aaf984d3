#pragma once
// A file system held in memory: a study's variants are typed, saved and read back here, and
// the Python module's runs write their result files here until Python asks for the bytes.

#include "platform/file_system.h"

#include <map>
#include <optional>
#include <string>

namespace zmbr {

class MemoryFileSystem final : public FileSystem {
  public:
    std::unique_ptr<OutputFile> create(const std::string& path, int& error) override;
    std::unique_ptr<InputFile> open(const std::string& path, int& error) override;
    int rename(const std::string& source, const std::string& target) override;
    int remove(const std::string& path) override;
    PathKind kindOf(const std::string& path) override;

    void put(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }
    // The file's bytes, or nothing where no file of that name was made.
    std::optional<std::string> take(const std::string& path);

  private:
    std::map<std::string, std::string> files_;
};

} // namespace zmbr
