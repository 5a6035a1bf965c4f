// "DMX Eingang": opened from the program's "Fenster" menu, over a fake input
// for what arrives, and the input's picture on the wall, offscreen.
#include "DmxInputWindow.h"
#include "ProgramFixture.h"
#include "ProgramInput.h"
#include "WallWindow.h"
#include "model/ShowOperations.h"
#include "support/InputFakes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTableWidget>

using namespace tinctara;
using testing::child;

class DmxInputWindowTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;

    static QList<QColor> wallColours(Program& program)
    {
        QList<QColor> colours;
        WallWindow* wall = program.mainWindow().wallWindow();
        for (int index = 0; index < wall->cellCount(); ++index)
            colours << wall->cell(index)->colour();
        return colours;
    }

private slots:
    void init() { fixture_.reset(); }

    void theFensterEntryOpensTheWindow()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        QAction* entry = program->mainWindow().action(QStringLiteral("mnuDMXEingang"));
        QVERIFY(entry);
        QCOMPARE(entry->text(), QStringLiteral("DMX Eingang"));
        QVERIFY(entry->shortcut().isEmpty());
        QMenu* windows = program->mainWindow().findChild<QMenu*>(QStringLiteral("mnuFenster"));
        QVERIFY(windows);
        QCOMPARE(windows->actions().last(), entry);

        entry->trigger();
        auto* window = program->mainWindow().findChild<DmxInputWindow*>(QStringLiteral("frmDMXEingang"));
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("DMX Eingang"));
        QCOMPARE(child<QComboBox>(window, "cboKind")->currentText(), QStringLiteral("Aus"));
        QCOMPARE(child<QComboBox>(window, "cboMerge")->count(), 4);
        QCOMPARE(child<QComboBox>(window, "cboAddress")->itemText(0), QStringLiteral("alle"));
        QCOMPARE(child<QLabel>(window, "lblStatus")->text(), QStringLiteral("Der Eingang ist aus."));

        // A second time brings the same window up.
        entry->trigger();
        QCOMPARE(program->mainWindow().findChildren<DmxInputWindow*>().size(), 1);

        // Ending the program with the universe field focused: its last check
        // on leaving reaches an input that is still there (with a kind
        // chosen, the check asks the input whether it runs).
        auto* kind = child<QComboBox>(window, "cboKind");
        kind->setFocus();
        QTest::keyClick(kind, Qt::Key_Down);
        child<QLineEdit>(window, "txtUniverse")->setFocus();
        QVERIFY(child<QLineEdit>(window, "txtUniverse")->hasFocus());
        program.reset();
    }

    // The controls drive the presenter, and what arrives is drawn: the
    // grid's levels, the senders' table, the counters.
    void theWindowShowsWhatArrives()
    {
        testing::FakeSettingsStore store;
        testing::FakeDmxInput input;
        DmxInputWindow window(store, input);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        auto* kind = child<QComboBox>(&window, "cboKind");
        kind->setFocus();
        QTest::keyClick(kind, Qt::Key_Down);
        QCOMPARE(kind->currentText(), QStringLiteral("sACN (E1.31)"));
        QCOMPARE(input.starts.size(), std::size_t(1));
        QCOMPARE(input.starts[0].kind, InputKind::Sacn);
        auto* universe = child<QLineEdit>(&window, "txtUniverse");
        testing::ProgramFixture::typeInto(universe, QStringLiteral("12"));
        QTest::keyClick(universe, Qt::Key_Return);
        QCOMPARE(input.starts.back().universe, 12);

        input.incoming.levels[0] = 255;
        input.incoming.levels[40] = 128;
        input.incoming.live = true;
        input.incoming.version = 1;
        input.senders = {{"Pult", 100, 44}};
        input.counted = {10, 9, 1, 0};
        QTest::qWait(450);  // the refresh, a few times a second
        auto* grid = child<DmxLevelGrid>(&window, "picLevels");
        QVERIFY(grid->live());
        QCOMPARE(grid->level(1), 255);
        QCOMPARE(grid->level(41), 128);
        QCOMPARE(grid->level(512), 0);
        auto* table = child<QTableWidget>(&window, "grdSources");
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("Pult"));
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("100"));
        QCOMPARE(child<QLabel>(&window, "lblStatus")->text(), QStringLiteral("1 Sender"));
        QCOMPARE(child<QLabel>(&window, "lblCounters")->text(),
                 QStringLiteral("Empfangen: 10, genommen: 9, verworfen: 1, ArtPoll beantwortet: 0"));
        QVERIFY(!grid->grab().isNull());  // paints without trouble

        child<QCheckBox>(&window, "chkOnWall")->click();
        QVERIFY(input.onWall);
    }

    // Shown on the wall, the input's picture replaces the element colours
    // for display only; unchecked or closed, the colours come back.
    void theWallShowsTheInputForDisplayOnly()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 2, 1);
        ShowModel& model = program->model();
        model.colour(Red, 1) = 200;
        model.colour(Blue, 2) = 90;
        ShowAllElementColours(model, program->view());
        const QList<QColor> own{QColor(200, 0, 0), QColor(0, 0, 90)};
        QCOMPARE(wallColours(*program), own);
        const auto colours = model.ElementColours;
        const auto state = model.StateFlags;
        const auto documents = model.DocumentFlags;

        program->mainWindow().action(QStringLiteral("mnuDMXEingang"))->trigger();
        auto* window = program->mainWindow().findChild<DmxInputWindow*>(QStringLiteral("frmDMXEingang"));
        QVERIFY(window);
        auto* onWall = child<QCheckBox>(window, "chkOnWall");
        QCOMPARE(onWall->text(), QStringLiteral("Eingang auf der Wand"));
        onWall->click();
        QVERIFY(program->input().showsOnWall());
        // Nothing is live: the picture is dark, and it stays while the show
        // paints its own colours (as a playing sequence does).
        const QList<QColor> dark{QColor(0, 0, 0), QColor(0, 0, 0)};
        QCOMPARE(wallColours(*program), dark);
        model.colour(Green, 1) = 255;
        ShowAllElementColours(model, program->view());
        QCOMPARE(wallColours(*program), dark);
        model.colour(Green, 1) = 0;
        QVERIFY(model.ElementColours == colours);
        QCOMPARE(model.StateFlags, state);
        QCOMPARE(model.DocumentFlags, documents);

        onWall->click();
        QCOMPARE(wallColours(*program), own);

        // Closing the window gives the wall back as well.
        onWall->click();
        QCOMPARE(wallColours(*program), dark);
        qobject_cast<QMdiSubWindow*>(window->parentWidget())->close();
        QVERIFY(!program->input().showsOnWall());
        QCOMPARE(wallColours(*program), own);
    }

    // Whatever picture the wall is given, each cell shows its display
    // colour: white light added to each primary, capped.
    void aPictureOnTheWallShowsItsDisplayColours()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 3, 1);
        WallPicture picture{};
        picture[ShowModel::colourIndex(Red, 1)] = 200;
        picture[ShowModel::colourIndex(White, 1)] = 100;
        picture[ShowModel::colourIndex(Green, 2)] = 30;
        picture[ShowModel::colourIndex(Blue, 3)] = 255;
        picture[ShowModel::colourIndex(White, 3)] = 255;
        program->view().showPictureOnWall(&picture);
        ShowAllElementColours(program->model(), program->view());
        QCOMPARE(wallColours(*program),
                 (QList<QColor>{QColor(255, 100, 100), QColor(0, 30, 0), QColor(255, 255, 255)}));
        program->view().showPictureOnWall(nullptr);
        ShowAllElementColours(program->model(), program->view());
        QCOMPARE(wallColours(*program), (QList<QColor>{QColor(0, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0)}));
    }
};

QTEST_MAIN(DmxInputWindowTest)
#include "DmxInputWindowTest.moc"
