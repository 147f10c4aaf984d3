#pragma once
// The file chooser without the window: a drive list, a folder list, a file list and a name
// box that follow each other as the user browses, and the OK, double-click and Cancel rules
// that end in the open or save action. The window shows this state after every event.

#include "input/parameter_sheet.h"
#include "paramfile/open_save_actions.h"
#include "platform/file_system.h"

#include <map>
#include <string>
#include <vector>

namespace zmbr {

inline constexpr const char* openCaption = "MBR Open";
inline constexpr const char* saveCaption = "MBR Save";
inline constexpr const char* defaultPattern = "*.mbr";

// One line of the folder list: the folders from the root down to the current one, then the
// current folder's subfolders.
struct FolderEntry {
    std::string path;
    std::string name;
    int depth = 0;
    bool open = false; // the current folder or one above it
};

class OpenSaveChooser {
  public:
    // Loads at the process's current folder. `drives` are the roots of the mounted volumes.
    OpenSaveChooser(ParameterSheet& sheet, FileSystem& fs, UserPrompts& prompts,
                    std::vector<std::string> drives);

    // The caption is the mode: only "MBR Open" and "MBR Save" act.
    std::string caption = "File";

    // The user's events.
    void nameBoxChanged(const std::string& text);
    void driveChosen(int index);
    void folderChosen(const std::string& path);
    void fileClicked(int index);
    void fileDoubleClicked(int index);
    void okClicked();
    void cancelClicked() { closed_ = true; }

    const std::string& nameBox() const { return nameBox_; }
    bool okEnabled() const { return okEnabled_; }
    const std::vector<std::string>& drives() const { return drives_; }
    int driveIndex() const { return drive_; }
    // The folder list's path, which the label above it shows.
    const std::string& folder() const { return folder_; }
    std::vector<FolderEntry> folderEntries() const;
    const std::string& pattern() const { return pattern_; }
    const std::vector<std::string>& files() const { return files_; }
    // Set by the choose action, the save step of OK and Cancel: the window goes.
    bool closed() const { return closed_; }

  private:
    void setNameBox(const std::string& text);
    void setDrive(int index);
    void setFolderList(const std::string& path);
    void setFileFolder(const std::string& path);
    void setPattern(const std::string& pattern);
    void listFiles();
    int driveOf(const std::string& path) const;
    bool handToFileList(const std::string& text);
    void choose(const std::string& name);

    ParameterSheet& sheet_;
    FileSystem& fs_;
    UserPrompts& prompts_;
    std::vector<std::string> drives_;
    std::map<int, std::string> lastFolderOnDrive_;
    int drive_ = 0;
    std::string folder_;
    std::string fileFolder_;
    std::string pattern_ = defaultPattern;
    std::vector<std::string> files_;
    std::string nameBox_ = defaultPattern;
    bool okEnabled_ = false;
    bool closed_ = false;
};

// Folder and name joined by one "/", none added after a folder that ends in one (the root).
std::string joinPath(const std::string& folder, const std::string& name);

} // namespace zmbr
