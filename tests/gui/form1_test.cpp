// The parameter window driven as a user drives it: keystrokes, Tab, mouse clicks. The
// sheet's rules are tested in the core; here, that the window is wired to them.

#include "input/ui/form1.h"
#include "test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace zmbr;

class Form1Test : public QObject {
    Q_OBJECT

    test::MemoryFileSystem fs_;
    ParameterSheet sheet_;
    std::unique_ptr<ui::Form1> form_;

    QLineEdit* edit(FieldRef f) { return qobject_cast<QLineEdit*>(form_->control(f)); }

    // Types into a field and leaves it with Tab.
    void typeAndTab(FieldRef f, const QString& keys) {
        QLineEdit* e = edit(f);
        e->setFocus(Qt::TabFocusReason);
        e->selectAll();
        QTest::keyClicks(e, keys);
        QTest::keyClick(e, Qt::Key_Tab);
    }

  private slots:
    void init() {
        form_.reset();
        sheet_ = ParameterSheet();
        fs_ = test::MemoryFileSystem();
        form_ = std::make_unique<ui::Form1>(sheet_, fs_);
        form_->show();
        QApplication::setActiveWindow(form_.get());
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }

    void startsWithTheDefaults() {
        QCOMPARE(form_->windowTitle(), QStringLiteral("MBR Parameter"));
        QCOMPARE(edit({Control::Text9})->text(), QStringLiteral("-0.0020"));
        QCOMPARE(edit({Control::Text15, 7})->text(), QStringLiteral("90.0"));
        QCOMPARE(edit({Control::Text15, 7})->objectName(), QStringLiteral("Text15_7"));
        auto* combo = qobject_cast<QComboBox*>(form_->control({Control::Combo1, 9}));
        QCOMPARE(combo->currentText(), QStringLiteral("rupture"));
        QVERIFY(!form_->command(1)->autoDefault() && !form_->command(1)->isDefault());
    }

    // Each keystroke reaches the sheet at once, leaving with Tab reformats; the rules are the
    // sheet's own.
    void typingAndLeavingAField() {
        QLineEdit* theta = edit({Control::Text15, 4});
        theta->setFocus();
        theta->selectAll();
        QTest::keyClicks(theta, "200");
        QCOMPARE(theta->text(), QStringLiteral("200"));
        QCOMPARE(sheet_.input().row(5).thetaR, 180.0f);
        QTest::keyClick(theta, Qt::Key_Tab);
        QCOMPARE(theta->text(), QStringLiteral("180.0"));
        QCOMPARE(sheet_.text({Control::Text15, 4}), "180.0");
    }

    void checkBoxClicks() {
        QTest::mouseClick(form_->check1(), Qt::LeftButton);
        QCOMPARE(sheet_.input().optionOn, 1);
        QTest::mouseClick(form_->check1(), Qt::LeftButton);
        QCOMPARE(sheet_.input().optionOn, 0);
    }

    // The box's text reaches the sheet, which Execute reads again (the core's test).
    void dropDownChoiceReachesTheSheet() {
        auto* combo = qobject_cast<QComboBox*>(form_->control({Control::Combo1, 1}));
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down); // "yield", chosen from the list
        QCOMPARE(combo->currentText(), QStringLiteral("yield"));
        QCOMPARE(sheet_.text({Control::Combo1, 1}), "yield");
        QTest::keyClick(combo, Qt::Key_Tab); // leaving the box sets the mode at once
        QCOMPARE(sheet_.input().row(2).failureMode, FailureMode::Yield);
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

        edit({Control::Text1})->setFocus();
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
        QTimer::singleShot(0, form_.get(),
                           [this] { QTest::mouseClick(form_->command(4), Qt::LeftButton); });
        QTimer::singleShot(5000, qApp, [] { QApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
