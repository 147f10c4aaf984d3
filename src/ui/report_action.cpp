#include "ui/report_action.h"

#include "paramfile/parameter_file.h"
#include "platform/error_text.h"
#include "report/page_layout.h"
#include "study/summary_table.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>

#include <cerrno>
#include <filesystem>
#include <optional>

namespace zmbr::ui {

ReportDocument reportOfWindows(const RunWindows& runs, const ParameterSheet& sheet, FileSystem& fs,
                               const Clock& clock, const SignOff& signOff) {
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
    r.signOff = signOff;
    return panelReport(r);
}

int saveReportOfWindows(const RunWindows& runs, const ParameterSheet& sheet, FileSystem& fs,
                        const Clock& clock, const std::string& pdfPath, const SignOff& signOff) {
    const Expected<std::string> bytes = reportPdf(reportOfWindows(runs, sheet, fs, clock, signOff));
    WholeFile file(fs, pdfPath);
    return bytes ? file.commit(*bytes) : EIO;
}

std::optional<SignOff> askSignOff(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("signOff"));
    dialog.setWindowTitle(QStringLiteral("Report"));
    auto* form = new QFormLayout(&dialog);
    QSettings settings(QStringLiteral("ZMBR"), QStringLiteral("ZMBR"));
    struct Entry {
        const char* key;
        const char* caption;
        std::string SignOff::*value;
    };
    const Entry entries[] = {{"project", "Project", &SignOff::project},
                             {"job", "Job", &SignOff::job},
                             {"element", "Element", &SignOff::element},
                             {"preparedBy", "Prepared by", &SignOff::preparedBy},
                             {"checkedBy", "Checked by", &SignOff::checkedBy},
                             {"revision", "Revision", &SignOff::revision}};
    std::vector<QLineEdit*> edits;
    for (const Entry& e : entries) {
        auto* edit = new QLineEdit(
            settings.value(QStringLiteral("report/") + QLatin1String(e.key)).toString(), &dialog);
        edit->setObjectName(QLatin1String(e.key));
        form->addRow(QString::fromUtf8(e.caption), edit);
        edits.push_back(edit);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    SignOff s;
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        s.*entries[i].value = edits[i]->text().toStdString();
        settings.setValue(QStringLiteral("report/") + QLatin1String(entries[i].key),
                          edits[i]->text());
    }
    return s;
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
        const std::optional<SignOff> signOff = askSignOff(window);
        if (!signOff)
            return;
        const std::string suggested =
            std::filesystem::path(sheet.input().outputFileName).replace_extension(".pdf").string();
        const QString path = QFileDialog::getSaveFileName(window, QStringLiteral("Save report"),
                                                          QString::fromStdString(suggested),
                                                          QStringLiteral("PDF files (*.pdf)"));
        if (path.isEmpty())
            return;
        if (int error = saveReportOfWindows(runs, sheet, fs, clock, path.toStdString(), *signOff))
            QMessageBox::warning(window, QStringLiteral("Error"),
                                 QStringLiteral("The report cannot be written (%1).")
                                     .arg(QString::fromStdString(errorText(error))));
    });
}

} // namespace zmbr::ui
