#include "MainWindow.h"
#include "NewWallDialog.h"
#include "Program.h"
#include "WallWindow.h"
#include "files/SettingsFile.h"
#include "model/ShowOperations.h"
#include "model/WallBuilder.h"
#include "ProgramFixture.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <memory>

using namespace tinctara;

class WallWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Program> startProgram() { return fixture_.start(); }

    NewWallDialog* openNewWallDialog(Program& program)
    {
        // Ctrl+W reaches the menu even while a child window has the focus.
        if (program.mainWindow().hasWallWindow())
            program.mainWindow().wallWindow()->setFocus();
        QTest::keyClick(&program.mainWindow(), Qt::Key_W, Qt::ControlModifier);
        return program.mainWindow().findChild<NewWallDialog*>("frmNeueWand");
    }

    static void typeInto(QLineEdit* field, const QString& text) { testing::ProgramFixture::typeInto(field, text); }

    testing::ProgramFixture fixture_;

private slots:
    void init() { fixture_.reset(); }

    void newWallDialogBuildsTheWall()
    {
        auto program = startProgram();
        QVERIFY(program);
        QVERIFY(QTest::qWaitForWindowExposed(&program->mainWindow()));
        program->mainWindow().wallWindow();  // a child window with its own close keys exists
        NewWallDialog* dialog = openNewWallDialog(*program);
        QVERIFY(dialog);
        QCOMPARE(dialog->findChild<QLineEdit*>("txtfeld_0")->text(), QStringLiteral("Wandname"));
        QCOMPARE(dialog->findChild<QLineEdit*>("txtfeld_6")->text(), QStringLiteral("50"));

        typeInto(dialog->findChild<QLineEdit*>("txtfeld_1"), "3");
        QCOMPARE(dialog->findChild<QLineEdit*>("txtfeld_6")->text(), QStringLiteral("15"));
        typeInto(dialog->findChild<QLineEdit*>("txtfeld_2"), "x");  // refused: back to the stored rows
        QCOMPARE(dialog->findChild<QLineEdit*>("txtfeld_2")->text(), QStringLiteral("0"));
        QCOMPARE(dialog->findChild<QLabel*>("lblStatus")->text(), QStringLiteral("Es sind nur Zahlen erlaubt!"));
        typeInto(dialog->findChild<QLineEdit*>("txtfeld_2"), "2");
        QPointer<NewWallDialog> guard(dialog);
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QTRY_VERIFY(!guard);

        QCOMPARE(program->model().ElementCount, 6);
        WallWindow* wall = program->mainWindow().wallWindow();
        QVERIFY(wall->isVisible());
        QCOMPARE(wall->cellCount(), 6);
        QCOMPARE(wall->cell(4)->objectName(), QStringLiteral("lblWand_4"));
        QCOMPARE(wall->cell(4)->caption(), QStringLiteral("5"));
        QVERIFY(wall->cell(3)->geometry().top() > wall->cell(0)->geometry().top());  // second row
        QVERIFY(QFile::exists(QString::fromStdString(fixture_.filePath("TINCTARA.ini"))));
    }

    void clicksAndCtrlClicksSelect()
    {
        auto program = startProgram();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 4, 4);
        ShowModel& model = program->model();
        WallWindow* wall = program->mainWindow().wallWindow();
        QVERIFY(QTest::qWaitForWindowExposed(wall));

        QTest::mouseClick(wall->cell(0), Qt::LeftButton);
        QTest::mouseClick(wall->cell(1), Qt::LeftButton, Qt::ControlModifier);
        QCOMPARE(wall->status(), QStringLiteral(" Es wurden 2 Elemente ausgewählt"));
        QVERIFY(wall->cell(1)->selectedLook());
        QTest::mouseClick(wall->cell(4), Qt::LeftButton);
        QCOMPARE(wall->status(), QStringLiteral(" Es wurde Element Nr 5 ausgewählt. "));
        QCOMPARE(model.SelectionFlags[0], 0);
        QCOMPARE(model.SelectionFlags[1], 0);
        QCOMPARE(model.SelectionFlags[4], 1);
        QVERIFY(!wall->cell(1)->selectedLook());

        QTest::mouseClick(wall->cell(6), Qt::LeftButton, Qt::ControlModifier);
        QTest::mouseClick(wall->cell(4), Qt::LeftButton, Qt::ControlModifier);
        QCOMPARE(wall->status(), QStringLiteral(" Es wurde Element Nr 7 ausgewählt. "));

        // Shift+F2 remembers, a click changes the selection, F2 brings it back.
        wall->setFocus();
        QTest::keyClick(wall, Qt::Key_F2, Qt::ShiftModifier);
        QCOMPARE(wall->status(), QStringLiteral("Selectionen gemerkt ."));
        QTest::mouseClick(wall->cell(15), Qt::LeftButton);
        QTest::keyClick(wall, Qt::Key_F2);
        QCOMPARE(model.SelectionFlags[6], 1);
        QCOMPARE(model.SelectionFlags[15], 0);

        program->mainWindow().action("mnuAllesMarkieren")->trigger();
        QCOMPARE(wall->status(), QStringLiteral(" Es wurden 16 Elemente ausgewählt"));
        program->mainWindow().action("mnuMarkierungUmkehren")->trigger();
        QCOMPARE(model.SelectionCount, 0);
    }

    void cellsShowTheDisplayColour()
    {
        auto program = startProgram();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 2, 1);
        ShowModel& model = program->model();
        model.colour(Red, 1) = 200;
        model.colour(White, 1) = 100;
        ShowAllElementColours(model, program->view());
        WallWindow* wall = program->mainWindow().wallWindow();
        QCOMPARE(wall->cell(0)->colour(), QColor(255, 100, 100));
        QCOMPARE(wall->cell(1)->colour(), QColor(0, 0, 0));
    }

    void closingKeepsTheWindowAndItsGeometry()
    {
        auto program = startProgram();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 2, 2);
        ShowModel& model = program->model();
        WallWindow* wall = program->mainWindow().wallWindow();
        auto* frame = qobject_cast<QMdiSubWindow*>(wall->parentWidget());
        QVERIFY(frame);
        frame->move(30, 40);
        QVERIFY(model.hasState(StateFlag::WallWindowOpen));
        frame->close();
        QVERIFY(!frame->isVisible());
        QVERIFY(!model.hasState(StateFlag::WallWindowOpen));
        QVERIFY(model.windowPosition(WindowNumber::Wall, 1) > 0);
        QCOMPARE(program->mainWindow().wallWindow(), wall);  // the same window comes back
    }
};

QTEST_MAIN(WallWindowTest)
#include "WallWindowTest.moc"
