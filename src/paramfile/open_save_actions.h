#pragma once
// What Open and Save do with the path the file chooser hands over, and the boxes they show.

#include "input/parameter_sheet.h"
#include "platform/file_system.h"

#include <string>

namespace zmbr {

// The title of message boxes that have none of their own.
inline constexpr const char* applicationTitle = "ZMBR";

// A message box as the user sees it.
struct UserMessage {
    enum class Icon { None, Exclamation };
    std::string title;
    std::string text;
    Icon icon = Icon::None;
    bool operator==(const UserMessage&) const = default;
};

// Where the commands meet the user: the windows show boxes, the tests answer them.
class UserPrompts {
  public:
    virtual ~UserPrompts() = default;
    // A box with an OK button.
    virtual void showMessage(const UserMessage& message) = 0;
    // A box with Yes and No, No the default; true for Yes.
    virtual bool askYesNo(const UserMessage& question) = 0;
};

// Looks the path up as a normal file: one that exists, is not a folder or a device, and is
// not hidden. Returns 0 when the look-up worked (`normal` says what it found; a missing file
// is no failure) or the errno of the failure.
int lookUpNormalFile(const std::string& path, bool& normal);

// Reads the file into the sheet; a failure is shown in an "Error" box, the sheet unchanged.
void openParameterFile(ParameterSheet& sheet, FileSystem& fs, const std::string& path,
                       UserPrompts& prompts);

// Asks before overwriting a normal file, writes the sheet, reports a failure with its code.
void saveParameterFile(ParameterSheet& sheet, FileSystem& fs, const std::string& path,
                       UserPrompts& prompts);

} // namespace zmbr
