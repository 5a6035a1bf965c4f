#include "MainWindow.h"
#include "PatchWindow.h"
#include "Program.h"
#include "WallWindow.h"
#include "files/SettingsFile.h"
#include "model/WallBuilder.h"
#include "ProgramFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <memory>

using namespace tinctara;

class PatchWindowTest : public QObject {
    Q_OBJECT

private:
    // A started program with a 4 x 4 wall (64 channels) and no selection.
    std::unique_ptr<Program> startProgram()
    {
        auto program = fixture_.start();
        if (program)
            testing::ProgramFixture::buildWall(*program, 4, 4);
        return program;
    }

    PatchWindow* openWithF5(Program& program)
    {
        program.mainWindow().wallWindow()->setFocus();
        QTest::keyClick(program.mainWindow().wallWindow(), Qt::Key_F5);
        return program.mainWindow().findChild<PatchWindow*>("frmElement");
    }

    static QLineEdit* field(PatchWindow* window, int index)
    {
        return window->findChild<QLineEdit*>(QStringLiteral("txtElement_%1").arg(index));
    }

    static void enter(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }

    testing::ProgramFixture fixture_;

private slots:
    void init() { fixture_.reset(); }

    void opensOnTheRightClickedElementAndFollowsTheWall()
    {
        auto program = startProgram();
        QVERIFY(program);
        program->model().ContextElement = 6;
        PatchWindow* window = openWithF5(*program);
        QVERIFY(window);
        QVERIFY(program->model().hasState(StateFlag::PatchWindowOpen));
        QCOMPARE(window->windowTitle(), QStringLiteral("Element"));
        QCOMPARE(field(window, 0)->text(), QStringLiteral("6"));
        QCOMPARE(field(window, 1)->text(), QStringLiteral("21"));
        QCOMPARE(field(window, 8)->text(), QStringLiteral("0"));

        // One element clicked on the wall: the patch window shows it, the wall stays in front.
        WallWindow* wall = program->mainWindow().wallWindow();
        QTest::mouseClick(wall->cell(8), Qt::LeftButton);
        QCOMPARE(field(window, 0)->text(), QStringLiteral("9"));
        QCOMPARE(field(window, 4)->text(), QStringLiteral("36"));
        QCOMPARE(wall->status(), QStringLiteral("Zeige Patchdaten des ausgewälten Elements"));
        QCOMPARE(static_cast<QWidget*>(program->mainWindow().mdiArea()->activeSubWindow()), wall->parentWidget());
        QVERIFY(window->isVisible());
    }

    void entriesAreCheckedAsTheyAreTypedAndLeft()
    {
        auto program = startProgram();
        QVERIFY(program);
        ShowModel& model = program->model();
        model.ContextElement = 6;
        PatchWindow* window = openWithF5(*program);
        QVERIFY(window);
        auto* status = window->findChild<QLabel*>("lblStatus");

        // A letter or a keypad digit puts back the value the field had on entry.
        QLineEdit* green = field(window, 2);
        green->setFocus();
        QTest::keyClicks(green, "4");
        QTest::keyClick(green, Qt::Key_X);
        QCOMPARE(green->text(), QStringLiteral("22"));
        QCOMPARE(status->text(), QStringLiteral("Es sind nur Zahlen erlaubt!"));
        QTest::keyClick(green, Qt::Key_7, Qt::KeypadModifier);
        QCOMPARE(green->text(), QStringLiteral("22"));
        QTest::keyClick(green, Qt::Key_Right);
        QCOMPARE(status->text(), QStringLiteral("Werte zwischen 1 und 64"));

        enter(green, "70");
        QCOMPARE(status->text(), QStringLiteral("Die Karte ist auf 64 DMX-Kanäle eingestellt"));
        QCOMPARE(green->text(), QStringLiteral("22"));
        QCOMPARE(model.patch(6, Green), 22);

        // Red onto green's channel: marked, stored all the same.
        enter(field(window, 1), "22");
        QVERIFY(window->fieldIsRed(1));
        QCOMPARE(status->text(), QStringLiteral("Kanal ist bereits von diesem Element belegt!"));
        QCOMPARE(model.patch(6, Red), 22);
        QVERIFY(model.hasDocument(DocumentFlag::ConfigChanged));
        enter(field(window, 1), "21");
        QVERIFY(!window->fieldIsRed(1));
        QCOMPARE(status->text(), QStringLiteral(""));

        enter(field(window, 0), "0");
        QCOMPARE(status->text(), QStringLiteral("Element nicht vorhanden!"));
        QCOMPARE(field(window, 1)->text(), QStringLiteral(""));
        QCOMPARE(QApplication::focusWidget(), field(window, 0));

        // The program's history got each channel stored, and nothing refused.
        const history::UndoHistory& history = program->edits().history();
        QCOMPARE(history.undoCount(), std::size_t{2});
        QCOMPARE(history.undoCaption(), std::string("Rückgängig: Patch Element 6"));
        QVERIFY(program->edits().undo());
        QCOMPARE(model.patch(6, Red), 22);
    }

    void okAsksAboutRedFieldsAndCloses()
    {
        auto program = startProgram();
        QVERIFY(program);
        ShowModel& model = program->model();
        model.ContextElement = 1;
        PatchWindow* window = openWithF5(*program);
        QVERIFY(window);
        enter(field(window, 3), "2");
        QVERIFY(window->fieldIsRed(3));

        QString asked;
        QPointer<PatchWindow> guard(window);
        QTimer::singleShot(0, [&asked] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                    asked = box->text();
                    box->button(QMessageBox::Ok)->click();
                }
        });
        QTest::mouseClick(window->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QTRY_VERIFY(!guard);
        QCOMPARE(asked, QStringLiteral("Sie haben noch Fehler in Ihrer Patchtabelle! Wollen Sie das Patchfenster "
                                       "trotzdem verlassen?"));
        QVERIFY(model.hasDocument(DocumentFlag::ConfigChanged));
        QVERIFY(!model.hasState(StateFlag::PatchWindowOpen));
        QVERIFY(model.windowPosition(WindowNumber::Patch, 3) > 0);
        QVERIFY(!program->mainWindow().patchWindow());
    }
};

QTEST_MAIN(PatchWindowTest)
#include "PatchWindowTest.moc"
