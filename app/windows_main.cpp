#include "windows_main.h"

#include "input/clock.h"
#include "input/file_system.h"
#include "input/ui/program_windows.h"

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

} // namespace

int runWindows(int& argc, char** argv, const std::string& screenshotPath) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZMBR"));
    ui::ProgramWindows program(realFileSystem(), systemClock());
    program.form1().show();
    if (!screenshotPath.empty()) {
        // The parameter window, then the run windows at the end of a default run
        // ("form1" in the name becomes "run").
        static QString form1Path, runPath;
        form1Path = QString::fromStdString(screenshotPath);
        runPath = QString(form1Path).replace(QStringLiteral("form1"), QStringLiteral("run"));
        static bool saved = false;
        QTimer::singleShot(300, &program.form1(), [&program] {
            saved = program.form1().grab().save(form1Path, "PNG");
            program.form1().command(1)->click();
            ui::RunWindows* runs = program.runs();
            if (!runs)
                return QApplication::exit(2);
            QObject::connect(runs, &ui::RunWindows::finished, runs, [runs] {
                QTimer::singleShot(300, runs, [runs] {
                    if (runPath != form1Path)
                        saved = screenPicture({runs->form2(), runs->form3(), runs->form4()})
                                    .save(runPath, "PNG") &&
                                saved;
                    QApplication::exit(saved ? 0 : 2);
                });
            });
        });
    }
    return QApplication::exec();
}

} // namespace zmbr
