#include "paramfile/open_save_actions.h"

#include "paramfile/parameter_file.h"

#include <cerrno>
#include <sys/stat.h>

namespace zmbr {

namespace {

std::string baseName(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int lookUpNormalFile(const std::string& path, bool& normal) {
    normal = false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? 0 : errno;
    normal = S_ISREG(st.st_mode) && !baseName(path).starts_with('.');
    return 0;
}

void openParameterFile(ParameterSheet& sheet, FileSystem& fs, const std::string& path,
                       UserPrompts& prompts) {
    if (auto failure = readParameterFile(sheet, fs, path))
        prompts.showMessage({"Error", failure->message, UserMessage::Icon::Exclamation});
}

void saveParameterFile(ParameterSheet& sheet, FileSystem& fs, const std::string& path,
                       UserPrompts& prompts) {
    bool exists = false;
    int code = lookUpNormalFile(path, exists);
    if (code == 0 && exists &&
        !prompts.askYesNo({"Menu", "This file has already existed. Do you overwrite?"}))
        return;
    if (code == 0)
        code = writeParameterFile(sheet, fs, path);
    if (code != 0)
        prompts.showMessage(
            {"Text editer", saveFailureMessage(code), UserMessage::Icon::Exclamation});
}

} // namespace zmbr
