// Open and Save through the file chooser, driven as a user drives it, in scratch folders; and
// zmbr FILE.mbr, which opens the file as the chooser does.

#include "paramfile/parameter_file.h"
#include "test_support.h"
#include "ui/open_at_start.h"
#include "ui/open_save_window.h"
#include "ui/program_windows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <functional>

using namespace zmbr;

namespace {

std::string canonical(const std::string& path) {
    return std::filesystem::canonical(path).string();
}

QStringList itemsOf(QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text().trimmed();
    return items;
}

void doubleClick(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchEndsWith);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    const QPoint at = list->visualItemRect(found.first()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Replaces the name box's text as typing over a selection does.
void type(ui::frmOpenSave& chooser, const QString& text) {
    chooser.txtOpenSave()->selectAll();
    QTest::keyClicks(chooser.txtOpenSave(), text);
}

void clickOk(ui::frmOpenSave& chooser) {
    QTest::mouseClick(chooser.cmdOpenSave(0), Qt::LeftButton);
}

} // namespace

class OpenSaveTest : public QObject {
    Q_OBJECT

    FixedClock clock_{test::kGoldenMoment};
    std::unique_ptr<ui::ProgramWindows> program_;
    std::unique_ptr<test::ScratchFolder> folder_;
    std::unique_ptr<test::CurrentFolder> inFolder_;
    std::string here_;      // the scratch folder, as the chooser names it
    QStringList boxes_;     // "title|text|icon|No when No is the default" of every message box
    QStringList boxOwners_; // the window each box is over
    QMessageBox::StandardButton answer_ = QMessageBox::Ok;
    bool chooserLeftOpen_ = false;

    ParameterSheet& sheet() { return program_->sheet(); }

    // Answers every message box that comes up, keeping what it showed.
    void answerMessageBoxes() {
        auto* t = new QTimer(&program_->form1());
        connect(t, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            QAbstractButton* def = box->defaultButton();
            boxOwners_ << (box->parentWidget() ? box->parentWidget()->objectName() : QString());
            boxes_ << box->windowTitle() + "|" + box->text() + "|" +
                          QString::number(int(box->icon())) + "|" +
                          (def && box->standardButton(def) == QMessageBox::No ? "No" : "");
            QAbstractButton* b = box->button(answer_);
            if (b)
                b->click();
            else
                box->close();
        });
        t->start(5);
    }

    // Presses Open (2) or Save (3), runs the user's steps in the chooser that comes up, and
    // closes it if the steps left it open.
    void useChooser(int command, const std::function<void(ui::frmOpenSave&)>& steps) {
        bool ran = false;
        chooserLeftOpen_ = false;
        QTimer::singleShot(0, this, [&] {
            auto* chooser = qobject_cast<ui::frmOpenSave*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            ran = true;
            steps(*chooser);
            if (chooser->isVisible()) {
                chooserLeftOpen_ = true;
                chooser->reject();
            }
        });
        QTest::mouseClick(program_->form1().command(command), Qt::LeftButton);
        QVERIFY(ran);
    }

    std::string comment() { return sheet().text({PanelField::Comment}); }
    std::string shown(FieldRef f) {
        return qobject_cast<QLineEdit*>(program_->form1().control(f))->text().toStdString();
    }

  private slots:
    void init() {
        folder_ = std::make_unique<test::ScratchFolder>();
        here_ = canonical(folder_->path());
        std::filesystem::create_directory(here_ + "/sub");
        std::filesystem::copy_file(test::dataPath("steel_yield.mbr"), here_ + "/a.mbr");
        std::filesystem::copy_file(test::dataPath("fibre_rupture.mbr"), here_ + "/sub/c.mbr");
        // A gigabyte with a terminal's escape sequence, of which only the first lines are read.
        test::writeFile(here_ + "/b.mbr",
                        "Created by ZMBR3\r\nnot a parameter file\r\nx\x1b[2J\r\n");
        std::filesystem::resize_file(here_ + "/b.mbr", 1ull << 30);
        test::writeFile(here_ + "/notes.txt", "x");
        test::writeFile(here_ + "/x.dat", "x");
        test::writeFile(here_ + "/.hidden.mbr", "x");
        inFolder_ = std::make_unique<test::CurrentFolder>(here_);
        boxes_.clear();
        boxOwners_.clear();
        answer_ = QMessageBox::Ok;
        program_ = std::make_unique<ui::ProgramWindows>(realFileSystem(), clock_);
        program_->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&program_->form1()));
        answerMessageBoxes();
    }

    void cleanup() {
        program_.reset();
        inFolder_.reset();
        folder_.reset();
    }

    void chooserStartsInTheCurrentFolder() {
        useChooser(2, [&](ui::frmOpenSave& c) {
            QCOMPARE(c.windowTitle(), QStringLiteral("MBR Open"));
            QCOMPARE(c.txtOpenSave()->text(), QStringLiteral("*.mbr"));
            QCOMPARE(c.txtOpenSave()->selectedText(), QStringLiteral("*.mbr"));
            QCOMPARE(c.lblOpenSave(0)->text(), QStringLiteral("File Name:"));
            QCOMPARE(c.lblOpenSave(2)->text(), QString::fromStdString(here_));
            QCOMPARE(itemsOf(c.filOpenSave()), QStringList({"a.mbr", "b.mbr"}));
            QCOMPARE(itemsOf(c.dirOpenSave()).last(), QStringLiteral("sub"));
            QCOMPARE(c.drvOpenSave()->currentText(), QStringLiteral("/"));
            // Centred: half the screen less half the window, both ways.
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            const QRect window = c.frameGeometry();
            QCOMPARE(window.left(), screen.width() / 2 - window.width() / 2);
            QCOMPARE(window.top(), screen.height() / 2 - window.height() / 2);

            // OK waits for a name other than the pattern, and then stays enabled.
            QVERIFY(!c.cmdOpenSave(0)->isEnabled());
            QVERIFY(c.cmdOpenSave(0)->isDefault());
            type(c, "*.MBR");
            QVERIFY(c.cmdOpenSave(0)->isEnabled());
            type(c, "*.mbr");
            QVERIFY(c.cmdOpenSave(0)->isEnabled());
        });
        QVERIFY(chooserLeftOpen_);
        useChooser(3, [&](ui::frmOpenSave& c) {
            QCOMPARE(c.windowTitle(), QStringLiteral("MBR Save"));
            QVERIFY(!c.cmdOpenSave(0)->isEnabled()); // a fresh chooser
        });
    }

    void openByDoubleClickAndByTypedName() {
        useChooser(2, [&](ui::frmOpenSave& c) { doubleClick(c.filOpenSave(), "a.mbr"); });
        QVERIFY(!chooserLeftOpen_);
        QCOMPARE(comment(), "steel rows 0/90 that yield");
        QCOMPARE(shown({PanelField::Comment}), "steel rows 0/90 that yield");
        QCOMPARE(sheet().input().paramFileName, here_ + "/a.mbr");
        QCOMPARE(sheet().input().outputFileName, here_ + "/a.mbr");

        // A folder part in the typed name moves the lists; Enter is OK.
        useChooser(2, [&](ui::frmOpenSave& c) {
            type(c, "sub/c.mbr");
            QTest::keyClick(c.txtOpenSave(), Qt::Key_Return);
        });
        QVERIFY(!chooserLeftOpen_);
        QCOMPARE(sheet().input().paramFileName, here_ + "/sub/c.mbr");
        QCOMPARE(std::filesystem::current_path().string(), here_ + "/sub");
        QVERIFY(boxes_.isEmpty());
    }

    void openRefusals() {
        const std::string before = comment();
        // A name that is no file, a hidden file, then a file that is no parameter file.
        useChooser(2, [&](ui::frmOpenSave& c) {
            type(c, "missing.mbr");
            clickOk(c);
            type(c, ".hidden.mbr");
            clickOk(c);
        });
        QVERIFY(chooserLeftOpen_);
        const QString notFound =
            QStringLiteral("ZMBR|ファイルが存在しません。|%1|").arg(int(QMessageBox::Warning));
        QCOMPARE(boxes_, QStringList({notFound, notFound}));
        useChooser(2, [&](ui::frmOpenSave& c) { doubleClick(c.filOpenSave(), "b.mbr"); });
        QVERIFY(!chooserLeftOpen_);
        QCOMPARE(boxes_.size(), 3);
        QCOMPARE(boxes_[2],
                 QStringLiteral("Error|Line 3: the row count \"x\\x1B[2J\" is outside 1 to 10.|%1|")
                     .arg(int(QMessageBox::Warning)));
        QCOMPARE(comment(), before);
        QCOMPARE(sheet().input().paramFileName, here_ + "/b.mbr");
        QCOMPARE(sheet().input().outputFileName, "");
    }

    void patternAndFolderTypedIntoTheNameBox() {
        useChooser(2, [&](ui::frmOpenSave& c) {
            type(c, "*.dat");
            clickOk(c);
            QCOMPARE(itemsOf(c.filOpenSave()), QStringList({"x.dat"}));
            QCOMPARE(c.txtOpenSave()->text(), QStringLiteral("*.dat"));
            type(c, QString::fromStdString(here_ + "/sub"));
            clickOk(c);
            QCOMPARE(c.lblOpenSave(2)->text(), QString::fromStdString(here_ + "/sub"));
            QCOMPARE(c.txtOpenSave()->text(), QStringLiteral("*.dat"));
            QCOMPARE(itemsOf(c.filOpenSave()), QStringList());
        });
        QVERIFY(chooserLeftOpen_);
        QVERIFY(boxes_.isEmpty());
    }

    void saveUnderATypedName() {
        // A folder that is not there: the failure's box, and the file is named nowhere.
        useChooser(3, [&](ui::frmOpenSave& c) {
            type(c, "missing/new.mbr");
            clickOk(c);
        });
        QVERIFY(!chooserLeftOpen_);
        QCOMPARE(boxes_, QStringList({QStringLiteral("Text editer|Error. Try again.%1|%2|")
                                          .arg(ENOENT)
                                          .arg(int(QMessageBox::Warning))}));
        // No folder move: the typed name is the file's.
        QCOMPARE(sheet().input().paramFileName, "missing/new.mbr");
        QCOMPARE(sheet().input().outputFileName, "");
        boxes_.clear();
        useChooser(3, [&](ui::frmOpenSave& c) {
            type(c, "new");
            clickOk(c);
        });
        QVERIFY(boxes_.isEmpty()); // no question for a new file
        QVERIFY(test::readFile(here_ + "/new").starts_with("Created by ZMBR3\r\n"));
        QCOMPARE(sheet().input().paramFileName, "new");
        QCOMPARE(sheet().input().outputFileName, "new");
    }

    void saveOverAnExistingFile_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }

    void saveOverAnExistingFile() {
        QFETCH(bool, yes);
        const std::string old = test::readFile(here_ + "/a.mbr");
        answer_ = yes ? QMessageBox::Yes : QMessageBox::No;
        typeAndLeaveComment("saved over");
        useChooser(3, [&](ui::frmOpenSave& c) { doubleClick(c.filOpenSave(), "a.mbr"); });
        QVERIFY(!chooserLeftOpen_);
        QCOMPARE(boxes_, QStringList({QStringLiteral("Menu|This file has already existed. Do you "
                                                     "overwrite?|%1|No")
                                          .arg(int(QMessageBox::NoIcon))}));
        QCOMPARE(sheet().input().paramFileName, here_ + "/a.mbr");
        const std::string now = test::readFile(here_ + "/a.mbr");
        if (yes) {
            QVERIFY(now.find("saved over") != std::string::npos);
            QCOMPARE(sheet().input().outputFileName, here_ + "/a.mbr");
        } else {
            QVERIFY(now == old);
            QCOMPARE(sheet().input().outputFileName, "");
        }
    }

    void cancelAfterBrowsing() {
        const std::string before = comment();
        useChooser(2, [&](ui::frmOpenSave& c) {
            doubleClick(c.dirOpenSave(), "sub");
            QCOMPARE(itemsOf(c.filOpenSave()), QStringList({"c.mbr"}));
            QCOMPARE(c.lblOpenSave(2)->text(), QString::fromStdString(here_ + "/sub"));
            QTest::mouseClick(c.cmdOpenSave(1), Qt::LeftButton);
            QVERIFY(!c.isVisible());
        });
        QCOMPARE(std::filesystem::current_path().string(), here_ + "/sub");
        QCOMPARE(comment(), before);
        QCOMPARE(sheet().input().paramFileName, "");
        QCOMPARE(sheet().input().outputFileName, "");
        // The next chooser starts where the last one was left.
        useChooser(2, [&](ui::frmOpenSave& c) {
            QCOMPARE(c.lblOpenSave(2)->text(), QString::fromStdString(here_ + "/sub"));
        });
    }

    // A file that cannot be read shows its box over the window, whose fields keep their texts;
    // one that can is opened as by a double-click in the chooser.
    void openAtStartAsTheChooserOpens() {
        const std::string before = shown({PanelField::Comment});
        openAtStart(*program_, realFileSystem(), "missing.mbr");
        QTRY_COMPARE(boxes_.size(), 1);
        QCOMPARE(boxes_[0], QStringLiteral("Error|The file cannot be read (No such file or "
                                           "directory).|%1|")
                                .arg(int(QMessageBox::Warning)));
        QCOMPARE(boxOwners_, QStringList({"Form1"}));
        QCOMPARE(shown({PanelField::Comment}), before);
        QCOMPARE(sheet().input().outputFileName, "");

        const std::string file = here_ + "/sub/c.mbr";
        openAtStart(*program_, realFileSystem(), "sub/c.mbr");
        const auto lines = test::crlfLines(test::readFile(file));
        QCOMPARE(shown({PanelField::Comment}), lines[1]);
        QCOMPARE(shown({PanelField::Ar, 1}), lines[18]);
        QCOMPARE(sheet().input().paramFileName, file);
        QCOMPARE(sheet().input().outputFileName, file);
        QCOMPARE(std::filesystem::current_path().string(), here_ + "/sub");
        QCOMPARE(boxes_.size(), 1);
    }

  private:
    void typeAndLeaveComment(const std::string& text) {
        test::typeAndLeave(sheet(), {PanelField::Comment}, text);
    }
};

QTEST_MAIN(OpenSaveTest)
#include "open_save_test.moc"
