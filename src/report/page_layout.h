#pragma once
// The report's pages: the document's blocks set on A4 in the report's faces, every text wrapped
// to its column and never cut, a sign-off header on every sheet, and the figures drawn in
// place. The result is the pages as pictures, which the PDF writer only writes.

#include "report/calculation_report.h"
#include "report/report_fonts.h"
#include "study/drawing.h"

#include <string>
#include <string_view>
#include <vector>

namespace zmbr {

std::vector<Drawing> layOutReport(const ReportDocument& document, const ReportFonts& fonts);

// The lines a text takes in a width: broken at blanks, and a word wider than the width (a path,
// a digest) after a '/' or, failing that, between any two characters.
std::vector<std::string> wrapText(std::string_view text, Face face, double size, double width,
                                  const TextWidth& measure);

// The report as a PDF file's bytes, or why it cannot be made (its faces are missing).
Expected<std::string> reportPdf(const ReportDocument& document);

// The report written whole to `path`, or why not; a file that could not be finished is not left
// behind as if it were the report.
std::optional<Failure> writeReportPdf(const ReportDocument& document, FileSystem& fs,
                                      const std::string& path);

} // namespace zmbr
