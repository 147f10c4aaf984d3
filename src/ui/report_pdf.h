#pragma once
// A calculation report as a PDF file: A4 portrait, its text real text in an embedded face,
// its figures drawn as vectors by the code of the graph windows and --plot.

#include "report/calculation_report.h"

#include <QByteArray>

namespace zmbr::ui {

// The bytes of the PDF file. Needs a QGuiApplication, which may run on the offscreen
// platform. The same document gives the same bytes: the date and the document's identity
// come from the document, not from the clock or chance.
QByteArray renderReportPdf(const ReportDocument& document);

} // namespace zmbr::ui
