#pragma once
// Files held in memory for the fuzz targets: nothing touches the disk.

#include "platform/file_system.h"

#include <cerrno>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zmbr::fuzz {

class MemoryFileSystem final : public FileSystem {
  public:
    std::map<std::string, std::string> files;
    // Every write call of every file, in order, with the file's path.
    std::vector<std::pair<std::string, std::string>> writes;

    std::unique_ptr<OutputFile> create(const std::string& path, int& error) override {
        error = 0;
        std::string& contents = files[path];
        contents.clear();
        return std::make_unique<File>(*this, path, contents);
    }
    std::unique_ptr<InputFile> open(const std::string& path, int& error) override {
        auto it = files.find(path);
        error = it == files.end() ? ENOENT : 0;
        return error ? nullptr : memoryInputFile(it->second);
    }
    int rename(const std::string& source, const std::string& target) override {
        auto it = files.find(source);
        if (it == files.end())
            return ENOENT;
        std::string contents = std::move(it->second);
        files.erase(it);
        files[target] = std::move(contents);
        return 0;
    }
    int remove(const std::string& path) override { return files.erase(path) ? 0 : ENOENT; }
    PathKind kindOf(const std::string& path) override {
        return files.count(path) ? PathKind::NormalFile : PathKind::Missing;
    }

  private:
    class File final : public OutputFile {
      public:
        File(MemoryFileSystem& fs, std::string path, std::string& contents)
            : fs_(fs), path_(std::move(path)), contents_(contents) {}
        int write(std::string_view bytes) override {
            if (closed_)
                return EBADF;
            fs_.writes.emplace_back(path_, std::string(bytes));
            contents_.append(bytes);
            return 0;
        }
        int close() override {
            closed_ = true;
            return 0;
        }

      private:
        MemoryFileSystem& fs_;
        std::string path_;
        std::string& contents_;
        bool closed_ = false;
    };
};

} // namespace zmbr::fuzz
