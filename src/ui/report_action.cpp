#include "ui/report_action.h"

#include "paramfile/parameter_file.h"
#include "platform/error_text.h"
#include "report/page_layout.h"
#include "study/summary_table.h"

#include <QAction>
#include <QFileDialog>
#include <QMessageBox>

#include <cerrno>
#include <filesystem>
#include <optional>

namespace zmbr::ui {

ReportDocument reportOfWindows(const RunWindows& runs, const ParameterSheet& sheet, FileSystem& fs,
                               const Clock& clock) {
    const PanelInput& in = sheet.input();
    PanelReportInput r;
    r.sheet = &sheet;
    if (fs.kindOf(in.paramFileName) == PathKind::NormalFile) {
        r.parameterFile = reportFileOf(fs, in.paramFileName);
        // The checksum stands for the inputs only while the window holds what the file does.
        ParameterSheet fromFile;
        fromFile.load();
        r.editedAfterReading = readParameterFile(fromFile, fs, in.paramFileName).has_value() ||
                               parameterFileLines(fromFile) != parameterFileLines(sheet);
    }
    if (runs.runEnded())
        r.outcome = runs.outcome();
    readResultFileBack(r, fs, in.outputFileName);
    r.date = clock.now();
    return panelReport(r);
}

int saveReportOfWindows(const RunWindows& runs, const ParameterSheet& sheet, FileSystem& fs,
                        const Clock& clock, const std::string& pdfPath) {
    const Expected<std::string> bytes = reportPdf(reportOfWindows(runs, sheet, fs, clock));
    WholeFile file(fs, pdfPath);
    return bytes ? file.commit(*bytes) : EIO;
}

void offerReport(RunWindows& runs, const ParameterSheet& sheet, FileSystem& fs,
                 const Clock& clock) {
    Form2* window = runs.form2();
    auto* save = new QAction(QStringLiteral("Save report..."), window);
    save->setObjectName(QStringLiteral("saveReport"));
    save->setEnabled(false);
    window->addAction(save);
    window->setContextMenuPolicy(Qt::ActionsContextMenu);
    QObject::connect(&runs, &RunWindows::finished, save, [save] { save->setEnabled(true); });
    QObject::connect(save, &QAction::triggered, window, [&runs, &sheet, &fs, &clock, window] {
        const std::string suggested =
            std::filesystem::path(sheet.input().outputFileName).replace_extension(".pdf").string();
        const QString path = QFileDialog::getSaveFileName(window, QStringLiteral("Save report"),
                                                          QString::fromStdString(suggested),
                                                          QStringLiteral("PDF files (*.pdf)"));
        if (path.isEmpty())
            return;
        if (int error = saveReportOfWindows(runs, sheet, fs, clock, path.toStdString()))
            QMessageBox::warning(window, QStringLiteral("Error"),
                                 QStringLiteral("The report cannot be written (%1).")
                                     .arg(QString::fromStdString(errorText(error))));
    });
}

} // namespace zmbr::ui
