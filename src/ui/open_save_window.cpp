#include "ui/open_save_window.h"

#include "ui/twips.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>

namespace zmbr::ui {

std::vector<std::string> mountedDrives() {
    std::vector<std::string> drives{"/"};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        std::string root = volume.rootPath().toStdString();
        if (volume.isValid() && volume.isReady() && root != "/")
            drives.push_back(root);
    }
    return drives;
}

frmOpenSave::frmOpenSave(ParameterSheet& sheet, FileSystem& fs, QWidget* parent)
    : QDialog(parent), chooser_(sheet, fs, *this, mountedDrives()) {
    setFont(windowFont());
    setWindowTitle(QString::fromStdString(chooser_.caption));
    buildControls();
    showState();
    centreOnScreen();
}

// Centred on the screen, whatever the window it belongs to: half the screen less half the
// window, frame included.
void frmOpenSave::centreOnScreen() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        const QSize w = frameGeometry().size();
        move(s.left() + s.width() / 2 - w.width() / 2, s.top() + s.height() / 2 - w.height() / 2);
    }
}

// The frame's size is known once the window exists.
void frmOpenSave::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!centred_) {
        centred_ = true;
        centreOnScreen();
    }
}

frmOpenSave::~frmOpenSave() = default;

void frmOpenSave::buildControls() {
    auto label = [this](int n, const char* text, QRect where) {
        lblOpenSave_[n] = new QLabel(QString::fromUtf8(text), this);
        lblOpenSave_[n]->setObjectName(QStringLiteral("lblOpenSave%1").arg(n));
        lblOpenSave_[n]->setGeometry(where);
    };
    // Left column: the name box over the file list; right column: drive, folder, buttons.
    label(0, "File Name:", twipsRect(120, 120, 2700, 255, this));
    txtOpenSave_ = new QLineEdit(QString::fromStdString(chooser_.nameBox()), this);
    txtOpenSave_->setObjectName(QStringLiteral("txtOpenSave"));
    txtOpenSave_->setGeometry(twipsRect(120, 390, 2700, 330, this));
    filOpenSave_ = new QListWidget(this);
    filOpenSave_->setObjectName(QStringLiteral("filOpenSave"));
    filOpenSave_->setGeometry(twipsRect(120, 780, 2700, 3360, this));

    label(3, "Drive:", twipsRect(3000, 120, 2880, 255, this));
    drvOpenSave_ = new QComboBox(this);
    drvOpenSave_->setObjectName(QStringLiteral("drvOpenSave"));
    drvOpenSave_->setGeometry(twipsRect(3000, 390, 2880, 330, this));
    label(2, "", twipsRect(3000, 780, 2880, 480, this));
    lblOpenSave_[2]->setWordWrap(true);
    lblOpenSave_[2]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label(1, "Folder:", twipsRect(3000, 1290, 2880, 255, this));
    dirOpenSave_ = new QListWidget(this);
    dirOpenSave_->setObjectName(QStringLiteral("dirOpenSave"));
    dirOpenSave_->setGeometry(twipsRect(3000, 1560, 2880, 2040, this));

    const char* captions[2] = {"OK", "Cancel"};
    for (int n = 0; n < 2; ++n) {
        cmdOpenSave_[n] = new QPushButton(QString::fromUtf8(captions[n]), this);
        cmdOpenSave_[n]->setObjectName(QStringLiteral("cmdOpenSave%1").arg(n));
        cmdOpenSave_[n]->setGeometry(twipsRect(3000 + n * 1500, 3720, 1380, 420, this));
        cmdOpenSave_[n]->setAutoDefault(false);
    }
    cmdOpenSave_[0]->setDefault(true); // Enter; Esc is the dialog's own reject
    setFixedSize(twips(6000, this), twips(4290, this));

    connect(txtOpenSave_, &QLineEdit::textEdited, this, [this](const QString& text) {
        chooser_.nameBoxChanged(text.toStdString());
        afterEvent();
    });
    connect(drvOpenSave_, &QComboBox::activated, this, [this](int index) {
        chooser_.driveChosen(index);
        afterEvent();
    });
    connect(dirOpenSave_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        chooser_.folderChosen(item->data(Qt::UserRole).toString().toStdString());
        afterEvent();
    });
    connect(filOpenSave_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        chooser_.fileClicked(filOpenSave_->row(item));
        afterEvent();
    });
    connect(filOpenSave_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        chooser_.fileDoubleClicked(filOpenSave_->row(item));
        afterEvent();
    });
    connect(cmdOpenSave_[0], &QPushButton::clicked, this, [this] {
        chooser_.okClicked();
        afterEvent();
    });
    connect(cmdOpenSave_[1], &QPushButton::clicked, this, [this] {
        chooser_.cancelClicked();
        afterEvent();
    });
}

void frmOpenSave::setMode(const QString& caption) {
    chooser_.caption = caption.toStdString();
    setWindowTitle(caption);
}

void frmOpenSave::selectPattern() {
    txtOpenSave_->setText(QString::fromUtf8(defaultPattern));
    chooser_.nameBoxChanged(defaultPattern);
    showState();
    txtOpenSave_->setSelection(0, 5);
    txtOpenSave_->setFocus();
}

void frmOpenSave::afterEvent() {
    if (chooser_.closed()) {
        reject();
        return;
    }
    showState();
}

// The lists are refilled only where they differ from what is shown, so a selection or a
// scroll position survives events that leave a list as it was.
void frmOpenSave::showState() {
    const QString name = QString::fromStdString(chooser_.nameBox());
    if (txtOpenSave_->text() != name)
        txtOpenSave_->setText(name);
    cmdOpenSave_[0]->setEnabled(chooser_.okEnabled());

    QStringList drives;
    for (const std::string& d : chooser_.drives())
        drives << QString::fromStdString(d);
    QStringList shownDrives;
    for (int i = 0; i < drvOpenSave_->count(); ++i)
        shownDrives << drvOpenSave_->itemText(i);
    if (shownDrives != drives) {
        const QSignalBlocker block(drvOpenSave_);
        drvOpenSave_->clear();
        drvOpenSave_->addItems(drives);
    }
    drvOpenSave_->setCurrentIndex(chooser_.driveIndex());

    lblOpenSave_[2]->setText(QString::fromStdString(chooser_.folder()));

    const QIcon openFolder = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedFolder = style()->standardIcon(QStyle::SP_DirClosedIcon);
    std::vector<FolderEntry> folders = chooser_.folderEntries();
    bool sameFolders = dirOpenSave_->count() == static_cast<int>(folders.size());
    for (int i = 0; sameFolders && i < dirOpenSave_->count(); ++i)
        sameFolders = dirOpenSave_->item(i)->data(Qt::UserRole).toString().toStdString() ==
                      folders[static_cast<std::size_t>(i)].path;
    if (!sameFolders) {
        dirOpenSave_->clear();
        for (const FolderEntry& f : folders) {
            auto* item = new QListWidgetItem(f.open ? openFolder : closedFolder,
                                             QString(f.depth * 2, QLatin1Char(' ')) +
                                                 QString::fromStdString(f.name),
                                             dirOpenSave_);
            item->setData(Qt::UserRole, QString::fromStdString(f.path));
            if (f.open && f.path == chooser_.folder())
                dirOpenSave_->setCurrentItem(item);
        }
    }

    QStringList files;
    for (const std::string& f : chooser_.files())
        files << QString::fromStdString(f);
    QStringList shownFiles;
    for (int i = 0; i < filOpenSave_->count(); ++i)
        shownFiles << filOpenSave_->item(i)->text();
    if (shownFiles != files) {
        filOpenSave_->clear();
        filOpenSave_->addItems(files);
    }
}

void frmOpenSave::showMessage(const UserMessage& message) {
    QMessageBox box(message.icon == UserMessage::Icon::Exclamation ? QMessageBox::Warning
                                                                   : QMessageBox::NoIcon,
                    QString::fromStdString(message.title), QString::fromStdString(message.text),
                    QMessageBox::Ok, this);
    box.exec();
}

bool frmOpenSave::askYesNo(const UserMessage& question) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(question.title),
                    QString::fromStdString(question.text), QMessageBox::Yes | QMessageBox::No,
                    this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace zmbr::ui
