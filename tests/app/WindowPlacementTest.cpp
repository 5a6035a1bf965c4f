// Where the main window and its child windows open: inside the screen and the
// work area, whatever the settings file says, and cascaded when it says nothing.
#include "MainWindow.h"
#include "Program.h"
#include "WallWindow.h"
#include "files/SettingsFile.h"
#include "ProgramFixture.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStyle>
#include <QTest>

#include <climits>
#include <fstream>
#include <functional>
#include <memory>
#include <string_view>

using namespace tinctara;

class WindowPlacementTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;

    // A program started over a settings file whose window table `table` fills
    // (left, top, width, height and state of each window, in twips).
    std::unique_ptr<Program> startWith(const std::function<void(ShowModel&)>& table)
    {
        fixture_.reset();
        ShowModel written;
        table(written);
        std::ofstream(fixture_.filePath("TINCTARA.ini"), std::ios::binary)
            << settingsFileBytes(written, StateFlag::AutoLoad);
        ProgramSetup setup;
        setup.programFolder = fixture_.path().toStdString();
        setup.settings = &fixture_.settings;
        setup.system = &fixture_.system;
        auto program = std::make_unique<Program>(setup);
        if (!program->start())
            return nullptr;
        program->mainWindow().show();
        QApplication::setActiveWindow(&program->mainWindow());
        if (!QTest::qWaitForWindowActive(&program->mainWindow()))
            return nullptr;
        return program;
    }

    static void store(ShowModel& model, int window, int left, int top, int width = 0, int height = 0)
    {
        model.windowPosition(window, 1) = left;
        model.windowPosition(window, 2) = top;
        model.windowPosition(window, 3) = width;
        model.windowPosition(window, 4) = height;
    }

    // Opens the editing windows from their menus and returns their frames;
    // the large effects window only when asked.
    static QList<QMdiSubWindow*> openEditingWindows(Program& program, bool withEffects = false)
    {
        testing::ProgramFixture::buildWall(program, 3, 3);
        MainWindow& window = program.mainWindow();
        struct Entry {
            const char* menu;
            const char* window;
        };
        const Entry entries[] = {{"mnuColorFenster", "frmColor"}, {"mnuPatchfenster", "frmElement"},
                                 {"mnuSequenzer", "frmControl"},  {"mnuDMXTestfenster", "frmDMX"},
                                 {"mnuOptionen", "frmOptions"},   {"mnuEffekte", "frmEffekte"}};
        QList<QMdiSubWindow*> frames;
        for (const Entry& entry : entries) {
            if (!withEffects && entry.window == std::string_view("frmEffekte"))
                continue;
            window.action(QString::fromLatin1(entry.menu))->trigger();
            QWidget* child = window.findChild<QWidget*>(QString::fromLatin1(entry.window));
            frames.append(child ? qobject_cast<QMdiSubWindow*>(child->parentWidget()) : nullptr);
        }
        return frames;
    }

private slots:
    void storedPlacesOutsideTheWorkAreaAreMovedIn()
    {
        auto program = startWith([](ShowModel& model) {
            store(model, WindowNumber::Colour, 2000000, 300);       // far to the right
            store(model, WindowNumber::Patch, 14000, 150);          // past the edge, as the sample show's
            store(model, WindowNumber::Sequencer, -50000, -50000);  // above and left of the area
            store(model, WindowNumber::DmxTest, 300, INT_MAX);
            store(model, WindowNumber::Options, INT_MIN, 600);
            store(model, WindowNumber::Effects, INT_MAX, INT_MIN);
        });
        QVERIFY(program);
        const QList<QMdiSubWindow*> frames = openEditingWindows(*program, true);
        const QRect area = program->mainWindow().mdiArea()->viewport()->rect();
        for (QMdiSubWindow* frame : frames) {
            QVERIFY(frame);
            const QString what = frame->widget()->objectName();
            QVERIFY2(frame->width() <= area.width() && frame->height() <= area.height(), qPrintable(what));
            QVERIFY2(area.contains(frame->geometry()), qPrintable(what));
        }
        // A place inside the area is kept as it was stored.
        QCOMPARE(frames[0]->y(), 20);
    }

    void windowsWithoutAPlaceCascade()
    {
        auto program = startWith([](ShowModel&) {});  // the table of a first start: all 0
        QVERIFY(program);
        const QList<QMdiSubWindow*> frames = openEditingWindows(*program);
        const QRect area = program->mainWindow().mdiArea()->viewport()->rect();
        QList<QPoint> corners{program->mainWindow().wallWindow()->parentWidget()->pos()};
        for (QMdiSubWindow* frame : frames) {
            QVERIFY(frame);
            const QString what = frame->widget()->objectName();
            QVERIFY2(!corners.contains(frame->pos()), qPrintable(what + " opened on another window's corner"));
            QVERIFY2(area.contains(frame->geometry()), qPrintable(what));
            corners.append(frame->pos());
        }
    }

    // At a first start F7, F6 and F5 open their windows beside the wall, each
    // a step from the one before, so that no cell and no title bar is hidden;
    // a stored place still wins.
    void firstStartWindowsOpenBesideTheWall_data()
    {
        QTest::addColumn<bool>("sequencerStored");
        QTest::newRow("no place stored") << false;
        QTest::newRow("the sequencer's place stored over the wall") << true;
    }

    void firstStartWindowsOpenBesideTheWall()
    {
        QFETCH(bool, sequencerStored);
        auto program = startWith([&](ShowModel& model) {
            if (sequencerStored)
                store(model, WindowNumber::Sequencer, 300, 300);
        });
        QVERIFY(program);
        MainWindow& main = program->mainWindow();
        // Room beside a small wall: the work area of the default main window.
        main.resize(1024, 720);
        testing::ProgramFixture::buildWall(*program, 3, 3);
        WallWindow* wallWindow = main.wallWindow();
        QVERIFY(wallWindow->isVisible());
        const QRect wall = wallWindow->parentWidget()->geometry();

        const struct {
            Qt::Key key;
            const char* window;
        } opened[] = {{Qt::Key_F7, "frmColor"}, {Qt::Key_F6, "frmControl"}, {Qt::Key_F5, "frmElement"}};
        QList<QWidget*> frames;
        for (const auto& o : opened) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &main, o.key);
            auto* child = main.findChild<QWidget*>(QString::fromLatin1(o.window));
            QVERIFY2(child && child->isVisible(), o.window);
            frames.append(child->parentWidget());
        }

        const QRect area = main.mdiArea()->viewport()->rect();
        const int titleBar = frames[0]->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frames[0]);
        const double dpi = main.screen()->logicalDotsPerInch();
        for (int i = 0; i < frames.size(); ++i) {
            const QRect frame = frames[i]->geometry();
            const QByteArray what = opened[i].window;
            QVERIFY2(area.contains(frame), what.constData());
            if (sequencerStored && what == "frmControl") {
                QCOMPARE(frame.topLeft(), QPoint(qRound(300 * dpi / 1440), qRound(300 * dpi / 1440)));
                continue;
            }
            QVERIFY2(wall.right() + frame.width() < area.width(), what + ": no room to test in");
            QVERIFY2(!frame.intersects(wall), what + " lies over the wall");
            for (int j = 0; j < i; ++j) {
                const QRect before = frames[j]->geometry();
                const QRect titleOfBefore(before.topLeft(), QSize(before.width(), titleBar));
                QVERIFY2(frame.topLeft() != before.topLeft(), what + " on another window's place");
                QVERIFY2(!frame.intersects(titleOfBefore), what + " covers the title bar of " + opened[j].window);
            }
        }
    }

    void mainWindowSizeFromTheFileFitsTheScreen_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("defaultSize");
        QTest::newRow("fits") << 600 << 450 << 9000 << 6000 << false;
        QTest::newRow("off the screen") << 3000000 << 3000000 << 9000 << 6000 << false;
        QTest::newRow("twice the screen") << 0 << 0 << 40000 << 30000 << true;
        QTest::newRow("a million twips") << 0 << 0 << 1000000 << 1000000 << true;
        QTest::newRow("the largest numbers") << INT_MAX << INT_MAX << INT_MAX << INT_MAX << true;
    }

    void mainWindowSizeFromTheFileFitsTheScreen()
    {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, defaultSize);
        auto program = startWith([&](ShowModel& model) { store(model, WindowNumber::Main, left, top, width, height); });
        QVERIFY(program);
        MainWindow& window = program->mainWindow();
        const QRect screen = window.screen()->availableGeometry();
        QVERIFY(screen.contains(window.frameGeometry()));
        const double dpi = window.screen()->logicalDotsPerInch();
        if (defaultSize) {
            // The default size, cut by the frame where the screen is smaller.
            QCOMPARE(window.height(), 720);
            QVERIFY(window.width() <= 1024 && window.width() >= std::min(1024, screen.width() - 50));
        } else
            QCOMPARE(window.size(), QSize(qRound(width * dpi / 1440), qRound(height * dpi / 1440)));
    }
};

QTEST_MAIN(WindowPlacementTest)
#include "WindowPlacementTest.moc"
