#include "ui/form1.h"

#include "run/execute_command.h"
#include "ui/open_save_window.h"
#include "ui/panel_sketches.h"
#include "ui/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace zmbr::ui {

namespace {

constexpr int kClientWidth = 8880, kClientHeight = 6495;

// The window's controls keep the names of its design: Text8 shows fc, Combo1 a row's failure
// mode, in the order of PanelField.
const char* controlName(PanelField f) {
    static const char* const names[] = {"Text1", "Text4",  "Text5",  "Text10", "Text11", "Text8",
                                        "Text9", "Text12", "Text13", "Text14", "Text15", "Text2",
                                        "Text3", "Text6",  "Text7",  "Combo1", "Check1", "Text16"};
    static_assert(std::size(names) == kFieldCount, "a control for every field");
    return names[static_cast<int>(f)];
}

// Array elements are named after their array and index: "Text15_0" is row 1's angle.
QString objectNameOf(FieldRef f) {
    QString name = QString::fromLatin1(controlName(f.field));
    return fieldSpec(f.field).perRow() ? name + '_' + QString::number(f.element) : name;
}

QString captionOf(PanelField f) {
    return QString::fromUtf8(fieldSpec(f).caption);
}

// Where the fallback font is wider or taller than the layout's own, the text of a label
// is made a little smaller until it fits its box (`visibleWidth`: the part not covered by
// the field that overlaps it).
QFont fittingFont(const QString& text, int visibleWidth, int height) {
    QFont f = windowFont(true);
    for (; f.pointSizeF() > 6; f.setPointSizeF(f.pointSizeF() - 0.25)) {
        const QRect need =
            QFontMetrics(f).boundingRect(QRect(0, 0, visibleWidth, 1000), Qt::TextWordWrap, text);
        if (need.width() <= visibleWidth && need.height() <= height)
            break;
    }
    return f;
}

QLabel* label(QWidget* parent, const QString& text, QRect where, const char* style,
              int visibleWidth = 0) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(where);
    l->setStyleSheet(QString::fromLatin1(style));
    l->setWordWrap(true);
    l->setContentsMargins(2, 0, 0, 0);
    l->setFont(
        fittingFont(text, (visibleWidth ? visibleWidth : where.width()) - 3, where.height()));
    return l;
}

// Section headings: bold blue on light grey; field labels: bold white on dark grey.
const char* const kHeading = "color: #0000ff; background: #e0e0e0;";
const char* const kFieldLabel = "color: #ffffff; background: #808080;";

QFrame* shape(QWidget* parent, const char* name, QRect where, bool filled) {
    auto* f = new QFrame(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setGeometry(where);
    f->setStyleSheet(QString::fromLatin1(filled ? "background: #d4d4d4; border: 1px solid #808080;"
                                                : "border: 1px solid #404040;"));
    return f;
}

struct PanelFieldPlace {
    PanelField field;
    int top;
};

// The left column: panel, concrete and bond data.
const PanelFieldPlace kLeftColumn[] = {
    {PanelField::Axes, 1080}, {PanelField::Layer, 1440}, {PanelField::T, 1800},
    {PanelField::Sm, 2160},   {PanelField::Fc, 3000},    {PanelField::EpsC, 3360},
    {PanelField::Ec, 3720},   {PanelField::TauBy, 4560}, {PanelField::SBy, 4920},
};

struct ColumnPlace {
    PanelField field;
    int left;
};

const ColumnPlace kTableColumns[] = {
    {PanelField::ThetaR, 2880}, {PanelField::Ar, 3840}, {PanelField::S, 4800},
    {PanelField::Fru, 5760},    {PanelField::Er, 6720}, {PanelField::FailureMode, 7680},
};

} // namespace

Form1::Form1(ParameterSheet& sheet, FileSystem& fs, QWidget* parent)
    : QWidget(parent), sheet_(sheet), fs_(fs) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("MBR Parameter"));
    setFont(windowFont());
    setFixedSize(twips(kClientWidth, this), twips(kClientHeight, this));
    buildControls();
    setTabOrder();
    sheet_.setListener(this);
    sheet_.load();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        move(s.left() + (s.width() - width()) / 2, s.top() + (s.height() - height()) / 2);
    }
}

Form1::~Form1() {
    sheet_.setListener(nullptr);
}

void Form1::buildControls() {
    auto at = [this](int l, int t, int w, int h) { return twipsRect(l, t, w, h, this); };
    shape(this, "Shape1", at(240, 120, 8415, 495), true);
    shape(this, "Shape3", at(240, 720, 2055, 4935), false);
    shape(this, "Shape2", at(2400, 720, 6255, 4335), false);

    // These two labels run under the fields to their right.
    label(this, captionOf(PanelField::Comment), at(360, 240, 1095, 255), kFieldLabel,
          twips(1320 - 360, this));
    addField({PanelField::Comment}, at(1320, 240, 5175, 285), false);
    label(this, captionOf(PanelField::InitialTheta), at(6720, 240, 735, 255), kFieldLabel,
          twips(7440 - 6720, this));
    addField({PanelField::InitialTheta}, at(7440, 240, 1095, 285), true);

    label(this, QStringLiteral("Data of panel unit : mm"), at(240, 720, 2055, 255), kHeading);
    label(this, QStringLiteral("Data of concrete\nunit : N-mm"), at(360, 2520, 1815, 375),
          kHeading);
    label(this, QStringLiteral("Data for bond ana.\nunit : N-mm"), at(360, 4080, 1815, 375),
          kHeading);
    for (const PanelFieldPlace& p : kLeftColumn) {
        label(this, captionOf(p.field), at(360, p.top + 15, 795, 255), kFieldLabel);
        addField({p.field}, at(1200, p.top, 975, 285), true);
    }
    check1_ = new QCheckBox(captionOf(PanelField::Option), this);
    check1_->setObjectName(QString::fromLatin1(controlName(PanelField::Option)));
    check1_->setGeometry(at(360, 5280, 1815, 255));
    connect(check1_, &QCheckBox::clicked, this, [this](bool on) { sheet_.setOption(on); });

    label(this, QStringLiteral("Data of reinforcements unit : N-mm"), at(2400, 720, 6015, 255),
          kHeading);
    label(this, QStringLiteral("i"), at(2520, 1080, 255, 255), kFieldLabel);
    for (const ColumnPlace& c : kTableColumns)
        label(this, captionOf(c.field), at(c.left, 1080, 855, 255), kFieldLabel);
    for (int e = 0; e < kMaxRows; ++e) {
        const int top = 1440 + 360 * e;
        QLabel* number = label(this, QString::number(e + 1), at(2520, top, 255, 285), "");
        number->setObjectName(QStringLiteral("Label19_%1").arg(e));
        number->setAlignment(Qt::AlignCenter);
        for (const ColumnPlace& c : kTableColumns) {
            const bool combo = c.field == PanelField::FailureMode;
            addField({c.field, e}, at(c.left, top, 855, combo ? 300 : 285), true);
        }
    }

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(at(2520, 5160, 3990, 960));
    image->setPixmap(drawPanelSketches(image->size(), devicePixelRatioF()));

    const struct {
        const char* caption;
        QRect where;
    } buttons[] = {{"Execute", at(7200, 5160, 1455, 375)},
                   {"Open", at(240, 5760, 975, 375)},
                   {"Save", at(1320, 5760, 975, 375)},
                   {"Exit", at(7200, 5640, 1455, 375)}};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(buttons[i].caption), this);
        b->setObjectName(QStringLiteral("Command%1").arg(i + 1));
        b->setGeometry(buttons[i].where);
        b->setAutoDefault(false); // Enter never presses Execute
        commands_[i] = b;
    }
    connect(commands_[0], &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(commands_[1], &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(commands_[2], &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(commands_[3], &QPushButton::clicked, this, &Form1::Command4_Click);

    auto* title = new QLabel(QStringLiteral("ZMBR  Reinforced concrete membrane panel in shear"
                                            "  ver 3.00"),
                             this);
    title->setObjectName(QStringLiteral("Label22"));
    title->setGeometry(at(240, 6240, 7455, 255));
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(9.75);
    arial.setBold(true);
    title->setFont(arial);
    title->setStyleSheet(QStringLiteral("color: #ff8080;"));
}

void Form1::addField(FieldRef f, QRect where, bool rightAligned) {
    QWidget* w = nullptr;
    if (f.field == PanelField::FailureMode) {
        auto* combo = new QComboBox(this);
        combo->setEditable(true);
        combo->addItems({QStringLiteral("rupture"), QStringLiteral("yield")});
        combo->setInsertPolicy(QComboBox::NoInsert);
        // A narrow arrow leaves room for the whole of "rupture".
        combo->setStyleSheet(QStringLiteral("QComboBox { padding: 0px 0px 0px 2px; }"
                                            "QComboBox::drop-down { width: 11px; }"));
        connect(combo, &QComboBox::editTextChanged, this, [this, f](const QString& text) {
            if (!mirroring_)
                sheet_.setText(f, text.toStdString());
        });
        combo->lineEdit()->installEventFilter(this);
        combo->lineEdit()->setCursorPosition(0);
        fieldOf_[combo->lineEdit()] = f;
        w = combo;
    } else {
        auto* edit = new QLineEdit(this);
        if (rightAligned)
            edit->setAlignment(Qt::AlignRight);
        connect(edit, &QLineEdit::textEdited, this,
                [this, f](const QString& text) { sheet_.setText(f, text.toStdString()); });
        w = edit;
    }
    w->setObjectName(objectNameOf(f));
    w->setGeometry(where);
    w->installEventFilter(this);
    fieldOf_[w] = f;
    controlOf_[{static_cast<int>(f.field), f.element}] = w;
}

void Form1::setTabOrder() {
    std::vector<QWidget*> order;
    for (PanelField f :
         {PanelField::Comment, PanelField::Axes, PanelField::Layer, PanelField::T, PanelField::Sm,
          PanelField::Fc, PanelField::EpsC, PanelField::Ec, PanelField::TauBy, PanelField::SBy})
        order.push_back(control({f}));
    order.push_back(check1_);
    order.push_back(commands_[1]);
    order.push_back(commands_[2]);
    for (int e = 0; e < kMaxRows; ++e)
        for (PanelField f :
             {PanelField::ThetaR, PanelField::Ar, PanelField::S, PanelField::Fru, PanelField::Er})
            order.push_back(control({f, e}));
    order.push_back(commands_[0]);
    order.push_back(commands_[3]);
    order.push_back(control({PanelField::InitialTheta}));
    for (int e = 0; e < kMaxRows; ++e)
        order.push_back(control({PanelField::FailureMode, e}));
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

QWidget* Form1::control(FieldRef f) const {
    auto it = controlOf_.find({static_cast<int>(f.field), f.element});
    return it == controlOf_.end() ? nullptr : it->second;
}

QPushButton* Form1::command(int n) const {
    return commands_[n - 1];
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Focus leaving the window (another window or a menu) is no lost focus of the field.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        auto it = fieldOf_.find(watched);
        if (it != fieldOf_.end() && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason) {
            // An editable box's own line edit and the box share one lost focus.
            const bool comboPart = it->second.field == PanelField::FailureMode &&
                                   qobject_cast<QComboBox*>(watched) == nullptr;
            if (!comboPart)
                sheet_.leaveField(it->second);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::textSet(FieldRef f, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    QWidget* w = control(f);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != shown)
            edit->setText(shown);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->currentText() != shown) {
            mirroring_ = true;
            combo->setEditText(shown);
            combo->lineEdit()->setCursorPosition(0); // show the start of the text
            mirroring_ = false;
        }
    }
}

void Form1::optionSet(bool on) {
    const QSignalBlocker block(check1_);
    check1_->setChecked(on);
}

void Form1::Command1_Click() {
    if (auto refusal = prepareExecute(sheet_, fs_)) {
        QMessageBox::warning(this, QStringLiteral("Error"),
                             QString::fromStdString(refusal->message));
        return;
    }
    emit executeReady();
}

// Open and Save: a fresh chooser in the matching mode, modal over this window; the chooser
// runs the action itself, and the fields show what an open has read.
void Form1::Command2_Click() {
    chooseFile(QString::fromUtf8(openCaption));
}

void Form1::Command3_Click() {
    chooseFile(QString::fromUtf8(saveCaption));
}

void Form1::chooseFile(const QString& caption) {
    frmOpenSave chooser(sheet_, fs_, this);
    chooser.setMode(caption);
    chooser.selectPattern();
    chooser.exec();
}

// Exit: the program ends at once; nothing is asked, nothing is saved.
void Form1::Command4_Click() {
    QApplication::exit(0);
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    QApplication::exit(0);
}

} // namespace zmbr::ui
