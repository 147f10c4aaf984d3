#pragma once
// Form1, "MBR Parameter": the program's start window. A view of the parameter sheet: every
// edit, focus change and click goes to the sheet, every text the sheet sets is shown.

#include "input/parameter_sheet.h"
#include "platform/file_system.h"

#include <QWidget>

#include <map>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace zmbr::ui {

class Form1 : public QWidget, private SheetListener {
    Q_OBJECT

  public:
    // Loads the sheet as the window's start-up does and shows its texts.
    Form1(ParameterSheet& sheet, FileSystem& fs, QWidget* parent = nullptr);
    ~Form1() override;

    // The control that shows a field: a QLineEdit, or the QComboBox of a failure mode.
    QWidget* control(FieldRef f) const;
    QCheckBox* check1() const { return check1_; }
    QPushButton* command(int n) const; // Command1 .. Command4

  signals:
    // Execute passed its checks: the panel is ready to run.
    void executeReady();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void setTabOrder();
    void addField(FieldRef f, QRect where, bool rightAligned);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void chooseFile(const QString& caption);
    void Command4_Click();

    void textSet(FieldRef f, const std::string& text) override;
    void optionSet(bool on) override;

    ParameterSheet& sheet_;
    FileSystem& fs_;
    std::map<const QObject*, FieldRef> fieldOf_;
    std::map<std::pair<int, int>, QWidget*> controlOf_;
    QCheckBox* check1_ = nullptr;
    QPushButton* commands_[4] = {};
    bool mirroring_ = false; // a text set by the sheet is on its way into a control
};

} // namespace zmbr::ui
