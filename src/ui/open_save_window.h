#pragma once
// frmOpenSave, the program's own file chooser: a view of the chooser's lists and name box.
// Every event goes to the chooser, which runs the open or save action; the view then shows
// its state again and closes once the chooser says so.

#include "paramfile/open_save_chooser.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace zmbr::ui {

class frmOpenSave : public QDialog, private UserPrompts {
    Q_OBJECT

  public:
    // Loads at the process's current folder, centred on the screen.
    frmOpenSave(ParameterSheet& sheet, FileSystem& fs, QWidget* parent = nullptr);
    ~frmOpenSave() override;

    // The mode: the caption, as the user sees it and as the chooser compares it.
    void setMode(const QString& caption);
    // The name box holds the pattern, selected so that typing replaces it.
    void selectPattern();

    const OpenSaveChooser& chooser() const { return chooser_; }
    QLineEdit* txtOpenSave() const { return txtOpenSave_; }
    QListWidget* filOpenSave() const { return filOpenSave_; }
    QComboBox* drvOpenSave() const { return drvOpenSave_; }
    QListWidget* dirOpenSave() const { return dirOpenSave_; }
    QLabel* lblOpenSave(int n) const { return lblOpenSave_[n]; }
    QPushButton* cmdOpenSave(int n) const { return cmdOpenSave_[n]; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void centreOnScreen();
    void buildControls();
    void showState();
    void afterEvent();

    void showMessage(const UserMessage& message) override;
    bool askYesNo(const UserMessage& question) override;

    OpenSaveChooser chooser_;
    QLabel* lblOpenSave_[4] = {};
    QLineEdit* txtOpenSave_ = nullptr;
    QListWidget* filOpenSave_ = nullptr;
    QComboBox* drvOpenSave_ = nullptr;
    QListWidget* dirOpenSave_ = nullptr;
    QPushButton* cmdOpenSave_[2] = {};
    bool centred_ = false;
};

// The roots of the mounted volumes, the root folder first.
std::vector<std::string> mountedDrives();

} // namespace zmbr::ui
