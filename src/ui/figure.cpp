#include "ui/figure.h"

#include "ui/drawing_painter.h"

namespace zmbr::ui {

QByteArray renderFigure(const Figure& figure, bool svg) {
    return renderDrawing(drawFigure(figure, qtTextWidth()), QString::fromStdString(figure.title),
                         svg);
}

QByteArray renderStudyMap(const StudyMap& map, bool svg) {
    return renderDrawing(drawStudyMap(map, qtTextWidth()), QString::fromStdString(map.title), svg);
}

} // namespace zmbr::ui
