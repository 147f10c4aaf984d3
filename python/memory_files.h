#pragma once
// A file system held in memory: the module's runs write their result files here, and the
// bytes go to disk only when Python asks for them.

#include "platform/file_system.h"

#include <map>
#include <optional>
#include <string>

namespace zmbr::python {

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

} // namespace zmbr::python
