#pragma once
// Form2, "MBR Calculating...": every quantity the run is working on.

#include "run/calculation_fields.h"

#include <QColor>
#include <QFont>
#include <QRawFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QLabel;
class QPushButton;

namespace zmbr::ui {

// One field of the window. The window paints all its fields itself in one pass, so a
// refresh that changes a dozen of them costs one repaint, not a dozen.
class FieldBox {
  public:
    const QString& text() const { return text_; }
    const QColor& textColor() const { return color_; }

  private:
    friend class Form2;
    QRect rect_;
    int font_ = 0; // in the window's list of field fonts
    Qt::Alignment alignment_;
    QString text_;
    QColor color_ = Qt::black;
};

class Form2 : public QWidget {
    Q_OBJECT

  public:
    explicit Form2(QWidget* parent = nullptr);

    // Shows what the run has recorded; only fields whose text changed are repainted. The
    // recorder must outlive the window's next paint.
    void refresh(const CalculationFields& fields);
    const FieldBox* field(CalcField f, int element = 0) const;
    QPushButton* command1() const { return command1_; }

    std::function<void()> onButton;    // the button, or the close box
    std::function<void()> onActivated; // every activation of the window

  protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

  private:
    void addField(CalcField f, int element, int left, int top, int width, int height = 285);
    QLabel* addLabel(const QString& text, int left, int top, int width, int height = 255);

    static bool takeText(FieldBox& box, const CalculationFields& values, CalcField f, int element);
    void takePendingTexts() const;

    // Mutable so that reading a field shows what the window would paint.
    mutable std::map<std::pair<int, int>, FieldBox> fields_;
    mutable const CalculationFields* pending_ = nullptr;
    std::vector<QFont> fieldFonts_;  // few distinct ones, so a repaint seldom switches
    std::vector<QRawFont> rawFonts_; // the same, for drawing from glyphs
    QPushButton* command1_ = nullptr;
};

} // namespace zmbr::ui
