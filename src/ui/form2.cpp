#include "ui/form2.h"

#include "ui/twips.h"
#include "ui/value_box.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace zmbr::ui {

namespace {

constexpr int kClientWidth = 5535, kClientHeight = 6495;
constexpr int kMostFieldsRepaintedAlone = 12;

const char* widestText(CalcField f) {
    switch (f) {
    case CalcField::Step:
    case CalcField::PassCount:
    case CalcField::CurrentRow:
        return "10000";
    case CalcField::ConcreteStatus:
    case CalcField::RowStatus:
        return "YLD";
    case CalcField::SumFriy:
    case CalcField::Fc2:
    case CalcField::Theta:
        return "-999.99";
    case CalcField::Fx:
        return "-99.999";
    case CalcField::TauXY:
    case CalcField::TauMax:
    case CalcField::YieldLength:
        return "99.999";
    case CalcField::Pb:
        return "-9.99999";
    default:
        return "0.000000";
    }
}

} // namespace

Form2::Form2(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("MBR Calculating..."));
    setFont(windowFont());
    setFixedSize(twips(kClientWidth, this), twips(kClientHeight, this));

    // Ratios and statuses of the ten rows, four to a column.
    addLabel(QStringLiteral("ρ"), 30, 120, 210);
    for (int i = 1; i <= kMaxRows; ++i) {
        const int column = (i - 1) / 4, top = 120 + 360 * ((i - 1) % 4);
        const int left = 600 + 1680 * column;
        addLabel(QString::number(i), left - 300, top + 15, 270)
            ->setObjectName(QStringLiteral("Label2_%1").arg(i - 1));
        addField(CalcField::RowRatio, i - 1, left, top, 840);
        addField(CalcField::RowStatus, i - 1, left + 840, top, 480);
    }
    addLabel(QStringLiteral("εcr"), 3960, 975, 330);
    addField(CalcField::CrackingStrain, 0, 4320, 960, 960);
    addLabel(QStringLiteral("ly"), 3960, 1335, 330);
    addField(CalcField::YieldLength, 0, 4320, 1320, 960);
    addLabel(QStringLiteral("Step"), 240, 1695, 570);
    addField(CalcField::Step, 0, 840, 1680, 600);
    addLabel(QStringLiteral("Count"), 1470, 1695, 570);
    addField(CalcField::PassCount, 0, 2040, 1680, 600);
    addLabel(QStringLiteral("i"), 2880, 1695, 330);
    addField(CalcField::CurrentRow, 0, 3240, 1680, 600);
    addLabel(QStringLiteral("Pb"), 3960, 1695, 330);
    addField(CalcField::Pb, 0, 4320, 1680, 960);

    // The iteration table: the last eight iterates.
    addLabel(QStringLiteral("N-mm"), 360, 2160, 900);
    const struct {
        CalcField field;
        const char* title;
        int left, width;
    } columns[] = {{CalcField::Theta, "θ", 600, 900},
                   {CalcField::SumFriy, "Σfriy  ", 1560, 1080},
                   {CalcField::Fc2, "fc2", 2760, 1080},
                   {CalcField::Fx, "fx", 3960, 1080}};
    for (const auto& c : columns) {
        addLabel(QString::fromUtf8(c.title), c.left, 2400, c.width, 240)
            ->setAlignment(Qt::AlignCenter);
        for (int k = 0; k < 8; ++k)
            addField(c.field, k, c.left, 2640 + 240 * k, c.width, 240);
    }

    addLabel(QStringLiteral("ε1"), 360, 5175, 330);
    addField(CalcField::Eps1, 0, 720, 5160, 1020);
    addLabel(QStringLiteral("τxy"), 1800, 5145, 450);
    addField(CalcField::TauXY, 0, 2280, 5130, 900);
    addLabel(QStringLiteral("γxy"), 3360, 5175, 450);
    addField(CalcField::GammaXY, 0, 3840, 5160, 1080);
    addLabel(QStringLiteral("Con-\ncrete"), 360, 5640, 780, 480);
    addField(CalcField::ConcreteStatus, 0, 1200, 5730, 600);
    addLabel(QStringLiteral("τxy\nmax"), 1920, 5640, 690, 480);
    addField(CalcField::TauMax, 0, 2640, 5760, 960);

    command1_ = new QPushButton(QStringLiteral("Cancel"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(twipsRect(4080, 5760, 975, 375, this));
    command1_->setAutoDefault(false);
    connect(command1_, &QPushButton::clicked, this, [this] {
        if (onButton)
            onButton();
    });
}

QLabel* Form2::addLabel(const QString& text, int left, int top, int width, int height) {
    auto* l = new QLabel(text, this);
    l->setGeometry(twipsRect(left, top, width, height, this));
    l->setFont(windowFont(true));
    return l;
}

void Form2::addField(CalcField f, int element, int left, int top, int width, int height) {
    const bool centred = f == CalcField::RowStatus || f == CalcField::ConcreteStatus;
    FieldBox& box = fields_[{static_cast<int>(f), element}];
    box.alignment_ = centred ? Qt::AlignHCenter : Qt::AlignRight;
    box.rect_ = twipsRect(left, top, width, height, this);
    // Room for the widest text the field's pattern gives in ordinary use.
    const QFont font = windowFontFitting(QString::fromLatin1(widestText(f)), box.rect_.width() - 6);
    auto known = std::find(fieldFonts_.begin(), fieldFonts_.end(), font);
    if (known == fieldFonts_.end()) {
        known = fieldFonts_.insert(fieldFonts_.end(), font);
        rawFonts_.push_back(QRawFont::fromFont(font));
    }
    box.font_ = static_cast<int>(known - fieldFonts_.begin());
}

const FieldBox* Form2::field(CalcField f, int element) const {
    takePendingTexts();
    auto it = fields_.find({static_cast<int>(f), element});
    return it == fields_.end() ? nullptr : &it->second;
}

void Form2::refresh(const CalculationFields& values) {
    const QString caption = QString::fromStdString(values.buttonCaption());
    if (command1_->text() != caption)
        command1_->setText(caption);
    if (!values.running()) {
        // Before or after the run nearly every field differs from what is shown: the texts
        // are made when the window is next painted (or read), outside the run.
        pending_ = &values;
        update();
        return;
    }
    pending_ = nullptr;
    QRegion changed;
    int changes = 0;
    for (auto& [key, box] : fields_) {
        if (!takeText(box, values, static_cast<CalcField>(key.first), key.second))
            continue;
        // Past a dozen fields, joining their areas costs more than repainting the window.
        if (++changes <= kMostFieldsRepaintedAlone)
            changed += box.rect_;
    }
    if (changes > kMostFieldsRepaintedAlone)
        update();
    else if (changes > 0)
        update(changed);
}

bool Form2::takeText(FieldBox& box, const CalculationFields& values, CalcField f, int element) {
    const QString text = QString::fromStdString(values.text(f, element));
    const QColor color =
        f == CalcField::RowStatus && values.rowSearching(element) ? Qt::red : Qt::black;
    if (text == box.text_ && color == box.color_)
        return false;
    box.text_ = text;
    box.color_ = color;
    return true;
}

void Form2::takePendingTexts() const {
    if (!pending_)
        return;
    const CalculationFields& values = *pending_;
    pending_ = nullptr;
    for (auto& [key, box] : fields_)
        takeText(box, values, static_cast<CalcField>(key.first), key.second);
}

bool Form2::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && onActivated)
        onActivated();
    return QWidget::event(e);
}

void Form2::closeEvent(QCloseEvent* e) {
    e->ignore(); // the button decides what closes
    if (onButton)
        onButton();
}

// The fields, and the two rectangles round the iteration table and the bottom block.
void Form2::paintEvent(QPaintEvent* e) {
    takePendingTexts();
    QPainter p(this);
    for (const QRect& r :
         {twipsRect(240, 2040, 5055, 2655, this), twipsRect(240, 4800, 5055, 1455, this)}) {
        // A one-pixel outline from the left/top edge to the right/bottom one inclusive.
        p.fillRect(r.left(), r.top(), r.width() + 1, 1, Qt::black);
        p.fillRect(r.left(), r.top() + r.height(), r.width() + 1, 1, Qt::black);
        p.fillRect(r.left(), r.top(), 1, r.height() + 1, Qt::black);
        p.fillRect(r.left() + r.width(), r.top(), 1, r.height() + 1, Qt::black);
    }
    const QRegion& dirty = e->region();
    int font = -1;
    for (const auto& [key, box] : fields_) {
        if (!dirty.intersects(box.rect_))
            continue;
        if (box.font_ != font) {
            font = box.font_;
            p.setFont(fieldFonts_[static_cast<std::size_t>(font)]);
        }
        const QRawFont& raw = rawFonts_[static_cast<std::size_t>(font)];
        paintValueBox(p, box.rect_, box.text_, box.color_, box.alignment_,
                      raw.isValid() ? &raw : nullptr);
    }
}

} // namespace zmbr::ui
