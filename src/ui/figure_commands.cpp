#include "ui/figure_commands.h"
#include "platform/error_text.h"

#include "study/result_plot.h"
#include "study/study_chart.h"
#include "study/summary_table.h"
#include "ui/figure.h"

#include <QGuiApplication>

#include <cstdio>
#include <memory>
#include <ostream>

namespace zmbr {

namespace {

// Pictures need the toolkit's fonts, not a screen: the offscreen platform serves, whether a
// display is there or not. Its chatter about the missing screen is dropped.
class OffscreenToolkit {
  public:
    OffscreenToolkit() {
        if (QCoreApplication::instance())
            return;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", qPrintable(text));
        });
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }

  private:
    static inline int argc_ = 1;
    static inline char name_[] = "zmbr";
    static inline char* argv_[] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

bool endsWithSvg(const std::string& path) {
    return QString::fromStdString(path).endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
}

// The picture into the file, or why it is not written.
std::optional<Failure> writePicture(const QByteArray& bytes, const std::string& path) {
    WholeFile file(realFileSystem(), path);
    const int error = bytes.isEmpty() ? EIO : file.commit(bytes.toStdString());
    if (!error)
        return std::nullopt;
    return Failure{path + ": the picture cannot be written (" + errorText(error) + ")"};
}

// The figure into the file, SVG or PNG by its name, or why it is not written.
std::optional<Failure> writeFigure(const Figure& figure, const std::string& path) {
    return writePicture(ui::renderFigure(figure, endsWithSvg(path)), path);
}

} // namespace

std::optional<Failure> writeStudyChart(const StudyResults& results, const std::string& svgPath,
                                       const std::string& pngPath) {
    OffscreenToolkit toolkit;
    if (studyWantsMap(results)) {
        const StudyMap map = studyMap(results);
        if (auto failure = writePicture(ui::renderStudyMap(map, true), svgPath))
            return failure;
        return writePicture(ui::renderStudyMap(map, false), pngPath);
    }
    const Figure chart = studyChart(results);
    if (auto failure = writeFigure(chart, svgPath))
        return failure;
    return writeFigure(chart, pngPath);
}

int runPlot(const PlotCurves& curves, bool strainCurve, const std::string& outPath,
            std::ostream& err) {
    OffscreenToolkit toolkit;
    if (auto failure = writeFigure(resultPlot(curves, strainCurve), outPath)) {
        err << "zmbr: " << failure->message << "\n";
        return 2;
    }
    return 0;
}

} // namespace zmbr
