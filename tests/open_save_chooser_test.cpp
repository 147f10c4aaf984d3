// The chooser's rules where the windows cannot easily reach: drives that cannot be read,
// names that cannot be looked up, the root folder's paths.

#include "paramfile/open_save_chooser.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zmbr {
namespace {

struct RecordedPrompts final : UserPrompts {
    std::vector<UserMessage> shown;
    void showMessage(const UserMessage& m) override { shown.push_back(m); }
    bool askYesNo(const UserMessage& q) override {
        shown.push_back(q);
        return false;
    }
};

TEST(OpenSaveChooser, JoinsFolderAndNameWithOneSlash) {
    struct Case {
        const char* folder;
        const char* name;
        const char* path;
    };
    for (const Case& c :
         {Case{"/", "a.mbr", "/a.mbr"}, Case{"/home/eng", "a.mbr", "/home/eng/a.mbr"},
          Case{"/mnt/usb/", "b.mbr", "/mnt/usb/b.mbr"}})
        EXPECT_EQ(joinPath(c.folder, c.name), c.path) << c.folder;
}

TEST(OpenSaveChooser, RefusalsKeepTheChooserWhereItWas) {
    test::ScratchFolder folder;
    const std::string here = std::filesystem::canonical(folder.path()).string();
    test::CurrentFolder inFolder(here);
    ParameterSheet sheet = test::loadedSheet();
    test::MemoryFileSystem fs;
    RecordedPrompts prompts;
    OpenSaveChooser chooser(sheet, fs, prompts, {"/", "/no-such-drive"});
    chooser.caption = saveCaption;

    // A drive that cannot be read: the list stays on the drive it showed.
    chooser.driveChosen(1);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Error");
    EXPECT_NE(prompts.shown[0].text.find("/no-such-drive"), std::string::npos);
    EXPECT_EQ(chooser.driveIndex(), 0);
    EXPECT_EQ(chooser.folder(), here);

    // A name too long to look up: the platform's words, and the chooser stays open.
    chooser.nameBoxChanged(std::string(5000, 'n'));
    chooser.okClicked();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1],
              (UserMessage{"ZMBR", "File name too long", UserMessage::Icon::Exclamation}));
    EXPECT_FALSE(chooser.closed());
    EXPECT_TRUE(fs.files.empty());
}

} // namespace
} // namespace zmbr
