// The program's windows driven as a user drives them, on the offscreen platform: the parameter
// window (keystrokes, Tab, clicks; the sheet's rules are the core's), Execute and the live run.

#include "paramfile/parameter_file.h"
#include "report/sha256.h"
#include "run/analysis_run.h"
#include "test_support.h"
#include "ui/program_windows.h"
#include "ui/report_action.h"
#include "ui/twips.h"
#include "ui/value_box.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRawFont>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace zmbr;

class ProgramWindowsTest : public QObject {
    Q_OBJECT

    test::MemoryFileSystem fs_;
    FixedClock clock_{test::kGoldenMoment};
    std::unique_ptr<ui::ProgramWindows> program_;
    QStringList messages_; // every message box shown, closed at once

    // Closes the message boxes that come up, keeping their texts.
    void answerMessageBoxes() {
        QTimer* t = new QTimer(program_.get() ? &program_->form1() : nullptr);
        connect(t, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                messages_ << box->windowTitle() + ": " + box->text();
                box->close();
            }
        });
        t->start(5);
    }

    ui::Form1& form1() { return program_->form1(); }
    ParameterSheet& sheet() { return program_->sheet(); }
    QLineEdit* edit(FieldRef f) { return qobject_cast<QLineEdit*>(form1().control(f)); }

    ui::RunWindows* execute() {
        QTest::mouseClick(program_->form1().command(1), Qt::LeftButton);
        return program_->runs();
    }

    static bool waitForEnd(ui::RunWindows* runs) {
        return QTest::qWaitFor([runs] { return runs->runEnded(); }, 20000);
    }

#define ASSERT_READ(sheet)                                                                         \
    QVERIFY(!readParameterFile(sheet, realFileSystem(), test::dataPath("step_limit.mbr")))

  private slots:
    void init() {
        program_.reset();
        fs_ = test::MemoryFileSystem();
        messages_.clear();
        program_ = std::make_unique<ui::ProgramWindows>(fs_, clock_);
        program_->form1().show();
        QApplication::setActiveWindow(&program_->form1());
        QVERIFY(QTest::qWaitForWindowActive(&program_->form1()));
        answerMessageBoxes();
    }

    // After the run, the calculation window's context menu saves the report of that run,
    // naming the result file the run wrote by its checksum.
    void savesTheReportOfTheRun() {
        ui::RunWindows* runs = execute();
        QVERIFY(runs);
        auto* save = runs->form2()->findChild<QAction*>(QStringLiteral("saveReport"));
        QVERIFY(save && runs->form2()->actions().contains(save));
        QCOMPARE(runs->form2()->contextMenuPolicy(), Qt::ActionsContextMenu);
        QVERIFY(waitForEnd(runs));
        QVERIFY(save->isEnabled());
        const std::string result = sheet().input().outputFileName;
        QVERIFY(fs_.files.count(result));
        QCOMPARE(ui::saveReportOfWindows(*runs, sheet(), fs_, clock_, "run.pdf"), 0);
        QVERIFY(fs_.files["run.pdf"].starts_with("%PDF-"));
        const ReportDocument d = ui::reportOfWindows(*runs, sheet(), fs_, clock_);
        const auto& sums = d.sections.back().heading == "Curves" ? d.sections[d.sections.size() - 2]
                                                                 : d.sections.back();
        QCOMPARE(sums.table.rows.size(), std::size_t{1}); // no parameter file was read
        QCOMPARE(sums.table.rows[0][1], sha256Hex(fs_.files[result]));

        // The sign-off dialog hands its names to the report and offers them again next time.
        QStandardPaths::setTestModeEnabled(true);
        auto answer = [](const char* project) {
            QTimer::singleShot(0, [project] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog && dialog->objectName() == QStringLiteral("signOff"));
                if (project)
                    dialog->findChild<QLineEdit*>(QStringLiteral("project"))->setText(project);
                dialog->accept();
            });
        };
        answer("Harbour bridge");
        const std::optional<SignOff> first = ui::askSignOff(runs->form2());
        QVERIFY(first && first->project == "Harbour bridge" && first->checkedBy.empty());
        answer(nullptr);
        const std::optional<SignOff> again = ui::askSignOff(runs->form2());
        QVERIFY(again && again->project == "Harbour bridge");
        QCOMPARE(ui::reportOfWindows(*runs, sheet(), fs_, clock_, *again).signOff.project,
                 std::string("Harbour bridge"));
    }

    void startsWithTheDefaults() {
        QCOMPARE(form1().windowTitle(), QStringLiteral("MBR Parameter"));
        QCOMPARE(edit({PanelField::ThetaR, 7})->objectName(), QStringLiteral("Text15_7"));
        auto* combo = qobject_cast<QComboBox*>(form1().control({PanelField::FailureMode, 9}));
        QCOMPARE(combo->currentText(), QStringLiteral("rupture"));
        QVERIFY(!form1().command(1)->autoDefault() && !form1().command(1)->isDefault());
    }

    // Each keystroke reaches the sheet at once, leaving with Tab reformats; the rules are the
    // sheet's own.
    void typingAndLeavingAField() {
        QLineEdit* theta = edit({PanelField::ThetaR, 4});
        theta->setFocus();
        theta->selectAll();
        QTest::keyClicks(theta, "200");
        QCOMPARE(theta->text(), QStringLiteral("200"));
        QCOMPARE(sheet().input().row(5).thetaR, 180.0f);
        QTest::keyClick(theta, Qt::Key_Tab);
        QCOMPARE(theta->text(), QStringLiteral("180.0"));
        QCOMPARE(sheet().text({PanelField::ThetaR, 4}), "180.0");
    }

    void checkBoxClicks() {
        QTest::mouseClick(form1().check1(), Qt::LeftButton);
        QCOMPARE(sheet().input().optionOn, 1);
        QTest::mouseClick(form1().check1(), Qt::LeftButton);
        QCOMPARE(sheet().input().optionOn, 0);
    }

    // The box's text reaches the sheet, which Execute reads again (the core's test).
    void dropDownChoiceReachesTheSheet() {
        auto* combo = qobject_cast<QComboBox*>(form1().control({PanelField::FailureMode, 1}));
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down); // "yield", chosen from the list
        QCOMPARE(combo->currentText(), QStringLiteral("yield"));
        QCOMPARE(sheet().text({PanelField::FailureMode, 1}), "yield");
        QTest::keyClick(combo, Qt::Key_Tab); // leaving the box sets the mode at once
        QCOMPARE(sheet().input().row(2).failureMode, FailureMode::Yield);
    }

    void tabVisitsTheFieldsInOrder() {
        QStringList expected = {"Text1",  "Text4",    "Text5",   "Text10", "Text11",
                                "Text8",  "Text9",    "Text12",  "Text13", "Text14",
                                "Check1", "Command2", "Command3"};
        for (int e = 0; e < kMaxRows; ++e)
            for (const char* c : {"Text15", "Text2", "Text3", "Text6", "Text7"})
                expected << QStringLiteral("%1_%2").arg(c).arg(e);
        expected << "Command1"
                 << "Command4"
                 << "Text16";
        for (int e = 0; e < kMaxRows; ++e)
            expected << QStringLiteral("Combo1_%1").arg(e);

        edit({PanelField::Comment})->setFocus();
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QWidget* w = QApplication::focusWidget();
            // The line edit inside a failure-mode box stands for the box.
            if (qobject_cast<QComboBox*>(w->parentWidget()))
                w = w->parentWidget();
            visited << w->objectName();
            QTest::keyClick(w, Qt::Key_Tab);
        }
        QCOMPARE(visited, expected);
    }

    void exitEndsTheProgram() {
        QTimer::singleShot(0, &form1(),
                           [this] { QTest::mouseClick(form1().command(4), Qt::LeftButton); });
        QTimer::singleShot(5000, qApp, [] { QApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
    }
    void unwritableResultFileShowsTheMessageOnly() {
        fs_.failOn(test::FileOp::Create, 1, EACCES);
        QCOMPARE(execute(), nullptr);
        QTRY_COMPARE(messages_.size(), 1);
        QCOMPARE(messages_[0], QStringLiteral("Error: This output data file has been opened by "
                                              "another application. (13)"));
        QVERIFY(program_->form1().isVisible());
    }

    void runToOkAndBack() {
        const auto textsBefore = program_->sheet().text({PanelField::Ar, 3});
        ui::RunWindows* runs = execute();
        QVERIFY(runs);
        QVERIFY(!program_->form1().isVisible());
        QVERIFY(runs->form2()->isVisible() && runs->form3()->isVisible() &&
                runs->form4()->isVisible());
        QVERIFY(!runs->form5()->isVisible());
        QCOMPARE(runs->form2()->windowTitle(), QStringLiteral("MBR Calculating..."));

        // Placement: the calculation window and the graph column beside it, centred together.
        const QRect f2 = runs->form2()->frameGeometry(), f3 = runs->form3()->frameGeometry(),
                    f4 = runs->form4()->frameGeometry();
        QCOMPARE(f3.topLeft(), QPoint(f2.left() + f2.width(), f2.top()));
        QCOMPARE(f4.topLeft(), QPoint(f3.left(), f3.top() + f3.height()));

        QVERIFY(waitForEnd(runs));
        QCOMPARE(runs->form2()->command1()->text(), QStringLiteral("OK"));
        QCOMPARE(runs->form2()->field(CalcField::ConcreteStatus)->text(), QStringLiteral("NG"));
        QCOMPARE(runs->form2()->field(CalcField::Step)->text(), QStringLiteral("95"));
        QCOMPARE(runs->form2()->field(CalcField::TauMax)->text(), QStringLiteral("7.906"));
        QCOMPARE(runs->form2()->field(CalcField::RowRatio, 0)->text(), QStringLiteral("0.006667"));
        // The τ-γ graph was rescaled; its full scale is 1.5 times a τxy it met.
        QCOMPARE(runs->form4()->text2()->text(),
                 QString::fromStdString(runs->fields().shearCurve.yScaleText()));
        QVERIFY(!runs->form4()->text2()->text().isEmpty());
        QCOMPARE(runs->form4()->trace().points.size(), runs->fields().shearCurve.points.size());

        // The same file as without windows.
        test::MemoryFileSystem headless;
        PanelInput in = program_->sheet().input();
        runAnalysis(in, {&headless, &clock_, nullptr, nullptr, 10000});
        QVERIFY(fs_.files.at("default.TGC") == headless.files.at("default.TGC"));

        QTest::mouseClick(runs->form2()->command1(), Qt::LeftButton);
        QVERIFY(program_->form1().isVisible());
        QCOMPARE(program_->sheet().text({PanelField::Ar, 3}), textsBefore);
        QTRY_VERIFY(program_->runs() == nullptr);
        QVERIFY(messages_.isEmpty());

        // A second Execute writes the same file again.
        fs_.files.erase("default.TGC");
        runs = execute();
        QVERIFY(runs && waitForEnd(runs));
        QVERIFY(fs_.files.count("default.TGC"));
    }

    void cancelEndsTheRunQuietly() {
        // A panel that runs to the step limit, long enough to be cancelled.
        ASSERT_READ(program_->sheet());
        ui::RunWindows* runs = execute();
        QVERIFY(runs);
        // The click comes while the run lets the windows' events run, at its first chance.
        runs->refreshInterval = std::chrono::milliseconds(1);
        int stepAtClick = 0;
        bool windowsHidden = false;
        auto* clicker = new QTimer(runs);
        connect(clicker, &QTimer::timeout, runs, [runs, clicker, &stepAtClick, &windowsHidden] {
            const std::string step = runs->fields().text(CalcField::Step);
            if (step.empty())
                return;
            clicker->stop();
            stepAtClick = std::stoi(step);
            QTest::mouseClick(runs->form2()->command1(), Qt::LeftButton);
            windowsHidden = !runs->form2()->isVisible() && !runs->form3()->isVisible();
        });
        clicker->start(0);
        QTRY_VERIFY(stepAtClick > 0);
        QVERIFY(program_->form1().isVisible());
        QVERIFY(windowsHidden);
        QTRY_VERIFY(program_->runs() == nullptr);
        QCOMPARE(fs_.openFiles, 0);
        // The run stopped within the step of the click.
        const auto lines = test::crlfLines(fs_.files.at(program_->sheet().input().outputFileName));
        QVERIFY(lines.size() > 4 && lines.size() <= 4u + stepAtClick);
        QVERIFY(messages_.isEmpty());
    }

    void failedStepLineEndsQuietly() {
        // Write 1 is Execute's test write, write 2 the header: write 12 is step 10's line.
        fs_.failOn(test::FileOp::Write, 12, ENOSPC);
        ui::RunWindows* runs = execute();
        QVERIFY(runs && waitForEnd(runs));
        // Ended early: the button keeps its caption, the file is closed, nobody is told.
        QCOMPARE(runs->form2()->command1()->text(), QStringLiteral("Cancel"));
        QCOMPARE(runs->form2()->field(CalcField::Step)->text(), QStringLiteral("10"));
        QTest::qWait(50);
        QVERIFY(messages_.isEmpty());
        QTest::mouseClick(runs->form2()->command1(), Qt::LeftButton);
        QVERIFY(program_->form1().isVisible());
    }

    // The graphs add each step's segment to what they have drawn and draw whole only after a
    // rescale; at the end they must look as if drawn whole from the trace.
    void graphsDrawnStepByStepMatchAWholeDrawing() {
        ASSERT_READ(program_->sheet()); // 10 000 steps, rescaled many times
        ui::RunWindows* runs = execute();
        QVERIFY(runs);
        runs->refreshInterval = std::chrono::milliseconds(1);
        auto drawnWhole = [](ui::GraphWindow* graph) {
            const qreal ratio = graph->devicePixelRatioF();
            QImage whole(graph->size() * ratio, QImage::Format_RGB32);
            whole.setDevicePixelRatio(ratio);
            QPainter p(&whole);
            ui::GraphWindow::paintTrace(p, graph->trace(), graph->size());
            return whole;
        };
        // Looked at whenever the run lets the windows' events run.
        int looks = 0;
        QStringList differing;
        QTimer looker;
        connect(&looker, &QTimer::timeout, runs, [&] {
            if (!runs->runStarted() || runs->runEnded())
                return;
            ++looks;
            for (ui::GraphWindow* graph : {runs->form3(), runs->form4()})
                if (graph->surface() != drawnWhole(graph))
                    differing << QStringLiteral("%1 at %2 points")
                                     .arg(graph->windowTitle())
                                     .arg(graph->trace().points.size());
        });
        looker.start(0);
        QVERIFY(waitForEnd(runs));
        looker.stop();
        QVERIFY(looks > 5);
        QVERIFY2(differing.isEmpty(),
                 qPrintable(differing.join(", ") + " of " + QString::number(looks)));
        for (ui::GraphWindow* graph : {runs->form3(), runs->form4()}) {
            QCOMPARE(graph->trace().points.size(), std::size_t{10000});
            QVERIFY(graph->surface() == drawnWhole(graph));
        }

        // The context menu's pictures: the PNG is the plot as shown, the SVG holds its lines.
        QTemporaryDir dir;
        ui::GraphWindow* graph = runs->form4();
        const QString png = dir.filePath("tau.png"), svg = dir.filePath("tau.svg");
        QVERIFY(graph->savePicture(png));
        QImage saved = QImage(png).convertToFormat(QImage::Format_RGB32);
        saved.setDevicePixelRatio(graph->devicePixelRatioF());
        QCOMPARE(saved, graph->surface());
        QVERIFY(graph->savePicture(svg));
        QFile svgFile(svg);
        QVERIFY(svgFile.open(QIODevice::ReadOnly));
        const QByteArray svgText = svgFile.readAll();
        QVERIFY(svgText.contains("<svg") && svgText.contains("</svg>"));
        QVERIFY(svgText.contains("<title>τ-γ</title>"));
        QVERIFY(svgText.size() < 400000); // one line through the points, not one per step
        messages_.clear();
        graph->savePictureAs(dir.filePath("missing/tau.svg"));
        QCOMPARE(messages_, QStringList({"Error: The picture could not be saved as " +
                                         dir.filePath("missing/tau.svg") + "."}));
    }

    // The calculation window draws its field texts from glyphs; they must come out exactly
    // as the toolkit's own text drawing would place them, at every font size the fields use.
    void fieldTextFromGlyphsMatchesToolkitText() {
        const QStringList texts = {"0.006667", "-999.99", "-9.99999", "10000", "1",
                                   "YLD",      "RPT",     "NG",       "OK",    "7.906"};
        for (const int width : {36, 48, 64}) {
            const QFont font = ui::windowFontFitting(QStringLiteral("-999.99"), width - 6);
            const QRawFont raw = QRawFont::fromFont(font);
            QVERIFY(raw.isValid());
            for (const Qt::Alignment align : {Qt::AlignRight, Qt::AlignHCenter}) {
                for (const QString& text : texts) {
                    auto draw = [&](const QRawFont* r) {
                        QImage img(width + 4, 24, QImage::Format_RGB32);
                        img.fill(Qt::white);
                        QPainter p(&img);
                        p.setFont(font);
                        ui::paintValueBox(p, QRect(2, 2, width, 19), text, Qt::red, align, r);
                        return img;
                    };
                    const QImage fromGlyphs = draw(&raw);
                    const QString what = text + " at width " + QString::number(width);
                    QVERIFY2(fromGlyphs == draw(nullptr), qPrintable(what));
                    // The text is there at all: some pixels of its colour.
                    bool inked = false;
                    for (int y = 0; y < fromGlyphs.height() && !inked; ++y)
                        for (int x = 0; x < fromGlyphs.width() && !inked; ++x) {
                            const QColor c = fromGlyphs.pixelColor(x, y);
                            inked = c.red() > 200 && c.green() < 100;
                        }
                    QVERIFY2(inked, qPrintable(what));
                }
            }
        }
    }

    void closeBoxActsLikeTheButton() {
        ui::RunWindows* runs = execute();
        QVERIFY(runs && waitForEnd(runs));
        runs->form4()->close();
        QVERIFY(program_->form1().isVisible());
        QVERIFY(!runs->form2()->isVisible());
    }
};

QTEST_MAIN(ProgramWindowsTest)
#include "program_windows_test.moc"
