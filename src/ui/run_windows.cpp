#include "ui/run_windows.h"

#include "run/analysis_run.h"
#include "ui/after_toolkit_code.h"
#include "ui/twips.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace zmbr::ui {

// Records every report; shows them and lets the windows' events run at most every
// refreshInterval, and at the start and the end of the run.
class RunWindows::LiveObserver final : public CalculationFields {
  public:
    // A run passes tens of millions of yield points a second; reading the clock at every
    // 256th (a few microseconds apart) costs little and still answers well within a refresh.
    explicit LiveObserver(RunWindows& owner) : CalculationFields(256), owner_(owner) {}

    // The windows show the run's values from its first refresh on, a refresh interval after
    // the start: nothing is painted before the toolkit's first turn, so a short run pays for
    // one refresh only, at its end.
    void runStarted(const RunState& rs) override {
        CalculationFields::runStarted(rs);
        last_ = std::chrono::steady_clock::now();
    }
    void runEnded(const RunOutcome& o) override {
        CalculationFields::runEnded(o);
        owner_.refreshViews();
    }
    void yieldNow() override {
        if (std::chrono::steady_clock::now() - last_ >= owner_.refreshInterval)
            showNow();
    }

  private:
    void showNow() {
        owner_.refreshViews();
        QCoreApplication::processEvents();
        afterToolkitCode();
        last_ = std::chrono::steady_clock::now();
    }

    RunWindows& owner_;
    std::chrono::steady_clock::time_point last_{};
};

RunWindows::RunWindows(PanelInput& input, FileSystem& fs, const Clock& clock)
    : input_(input), fs_(fs), clock_(clock), observer_(std::make_unique<LiveObserver>(*this)),
      form2_(std::make_unique<Form2>()), form3_(std::make_unique<GraphWindow>(GraphKind::Strains)),
      form4_(std::make_unique<GraphWindow>(GraphKind::ShearCurve)),
      form5_(std::make_unique<QWidget>()) {
    form5_->setObjectName(QStringLiteral("Form5"));
    form5_->setWindowTitle(QStringLiteral("Bond Analysis"));
    form5_->resize(twips(4800, form5_.get()), twips(3600, form5_.get()));
    form2_->onButton = [this] { pressButton(); };
    form3_->onClose = form4_->onClose = [this] { pressButton(); };
    // One run per Execute: later activations start nothing.
    form2_->onActivated = [this] {
        if (started_)
            return;
        started_ = true;
        QTimer::singleShot(0, this, &RunWindows::run);
    };
}

RunWindows::~RunWindows() = default;

const CalculationFields& RunWindows::fields() const {
    return *observer_;
}

void RunWindows::open() {
    refreshViews();
    form4_->show();
    form3_->show();
    form2_->show();
    // The outer sizes are known once the windows are shown.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize s2 = form2_->frameGeometry().size(), s3 = form3_->frameGeometry().size();
    const int left = screen.left() + (screen.width() - s2.width() - s3.width()) / 2;
    const int top = screen.top() + (screen.height() - s2.height()) / 2;
    form2_->move(left, top);
    form3_->move(left + s2.width(), top);
    form4_->move(left + s2.width(), top + s3.height());
    const QSize s5 = form5_->frameGeometry().size();
    form5_->move(left + (s2.width() - s5.width()) / 2, top + (s2.height() - s5.height()) / 2);
    form2_->activateWindow();
    // The windows are drawn, and the pointer's entry into them handled, before the run
    // begins, so the run pays only for what changes.
    QCoreApplication::processEvents();
}

void RunWindows::refreshViews() {
    form2_->refresh(*observer_);
    form3_->refresh(observer_->strains);
    form4_->refresh(observer_->shearCurve);
}

void RunWindows::run() {
    afterToolkitCode(); // the run is started from the toolkit's event loop
    const auto start = std::chrono::steady_clock::now();
    outcome_ = runAnalysis(input_, {&fs_, &clock_, observer_.get(), &cancel_, 10000});
    runSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ended_ = true;
    if (!outcome_.message.empty() && !closing_) {
        // On the heap: the windows may be closed, and this object deleted, while the box waits.
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Error"),
                                    QString::fromStdString(outcome_.message), QMessageBox::Ok,
                                    form2_.get());
        box->setAttribute(Qt::WA_DeleteOnClose);
        const QPointer<RunWindows> alive(this);
        box->exec();
        if (!alive)
            return;
    }
    emit finished();
}

void RunWindows::pressButton() {
    if (closing_)
        return;
    closing_ = true;
    cancel_.store(true); // a run going on ends at its next yield, quietly
    form2_->hide();
    form3_->hide();
    form4_->hide();
    emit closed();
}

} // namespace zmbr::ui
