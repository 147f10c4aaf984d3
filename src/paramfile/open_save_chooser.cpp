#include "paramfile/open_save_chooser.h"
#include "platform/error_text.h"

#include <algorithm>
#include <filesystem>
#include <fnmatch.h>
#include <system_error>

namespace zmbr {

namespace fsys = std::filesystem;

namespace {

bool hidden(const std::string& name) {
    return name.starts_with('.');
}

// The pattern may hold several, separated by ";"; letters match in either case.
bool matches(const std::string& pattern, const std::string& name) {
    std::size_t start = 0;
    while (start <= pattern.size()) {
        std::size_t end = pattern.find(';', start);
        if (end == std::string::npos)
            end = pattern.size();
        std::string one = pattern.substr(start, end - start);
        if (!one.empty() && ::fnmatch(one.c_str(), name.c_str(), FNM_CASEFOLD) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

bool hasWildcard(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

// The folder's absolute form without "." and ".." and links, or "" when it is no folder.
std::string resolvedFolder(const std::string& base, const std::string& path) {
    std::error_code ec;
    fsys::path p = fsys::path(path).is_absolute() ? fsys::path(path) : fsys::path(base) / path;
    fsys::path c = fsys::canonical(p, ec);
    if (ec || !fsys::is_directory(c, ec) || ec)
        return {};
    return c.string();
}

// 0 when the folder can be listed, else the errno of the failure.
int openFailure(const std::string& folder) {
    std::error_code ec;
    fsys::directory_iterator it(folder, ec);
    return ec.value();
}

// The process's current folder, or the root when it has gone.
std::string processFolder() {
    std::error_code ec;
    fsys::path here = fsys::current_path(ec);
    std::string folder = ec ? std::string() : resolvedFolder("/", here.string());
    return folder.empty() ? std::string(1, '/') : folder;
}

std::vector<std::string> sortedNames(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

std::string joinPath(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

OpenSaveChooser::OpenSaveChooser(ParameterSheet& sheet, FileSystem& fs, UserPrompts& prompts,
                                 std::vector<std::string> drives)
    : sheet_(sheet), fs_(fs), prompts_(prompts), drives_(std::move(drives)) {
    if (drives_.empty())
        drives_.push_back("/");
    const std::string here = processFolder();
    // The lists start where the process is; nothing here counts as a change.
    folder_ = fileFolder_ = here;
    drive_ = driveOf(here);
    lastFolderOnDrive_[drive_] = here;
    listFiles();
}

int OpenSaveChooser::driveOf(const std::string& path) const {
    int best = 0;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < drives_.size(); ++i) {
        const std::string& root = drives_[i];
        bool inside = path == root ||
                      (path.starts_with(root) && (root.ends_with('/') || path[root.size()] == '/'));
        if (inside && root.size() >= bestLength) {
            best = static_cast<int>(i);
            bestLength = root.size();
        }
    }
    return best;
}

void OpenSaveChooser::setNameBox(const std::string& text) {
    if (text == nameBox_)
        return;
    nameBox_ = text;
    if (text != defaultPattern)
        okEnabled_ = true; // and nothing disables it again
}

void OpenSaveChooser::nameBoxChanged(const std::string& text) {
    setNameBox(text);
}

void OpenSaveChooser::setDrive(int index) {
    if (index == drive_)
        return;
    drive_ = index;
    const std::string& root = drives_[static_cast<std::size_t>(index)];
    // The folder list goes to the drive's own current folder: the one the file list moved
    // to when that brought the drive along, else the last one shown there, else its root.
    std::string target = root;
    if (driveOf(fileFolder_) == index)
        target = fileFolder_;
    else if (auto last = lastFolderOnDrive_.find(index); last != lastFolderOnDrive_.end())
        target = last->second;
    setFolderList(target);
}

void OpenSaveChooser::setFolderList(const std::string& path) {
    if (path == folder_)
        return;
    folder_ = path;
    lastFolderOnDrive_[driveOf(path)] = path;
    setFileFolder(path);
    // The folder shown is the process's current folder, also after the chooser has gone.
    std::error_code ec;
    fsys::current_path(path, ec);
}

void OpenSaveChooser::setFileFolder(const std::string& path) {
    if (path == fileFolder_)
        return;
    fileFolder_ = path;
    listFiles();
    setNameBox(pattern_);
    setDrive(driveOf(path));
    setFolderList(path);
}

void OpenSaveChooser::setPattern(const std::string& pattern) {
    if (pattern == pattern_)
        return;
    pattern_ = pattern;
    listFiles();
    setDrive(driveOf(fileFolder_));
    setFolderList(fileFolder_);
}

void OpenSaveChooser::listFiles() {
    std::vector<std::string> names;
    std::error_code ec;
    for (fsys::directory_iterator it(fileFolder_, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code kindError;
        if (!hidden(name) && it->is_regular_file(kindError) && matches(pattern_, name))
            names.push_back(name);
    }
    files_ = sortedNames(std::move(names));
}

std::vector<FolderEntry> OpenSaveChooser::folderEntries() const {
    std::vector<FolderEntry> entries;
    const std::string& root = drives_[static_cast<std::size_t>(drive_)];
    entries.push_back({root, root, 0, true});
    std::string path = root;
    std::string rest = folder_.size() > root.size() ? folder_.substr(root.size()) : "";
    std::size_t start = 0;
    while (start < rest.size()) {
        std::size_t end = rest.find('/', start);
        if (end == std::string::npos)
            end = rest.size();
        if (end > start) {
            std::string name = rest.substr(start, end - start);
            path = joinPath(path, name);
            entries.push_back({path, name, static_cast<int>(entries.size()), true});
        }
        start = end + 1;
    }
    std::vector<std::string> subfolders;
    std::error_code ec;
    for (fsys::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code kindError;
        if (!hidden(name) && it->is_directory(kindError))
            subfolders.push_back(name);
    }
    int depth = static_cast<int>(entries.size());
    for (const std::string& name : sortedNames(std::move(subfolders)))
        entries.push_back({joinPath(folder_, name), name, depth, false});
    return entries;
}

void OpenSaveChooser::driveChosen(int index) {
    if (index < 0 || index >= static_cast<int>(drives_.size()) || index == drive_)
        return;
    const std::string& root = drives_[static_cast<std::size_t>(index)];
    std::string target = root;
    if (auto last = lastFolderOnDrive_.find(index); last != lastFolderOnDrive_.end())
        target = last->second;
    if (int code = openFailure(target)) {
        // The drive list stays on the drive it showed before.
        prompts_.showMessage({"Error", "The drive " + root + " cannot be read: " + errorText(code),
                              UserMessage::Icon::Exclamation});
        return;
    }
    setDrive(index);
}

void OpenSaveChooser::folderChosen(const std::string& path) {
    std::string folder = resolvedFolder(fileFolder_, path);
    int code = folder.empty() ? ENOENT : openFailure(folder);
    if (code != 0) {
        prompts_.showMessage({"Error",
                              "The folder " + path + " cannot be opened: " + errorText(code),
                              UserMessage::Icon::Exclamation});
        return;
    }
    setFolderList(folder);
}

void OpenSaveChooser::fileClicked(int index) {
    if (index >= 0 && index < static_cast<int>(files_.size()))
        setNameBox(files_[static_cast<std::size_t>(index)]);
}

void OpenSaveChooser::fileDoubleClicked(int index) {
    if (index >= 0 && index < static_cast<int>(files_.size()))
        choose(files_[static_cast<std::size_t>(index)]);
}

void OpenSaveChooser::choose(const std::string& name) {
    std::string path = joinPath(fileFolder_, name);
    sheet_.input().paramFileName = path;
    if (caption == openCaption)
        openParameterFile(sheet_, fs_, path, prompts_);
    else if (caption == saveCaption)
        saveParameterFile(sheet_, fs_, path, prompts_);
    closed_ = true; // whatever the action's outcome
}

// The file list takes the text apart: a folder part moves it, wildcards make a new pattern,
// the name of a file in its folder is chosen. The text is refused, with nothing moved, when
// its folder does not exist or its name is no file there.
bool OpenSaveChooser::handToFileList(const std::string& text) {
    if (text.empty())
        return false;
    std::string folderPart, namePart = text;
    if (!resolvedFolder(fileFolder_, text).empty()) {
        folderPart = text;
        namePart.clear();
    } else if (auto slash = text.find_last_of('/'); slash != std::string::npos) {
        folderPart = slash == 0 ? "/" : text.substr(0, slash);
        namePart = text.substr(slash + 1);
    }
    std::string folder = fileFolder_;
    if (!folderPart.empty()) {
        folder = resolvedFolder(fileFolder_, folderPart);
        if (folder.empty())
            return false;
    }
    bool wildcard = hasWildcard(namePart);
    bool normal = false;
    if (!wildcard && !namePart.empty() &&
        (hidden(namePart) || lookUpNormalFile(joinPath(folder, namePart), normal) != 0 || !normal))
        return false;
    if (wildcard)
        setPattern(namePart);
    setFileFolder(folder);
    if (!wildcard && !namePart.empty())
        choose(namePart);
    return true;
}

void OpenSaveChooser::okClicked() {
    if (!okEnabled_ || closed_)
        return;
    const std::string text = nameBox_;
    if (handToFileList(text))
        return; // the lists have moved, or the file has been chosen
    bool normal = false;
    if (int code = lookUpNormalFile(text, normal)) {
        prompts_.showMessage({applicationTitle, errorText(code), UserMessage::Icon::Exclamation});
        return;
    }
    if (normal)
        return;
    if (caption == saveCaption) {
        // The typed name is the file the user saved: the result file's first line names it.
        sheet_.input().paramFileName = text;
        saveParameterFile(sheet_, fs_, text, prompts_);
        closed_ = true;
        return;
    }
    prompts_.showMessage(
        {applicationTitle, "ファイルが存在しません。", UserMessage::Icon::Exclamation});
}

} // namespace zmbr
