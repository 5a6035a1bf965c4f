#include "MainWindow.h"
#include "NewWallDialog.h"
#include "Program.h"
#include "WallWindow.h"
#include "files/SettingsFile.h"
#include "model/ShowOperations.h"
#include "model/WallBuilder.h"
#include "ProgramFixture.h"

#include <QAccessible>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
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

    // The colour the window shows a few pixels inside a cell's corner.
    static QColor shownColour(WallWindow* wall, int index)
    {
        QCoreApplication::processEvents();
        return wall->grab().toImage().pixelColor(wall->cell(index)->mapTo(wall, QPoint(4, 4)));
    }

    static inline std::vector<std::pair<QObject*, QAccessible::Event>> accessibleEvents;
    static void recordAccessibleEvent(QAccessibleEvent* event)
    {
        accessibleEvents.emplace_back(event->object(), event->type());
    }

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

    // An 11 x 11 wall is far taller than the work area of the default main
    // window: the window stays inside and scrolls its cells instead.
    void aLargeWallStaysInsideTheWorkArea()
    {
        auto program = startProgram();
        QVERIFY(program);
        QMdiArea* area = program->mainWindow().mdiArea();
        QCOMPARE(area->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        testing::ProgramFixture::buildWall(*program, 11, 11, 1200);  // about 1300 pixels tall
        WallWindow* wall = program->mainWindow().wallWindow();
        QWidget* frame = wall->parentWidget();
        QVERIFY(QTest::qWaitForWindowExposed(wall));
        const QRect room = area->viewport()->rect();
        QVERIFY2(room.contains(frame->geometry()), "the built wall's window stays inside the work area");

        auto* scroll = wall->findChild<QScrollArea*>();
        QVERIFY(scroll);
        scroll->ensureWidgetVisible(wall->cell(120));
        QCoreApplication::processEvents();
        const QRect last(wall->cell(120)->mapTo(scroll->viewport(), QPoint(0, 0)), wall->cell(120)->size());
        QVERIFY2(scroll->viewport()->rect().intersects(last), "the last cell can be scrolled to");
        QCOMPARE(program->model().WallZoom, 80);

        // A stored place far outside (another screen, a larger main window)
        // is brought back when the wall is loaded.
        program->model().windowPosition(WindowNumber::Wall, 1) = 40000;
        program->model().windowPosition(WindowNumber::Wall, 2) = 30000;
        program->model().windowPosition(WindowNumber::Wall, 3) = 40000;
        program->model().windowPosition(WindowNumber::Wall, 4) = 40000;
        program->model().setState(StateFlag::SilentFileOp);
        testing::ProgramFixture::buildWall(*program, 11, 11);
        program->model().clearState(StateFlag::SilentFileOp);
        QVERIFY2(area->viewport()->rect().contains(frame->geometry()), "a loaded wall stays inside the work area");
    }

    // The tick repaints every element with its display colour, the selected
    // ones too; STOP marks the selection again.
    void selectedCellsShowTheFade()
    {
        auto program = startProgram();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 3, 1);
        WallWindow* wall = program->mainWindow().wallWindow();
        QVERIFY(QTest::qWaitForWindowExposed(wall));
        program->mainWindow().action("mnuAllesMarkieren")->trigger();
        const QColor highlight = wall->cell(0)->palette().color(QPalette::Highlight);
        QCOMPARE(shownColour(wall, 0), highlight);

        ShowModel& model = program->model();
        for (int element = 1; element <= 3; ++element) {
            model.colour(Green, element) = static_cast<std::uint8_t>(60 * element);
            ShowElementColour(model, program->view(), element - 1);
        }
        for (int index = 0; index < 3; ++index)
            QCOMPARE(shownColour(wall, index), QColor(0, 60 * (index + 1), 0));
        QVERIFY(wall->cell(0)->selectedLook());

        // A step that leaves an element's colour as it was paints over it as well.
        program->selection().reMark();
        ShowElementColour(model, program->view(), 1);
        QCOMPARE(shownColour(wall, 1), QColor(0, 120, 0));
        QCOMPARE(shownColour(wall, 0), highlight);
    }

    // A right click on a cell pops up "&Bearbeiten" alone: the work area below
    // must not add its "&Datei" menu.
    void rightClickOnACellOpensTheEditMenuOnly()
    {
        auto program = startProgram();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 3, 3);
        MainWindow& window = program->mainWindow();
        WallWindow* wall = window.wallWindow();
        QVERIFY(QTest::qWaitForWindowExposed(wall));
        const QPoint at = wall->cell(4)->mapTo(&window, QPoint(10, 10));
        QTest::mousePress(window.windowHandle(), Qt::RightButton, {}, at);
        QCOMPARE(program->model().ContextElement, std::int16_t{5});
        QTRY_VERIFY(window.editMenu()->isVisible());
        QVERIFY(!window.fileMenu()->isVisible());
        window.editMenu()->close();
    }

    // Cells read as "Element N, Rot r Grün g Blau b" with the selected state;
    // a pass that changes nothing announces nothing.
    void cellsReadTheirColourAndSelection()
    {
        auto program = startProgram();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 3, 3);
        WallWindow* wall = program->mainWindow().wallWindow();
        QVERIFY(QTest::qWaitForWindowExposed(wall));
        WallCanvas::setAnnouncer(&WallWindowTest::recordAccessibleEvent);
        QTest::qWait(20);
        accessibleEvents.clear();

        ShowModel& model = program->model();
        model.colour(Red, 5) = 200;
        model.colour(White, 5) = 100;
        ShowAllElementColours(model, program->view());
        QTest::qWait(20);
        QAccessibleInterface* cell = QAccessible::queryAccessibleInterface(wall->cell(4));
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("Element 5, Rot 255 Grün 100 Blau 100"));
        QVERIFY(cell->state().selectable);
        QVERIFY(!cell->state().selected);
        auto eventsFor = [](QObject* object, QAccessible::Event type) {
            return std::count(accessibleEvents.begin(), accessibleEvents.end(), std::make_pair(object, type));
        };
        QCOMPARE(eventsFor(wall->cell(4), QAccessible::NameChanged), 1);
        QCOMPARE(eventsFor(wall->cell(3), QAccessible::NameChanged), 0);

        accessibleEvents.clear();
        QTest::mouseClick(wall->cell(4), Qt::LeftButton);
        ShowAllElementColours(model, program->view());  // the next tick, nothing new
        QTest::qWait(20);
        QVERIFY(cell->state().selected);
        QCOMPARE(eventsFor(wall->cell(4), QAccessible::StateChanged), 1);
        QCOMPARE(static_cast<int>(accessibleEvents.size()), 1);  // the state of the one cell

        WallCanvas::setAnnouncer(nullptr);
    }

    // Arrow keys move the focus cell, Space selects it like a click and
    // Ctrl+Space adds it like a Ctrl-click.
    void theKeyboardSelectsCells()
    {
        auto program = startProgram();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 3, 3);
        ShowModel& model = program->model();
        WallWindow* wall = program->mainWindow().wallWindow();
        QVERIFY(QTest::qWaitForWindowExposed(wall));
        wall->setFocus();
        QTest::keyClick(wall, Qt::Key_Right);  // the window hands the keys to its focus cell
        QTRY_VERIFY(wall->cell(0)->hasFocus());
        QTest::keyClick(wall->cell(0), Qt::Key_Right);
        QTRY_VERIFY(wall->cell(1)->hasFocus());
        QVERIFY(wall->cell(1)->focusShown());
        QTest::keyClick(wall->cell(1), Qt::Key_Space);
        QCOMPARE(wall->status(), QStringLiteral(" Es wurde Element Nr 2 ausgewählt. "));
        QTest::keyClick(wall->cell(1), Qt::Key_Down);
        QTRY_VERIFY(wall->cell(4)->hasFocus());
        QTest::keyClick(wall->cell(4), Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(wall->status(), QStringLiteral(" Es wurden 2 Elemente ausgewählt"));
        QCOMPARE(model.SelectionFlags[1], 1);
        QCOMPARE(model.SelectionFlags[4], 1);
        QVERIFY(wall->cell(4)->selectedLook());
        QTest::keyClick(wall->cell(4), Qt::Key_Space);  // a plain Space keeps only this one
        QCOMPARE(model.SelectionFlags[1], 0);
        QCOMPARE(model.SelectionCount, 1);

        // Only the focus cell is a Tab stop; the function keys still reach the window.
        QCOMPARE(wall->cell(4)->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(wall->cell(1)->focusPolicy(), Qt::ClickFocus);
        QTest::keyClick(wall->cell(4), Qt::Key_F2, Qt::ShiftModifier);
        QCOMPARE(wall->status(), QStringLiteral("Selectionen gemerkt ."));
    }

    // A pass in which no colour changed paints no cell; one changed colour
    // paints one cell.
    void onlyChangedCellsAreRepainted()
    {
        auto program = startProgram();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 11, 11);
        WallWindow* wall = program->mainWindow().wallWindow();
        QVERIFY(QTest::qWaitForWindowExposed(wall));
        ShowModel& model = program->model();
        ShowAllElementColours(model, program->view());
        // Let the first paints of the new window settle.
        for (long painted = -1; painted != wall->canvas()->paintedCells();) {
            painted = wall->canvas()->paintedCells();
            QTest::qWait(200);
        }
        const long before = wall->canvas()->paintedCells();
        ShowAllElementColours(model, program->view());
        QTest::qWait(50);
        QCOMPARE(wall->canvas()->paintedCells(), before);

        model.colour(Blue, 7) = 90;
        ShowAllElementColours(model, program->view());
        QTest::qWait(50);
        QCOMPARE(wall->canvas()->paintedCells(), before + 1);

        // A tick's changes are painted at its end, without waiting for the
        // event loop, and the whole cell looks as before: a one-pixel border
        // around the colour.
        program->view().collectWallChanges();
        model.colour(Red, 8) = 200;
        ShowAllElementColours(model, program->view());
        QCOMPARE(wall->canvas()->paintedCells(), before + 1);
        program->view().paintChangesNow();
        QCOMPARE(wall->canvas()->paintedCells(), before + 2);
        const QImage shown = wall->grab().toImage();
        const QRect cell(wall->cell(7)->mapTo(wall, QPoint(0, 0)), wall->cell(7)->size());
        const QColor border(40, 40, 40);
        for (const QPoint corner : {cell.topLeft(), cell.topRight(), cell.bottomLeft(), cell.bottomRight()})
            QCOMPARE(shown.pixelColor(corner), border);
        QCOMPARE(shown.pixelColor(cell.center().x(), cell.top()), border);
        QCOMPARE(shown.pixelColor(cell.left(), cell.center().y()), border);
        QCOMPARE(shown.pixelColor(cell.topLeft() + QPoint(1, 1)), QColor(200, 0, 0));
        QCOMPARE(shown.pixelColor(cell.bottomRight() - QPoint(1, 1)), QColor(200, 0, 0));

        // The borders are filled as bars along whole rows and columns: every
        // cell still has its full ring, and the ring ends where the cell does.
        for (int index = 0; index < wall->cellCount(); ++index) {
            const QRect r(wall->cell(index)->mapTo(wall, QPoint(0, 0)), wall->cell(index)->size());
            const QColor fill = wall->cell(index)->colour();
            for (int x = r.left(); x <= r.right(); ++x) {
                QCOMPARE(shown.pixelColor(x, r.top()), border);
                QCOMPARE(shown.pixelColor(x, r.bottom()), border);
            }
            for (int y = r.top(); y <= r.bottom(); ++y) {
                QCOMPARE(shown.pixelColor(r.left(), y), border);
                QCOMPARE(shown.pixelColor(r.right(), y), border);
            }
            const QRect inside = r.adjusted(1, 1, -1, -1);
            for (const QPoint p : {inside.topLeft(), inside.topRight(), inside.bottomLeft(), inside.bottomRight()})
                QCOMPARE(shown.pixelColor(p), fill);
        }
    }
};

QTEST_MAIN(WallWindowTest)
#include "WallWindowTest.moc"
