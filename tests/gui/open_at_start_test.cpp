// zmbr FILE.mbr: the parameter window starts with the file opened, as the chooser opens it.

#include "input/ui/program_windows.h"
#include "open_at_start.h"
#include "test_support.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <filesystem>

using namespace zmbr;

class OpenAtStartTest : public QObject {
    Q_OBJECT

    FixedClock clock_{test::kGoldenMoment};
    QStringList messages_; // every message box shown, closed at once

    QString shown(ui::ProgramWindows& p, FieldRef f) {
        return qobject_cast<QLineEdit*>(p.form1().control(f))->text();
    }

  private slots:
    void init() {
        messages_.clear();
        auto* t = new QTimer(this);
        connect(t, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                // Over the parameter window, which keeps its place.
                const QWidget* over = box->parentWidget();
                messages_ << (over ? over->objectName() : QString()) + " " + box->windowTitle() +
                                 ": " + box->text();
                box->close();
            }
        });
        t->start(5);
    }

    void fieldsShowTheFileAndExecuteWritesBesideIt() {
        test::ScratchFolder dir;
        std::filesystem::create_directory(dir.file("walls"));
        const std::string file = dir.file("walls/steel_yield.mbr");
        std::filesystem::copy_file(test::dataPath("steel_yield.mbr"), file);
        test::CurrentFolder elsewhere(dir.path());
        ui::ProgramWindows program(realFileSystem(), clock_);
        program.form1().show();
        openAtStart(program, realFileSystem(), "walls/steel_yield.mbr");

        const auto lines = test::crlfLines(test::readFile(file));
        QCOMPARE(shown(program, {Control::Text1}).toStdString(), lines[1]);
        QCOMPARE(shown(program, {Control::Text10}).toStdString(), lines[4]);
        QCOMPARE(shown(program, {Control::Text2, 1}).toStdString(), lines[18]);
        const PanelInput& in = program.sheet().input();
        QCOMPARE(in.paramFileName, file);
        QCOMPARE(in.outputFileName, file);
        QCOMPARE(std::filesystem::current_path().string(), dir.file("walls"));

        QTest::mouseClick(program.form1().command(1), Qt::LeftButton);
        QVERIFY(program.runs());
        QVERIFY(QTest::qWaitFor([&] { return program.runs()->runEnded(); }, 20000));
        // The known result, but for the path that line 1 names.
        auto result = test::crlfLines(test::readFile(dir.file("walls/steel_yield.TGC")));
        auto known = test::crlfLines(test::readFile(test::dataPath("steel_yield.TGC")));
        QVERIFY(result[0].find("MBR file = " + file + ", at 12-06-2026, 09:30:05") !=
                std::string::npos);
        result.erase(result.begin());
        known.erase(known.begin());
        QVERIFY(result == known);
        QVERIFY(messages_.isEmpty());
    }

    void unreadableFileShowsItsErrorOverTheDefaults() {
        test::ScratchFolder dir;
        test::CurrentFolder here(dir.path());
        test::writeFile("short.mbr", "Created by ZMBR3\r\ncomment\r\n");
        for (const char* name : {"short.mbr", "missing.mbr"}) {
            ui::ProgramWindows program(realFileSystem(), clock_);
            program.form1().show();
            openAtStart(program, realFileSystem(), name);
            QTRY_COMPARE(messages_.size(), 1);
            QCOMPARE(
                messages_.takeFirst(),
                std::string(name) == "short.mbr"
                    ? QStringLiteral("Form1 Error: Line 3: the file ends before this line; its "
                                     "layout needs 13 lines.")
                    : QStringLiteral("Form1 Error: The file cannot be read (No such file or "
                                     "directory)."));
            QCOMPARE(shown(program, {Control::Text10}), QStringLiteral("15.00"));
            QCOMPARE(program.sheet().input().outputFileName, std::string());
        }
    }
};

QTEST_MAIN(OpenAtStartTest)
#include "open_at_start_test.moc"
