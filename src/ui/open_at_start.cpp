#include "ui/open_at_start.h"

#include "paramfile/open_save_actions.h"
#include "paramfile/open_save_chooser.h"

#include <QMessageBox>

#include <filesystem>

namespace zmbr {

namespace {

// The boxes of the open action, over the parameter window.
class WindowPrompts final : public UserPrompts {
  public:
    explicit WindowPrompts(QWidget* parent) : parent_(parent) {}
    void showMessage(const UserMessage& m) override {
        QMessageBox box(m.icon == UserMessage::Icon::Exclamation ? QMessageBox::Warning
                                                                 : QMessageBox::NoIcon,
                        QString::fromStdString(m.title), QString::fromStdString(m.text),
                        QMessageBox::Ok, parent_);
        box.exec();
    }
    bool askYesNo(const UserMessage&) override { return false; } // opening asks nothing

  private:
    QWidget* parent_;
};

} // namespace

void openAtStart(ui::ProgramWindows& program, FileSystem& fs, const std::string& path) {
    WindowPrompts prompts(&program.form1());
    std::string chosen = path;
    bool normal = false;
    std::error_code ec;
    const std::filesystem::path given(path);
    // Only a file the chooser could list can be double-clicked; anything else is just read,
    // for its message.
    if (lookUpNormalFile(path, normal) == 0 && normal) {
        const std::filesystem::path folder =
            given.has_parent_path() ? given.parent_path() : std::filesystem::path(".");
        std::filesystem::current_path(folder, ec);
        if (!ec) {
            chosen =
                joinPath(std::filesystem::current_path(ec).string(), given.filename().string());
            program.sheet().input().paramFileName = chosen;
        }
    }
    openParameterFile(program.sheet(), fs, chosen, prompts);
}

} // namespace zmbr
