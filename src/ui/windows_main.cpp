#include "ui/windows_main.h"

#include "platform/clock.h"
#include "platform/file_system.h"
#include "ui/open_at_start.h"
#include "ui/open_save_window.h"
#include "ui/program_windows.h"

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace zmbr {

namespace {

// The picture of every window on the screen in the rectangle they cover.
QImage screenPicture(const std::vector<QWidget*>& windows) {
    QRect covered;
    for (QWidget* w : windows)
        covered |= w->frameGeometry();
    QImage image(covered.size(), QImage::Format_RGB32);
    image.fill(QColor(90, 90, 90));
    QPainter p(&image);
    for (QWidget* w : windows)
        p.drawPixmap(w->geometry().topLeft() - covered.topLeft(), w->grab());
    return image;
}

// The Open chooser over the current folder, then the program ends.
void pictureOfChooser(ui::ProgramWindows& program, const QString& path, bool saved) {
    QTimer::singleShot(300, &program.form1(), [path, saved] {
        auto* chooser = qobject_cast<ui::frmOpenSave*>(QApplication::activeModalWidget());
        bool ok = chooser && chooser->grab().save(path, "PNG") && saved;
        if (chooser)
            chooser->reject();
        QApplication::exit(ok ? 0 : 2);
    });
    program.form1().command(2)->click();
}

} // namespace

int runWindows(int& argc, char** argv, const std::string& screenshotPath,
               const std::string& openPath) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZMBR"));
    ui::ProgramWindows program(realFileSystem(), systemClock());
    program.form1().show();
    // Once the window is up, so that a box about the file comes over it.
    if (!openPath.empty())
        QTimer::singleShot(0, &program.form1(), [&program, openPath] {
            openAtStart(program, realFileSystem(), openPath);
        });
    if (!screenshotPath.empty()) {
        // The parameter window, the run windows at the end of a default run and the Open
        // chooser ("form1" in the name becomes "run" and "chooser").
        static QString form1Path, runPath, chooserPath;
        form1Path = QString::fromStdString(screenshotPath);
        runPath = QString(form1Path).replace(QStringLiteral("form1"), QStringLiteral("run"));
        chooserPath =
            QString(form1Path).replace(QStringLiteral("form1"), QStringLiteral("chooser"));
        static bool saved = false;
        QTimer::singleShot(300, &program.form1(), [&program] {
            saved = program.form1().grab().save(form1Path, "PNG");
            program.form1().command(1)->click();
            ui::RunWindows* runs = program.runs();
            if (!runs)
                return QApplication::exit(2);
            QObject::connect(runs, &ui::RunWindows::finished, runs, [runs, &program] {
                QTimer::singleShot(300, runs, [runs, &program] {
                    if (runPath != form1Path)
                        saved = screenPicture({runs->form2(), runs->form3(), runs->form4()})
                                    .save(runPath, "PNG") &&
                                saved;
                    runs->form2()->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
                    QTimer::singleShot(300, &program.form1(), [&program] {
                        if (chooserPath == form1Path)
                            return QApplication::exit(saved ? 0 : 2);
                        pictureOfChooser(program, chooserPath, saved);
                    });
                });
            });
        });
    }
    return QApplication::exec();
}

} // namespace zmbr
