#pragma once
// A PDF file from pages laid out by the core: every text is real text in embedded faces (cut
// down to the glyphs the file uses), every line a vector. The same pages give the same bytes on
// every machine: numbers are written to the thousandth by integer arithmetic, and the file
// carries no time but the document's date.

#include "platform/clock.h"
#include "report/report_fonts.h"
#include "study/drawing.h"

#include <string>
#include <vector>

namespace zmbr {

// A4 portrait in points.
inline constexpr double kA4Width = 595.276, kA4Height = 841.89;

struct PdfInfo {
    std::string title, creator;
    LocalDateTime date;
};

// The pages (each a Drawing in points from the top-left corner, A4) as a PDF file's bytes.
std::string writePdf(const std::vector<Drawing>& pages, const ReportFonts& fonts,
                     const PdfInfo& info);

} // namespace zmbr
