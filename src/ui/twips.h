#pragma once
// Window layouts are given in twips (1440 to the inch, 15 to a pixel at 96 dpi); the windows
// scale them with the screen's logical dpi.

#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QWidget>

namespace zmbr::ui {

inline int twips(int t, const QWidget* w) {
    const double dpi = w ? w->logicalDpiX() : 96.0;
    return static_cast<int>(t * dpi / 1440.0 + 0.5);
}

inline QRect twipsRect(int left, int top, int width, int height, const QWidget* w) {
    return {twips(left, w), twips(top, w), twips(width, w), twips(height, w)};
}

// The proportional Japanese user-interface font the windows ask for. Where it is missing,
// Latin and Greek come from Liberation Sans (Arial's metrics, close to the layout's own
// widths and line spacing) and Japanese from Noto Sans CJK JP.
inline QFont windowFont(bool bold = false) {
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("Noto Sans CJK JP")});
    f.setPointSizeF(9.75);
    f.setBold(bold);
    return f;
}

// The window font, made a little smaller where a sample text would not fit `width`.
inline QFont windowFontFitting(const QString& sample, int width, bool bold = false) {
    QFont f = windowFont(bold);
    while (f.pointSizeF() > 6 && QFontMetrics(f).horizontalAdvance(sample) > width)
        f.setPointSizeF(f.pointSizeF() - 0.25);
    return f;
}

} // namespace zmbr::ui
