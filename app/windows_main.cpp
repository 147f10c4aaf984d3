#include "windows_main.h"

#include "input/file_system.h"
#include "input/parameter_sheet.h"
#include "input/ui/form1.h"

#include <QApplication>
#include <QTimer>

namespace zmbr {

int runWindows(int& argc, char** argv, const std::string& screenshotPath) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZMBR"));
    ParameterSheet sheet; // the program's one parameter set, for its whole life
    ui::Form1 form1(sheet, realFileSystem());
    form1.show();
    if (!screenshotPath.empty()) {
        QTimer::singleShot(300, &form1, [&] {
            const bool saved = form1.grab().save(QString::fromStdString(screenshotPath), "PNG");
            QApplication::exit(saved ? 0 : 2);
        });
    }
    return QApplication::exec();
}

} // namespace zmbr
