#pragma once
// Form2, "MBR Calculating...": every quantity the run is working on.

#include "results/calculation_fields.h"
#include "results/ui/value_box.h"

#include <QWidget>

#include <functional>
#include <map>

class QLabel;
class QPushButton;

namespace zmbr::ui {

class Form2 : public QWidget {
    Q_OBJECT

  public:
    explicit Form2(QWidget* parent = nullptr);

    // Shows what the run has recorded; only fields whose text changed are touched.
    void refresh(const CalculationFields& fields);
    ValueBox* field(CalcField f, int element = 0) const;
    QPushButton* command1() const { return command1_; }

    std::function<void()> onButton;    // the button, or the close box
    std::function<void()> onActivated; // every activation of the window

  protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void paintEvent(QPaintEvent*) override;

  private:
    void addField(CalcField f, int element, int left, int top, int width, int height = 285);
    QLabel* addLabel(const QString& text, int left, int top, int width, int height = 255);

    std::map<std::pair<int, int>, ValueBox*> fields_;
    QPushButton* command1_ = nullptr;
};

} // namespace zmbr::ui
