#pragma once
// A file system whose files go nowhere: benchmarks measure the computation and the
// formatting of the lines, not the disk.

#include "platform/file_system.h"

#include <cerrno>

namespace zmbr::bench {

class DiscardingFileSystem final : public FileSystem {
    struct Sink final : OutputFile {
        int write(std::string_view) override { return 0; }
        int close() override { return 0; }
    };

  public:
    std::unique_ptr<OutputFile> create(const std::string&, int& error) override {
        error = 0;
        return std::make_unique<Sink>();
    }
    std::unique_ptr<InputFile> open(const std::string&, int& error) override {
        error = ENOENT;
        return nullptr;
    }
    int rename(const std::string&, const std::string&) override { return 0; }
    int remove(const std::string&) override { return 0; }
    PathKind kindOf(const std::string&) override { return PathKind::Missing; }
};

} // namespace zmbr::bench
