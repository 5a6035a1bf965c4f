#include "ColourWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "WallWindow.h"
#include "files/SettingsFile.h"
#include "model/WallBuilder.h"
#include "ProgramFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <functional>
#include <memory>

using namespace tinctara;

class ColourWindowTest : public QObject {
    Q_OBJECT

private:
    // A started program with a 3 x 3 wall whose element 2 is selected.
    std::unique_ptr<Program> startProgram()
    {
        auto program = fixture_.start();
        if (!program)
            return nullptr;
        testing::ProgramFixture::buildWall(*program, 3, 3);
        QTest::mouseClick(program->mainWindow().wallWindow()->cell(1), Qt::LeftButton);
        return program;
    }

    // F7 opens the colour window, wherever the focus is.
    ColourWindow* openWithF7(Program& program)
    {
        program.mainWindow().wallWindow()->setFocus();
        QTest::keyClick(program.mainWindow().wallWindow(), Qt::Key_F7);
        return program.mainWindow().findChild<ColourWindow*>("frmColor");
    }

    static void typeInto(QLineEdit* field, const QString& text) { testing::ProgramFixture::typeInto(field, text); }

    testing::ProgramFixture fixture_;

private slots:
    void init() { fixture_.reset(); }

    void opensWithF7AndChecksTypedValues()
    {
        auto program = startProgram();
        QVERIFY(program);
        ShowModel& model = program->model();
        ColourWindow* window = openWithF7(*program);
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Color Fenster "));
        QVERIFY(model.hasState(StateFlag::ColourWindowOpen));
        QVERIFY(window->findChild<QCheckBox*>("chkCHange")->isChecked());
        // The release of F7 is not a selection-memory key for the new window.
        QCOMPARE(model.SelectionFlags[1], 1);
        QCOMPARE(openWithF7(*program), window);  // the same window comes up again
        QCOMPARE(QApplication::focusWidget(), window->findChild<QLineEdit*>("txtFarbe_0"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window->findChild<QLineEdit*>("txtFarbe_1"));
        auto* red = window->findChild<QLineEdit*>("txtFarbe_0");
        auto* white = window->findChild<QLineEdit*>("txtFarbe_3");
        auto* status = window->findChild<QLabel*>("lblStatus");

        typeInto(red, "300");
        QTest::keyClick(red, Qt::Key_Tab);
        QCOMPARE(red->text(), QStringLiteral("0"));
        QCOMPARE(status->text(), QStringLiteral("Es sind nur Werte zwischen 0 und 255 möglich!"));

        typeInto(red, "120");
        QTest::keyClick(red, Qt::Key_Tab);
        QCOMPARE(window->findChild<QScrollBar*>("ScrFarbe_0")->value(), 120);
        QCOMPARE(model.colour(Red, 2), 120);  // "sofort übernehmen" paints the selection
        QCOMPARE(window->panelColour(), QColor(120, 0, 0));
        QCOMPARE(program->mainWindow().wallWindow()->cell(1)->colour(), QColor(120, 0, 0));

        // Keypad digits and letters put "0" in at once; the fader stays.
        typeInto(white, "4");
        QTest::keyClick(white, Qt::Key_5, Qt::KeypadModifier);
        QCOMPARE(white->text(), QStringLiteral("0"));
        QCOMPARE(status->text(), QStringLiteral(" Es sind nur Zahlen erlaubt!"));
        typeInto(white, "a");
        QCOMPARE(white->text(), QStringLiteral("0"));

        QTest::keyClick(white, Qt::Key_Return);
        QCOMPARE(status->text(), QStringLiteral("Bitte mit TAB weitergehen."));
        QCOMPARE(QApplication::focusWidget(), window->findChild<QPushButton*>("cmdColor_1"));
    }

    void undoAndRedoFromTheEditMenu()
    {
        auto program = startProgram();
        QVERIFY(program);
        ShowModel& model = program->model();
        MainWindow& main = program->mainWindow();
        QAction* undo = main.action("mnuRueckgaengig");
        QAction* redo = main.action("mnuWiederholen");
        QVERIFY(!undo->isEnabled());
        QVERIFY(!redo->isEnabled());
        QCOMPARE(undo->text(), QStringLiteral("&Rückgängig"));

        program->selection().addToSelection(4);
        ColourWindow* window = openWithF7(*program);
        QVERIFY(window);
        auto* red = window->findChild<QLineEdit*>("txtFarbe_0");
        typeInto(red, "120");
        QTest::keyClick(red, Qt::Key_Tab);
        QCOMPARE(model.colour(Red, 5), 120);
        QVERIFY(undo->isEnabled());
        QCOMPARE(undo->text(), QStringLiteral("Rückgängig: Farbe auf 2 Elemente"));

        // A focused text field keeps Ctrl+Z for its own typing.
        auto* name = window->findChild<QLineEdit*>("txtFarbName");
        name->setFocus();
        QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(model.colour(Red, 5), 120);
        QVERIFY(undo->isEnabled());

        WallWindow* wall = main.wallWindow();
        wall->setFocus();
        QTest::keyClick(wall, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(model.colour(Red, 2), 0);
        QCOMPARE(model.colour(Red, 5), 0);
        QCOMPARE(wall->cell(4)->colour(), QColor(0, 0, 0));
        QVERIFY(!undo->isEnabled());
        QCOMPARE(redo->text(), QStringLiteral("Wiederholen: Farbe auf 2 Elemente"));

        QTest::keyClick(wall, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(model.colour(Red, 5), 120);
        QCOMPARE(wall->cell(4)->colour(), QColor(120, 0, 0));
        QTest::keyClick(wall, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(wall, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(model.colour(Red, 2), 120);
        QVERIFY(!redo->isEnabled());
        QCOMPARE(redo->text(), QStringLiteral("&Wiederholen"));
    }

    void faderAndStoringAUserColour()
    {
        auto program = startProgram();
        QVERIFY(program);
        ShowModel& model = program->model();
        ColourWindow* window = openWithF7(*program);
        QVERIFY(window);

        auto* green = window->findChild<QScrollBar*>("ScrFarbe_1");
        green->triggerAction(QAbstractSlider::SliderPageStepAdd);
        green->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(model.MixColour[1], 11);
        QCOMPARE(window->findChild<QLineEdit*>("txtFarbe_1")->text(), QStringLiteral("11"));
        QCOMPARE(model.colour(Green, 2), 11);
        green->setFocus();
        QTest::keyClick(green, Qt::Key_Up);  // up is brighter
        QCOMPARE(model.MixColour[1], 12);
        QTest::keyClick(green, Qt::Key_Down);

        // Store mode: the prompt, then a click stores into the field.
        QTest::mouseClick(window->findChild<QPushButton*>("cmdColor_3"), Qt::LeftButton);
        auto* prompt = window->findChild<QLabel*>("lblFarbe_7");
        QVERIFY(prompt->isVisible());
        QTest::mouseClick(window->findChild<QPushButton*>("txtUserColor_4"), Qt::LeftButton);
        QVERIFY(!prompt->isVisible());
        QCOMPARE(model.ColourLevels[ShowModel::userColourIndex(5, Green)], 11);
        QCOMPARE(window->findChild<QLineEdit*>("txtFarbNr")->text(), QStringLiteral("5"));
        QCOMPARE(QApplication::focusWidget(), window->findChild<QLineEdit*>("txtFarbName"));
        QCOMPARE(window->userColour(4), QColor(0, 11, 0));
        QCOMPARE(window->findChild<QLineEdit*>("txtFarbName")->text(), QStringLiteral("Farbe5"));
        window->findChild<QLineEdit*>("txtFarbName")->selectAll();
        QTest::keyClicks(window->findChild<QLineEdit*>("txtFarbName"), "Moos");
        QTest::keyClick(window->findChild<QLineEdit*>("txtFarbName"), Qt::Key_Return);
        QCOMPARE(model.ColourNames[4], std::string("Moos") + std::string(16, ' '));
    }

    void functionKeysReachTheWallsMemories()
    {
        auto program = startProgram();
        QVERIFY(program);
        ColourWindow* window = openWithF7(*program);
        QVERIFY(window);
        auto* field = window->findChild<QLineEdit*>("txtFarbe_2");
        field->setFocus();
        QTest::keyClick(field, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(program->mainWindow().wallWindow()->status(), QStringLiteral("Selectionen gemerkt ."));
        QTest::mouseClick(program->mainWindow().wallWindow()->cell(8), Qt::LeftButton);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_F3);
        QCOMPARE(program->model().SelectionFlags[1], 1);
        QCOMPARE(program->model().SelectionFlags[8], 0);
    }

    // 255 is at the top: whatever moves a fader upwards raises its value,
    // arrows and track clicks as much as the keys, the wheel and the thumb.
    void everyWayOfMovingAFaderAgrees()
    {
        auto program = startProgram();
        QVERIFY(program);
        ShowModel& model = program->model();
        ColourWindow* window = openWithF7(*program);
        QVERIFY(window);
        auto* fader = window->findChild<QScrollBar*>("ScrFarbe_2");
        QVERIFY(fader);
        auto centreOf = [fader](QStyle::SubControl control) {
            QStyleOptionSlider option;
            option.initFrom(fader);
            option.orientation = Qt::Vertical;
            option.minimum = fader->minimum();
            option.maximum = fader->maximum();
            option.sliderPosition = fader->sliderPosition();
            option.sliderValue = fader->value();
            option.singleStep = fader->singleStep();
            option.pageStep = fader->pageStep();
            option.upsideDown = fader->invertedAppearance();
            return fader->style()->subControlRect(QStyle::CC_ScrollBar, &option, control, fader).center();
        };
        auto click = [&](QStyle::SubControl control) {
            QTest::mouseClick(fader, Qt::LeftButton, {}, centreOf(control));
        };
        auto wheel = [fader](int degrees) {
            const QPointF at(fader->width() / 2.0, fader->height() / 2.0);
            QWheelEvent event(at, fader->mapToGlobal(at), {}, QPoint(0, degrees * 8), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(fader, &event);
        };
        auto drag = [&](int pixels) {
            const QPoint thumb = centreOf(QStyle::SC_ScrollBarSlider);
            QTest::mousePress(fader, Qt::LeftButton, {}, thumb);
            QTest::mouseMove(fader, thumb + QPoint(0, pixels / 2));
            QTest::mouseMove(fader, thumb + QPoint(0, pixels));
            QTest::mouseRelease(fader, Qt::LeftButton, {}, thumb + QPoint(0, pixels));
        };
        fader->setValue(100);
        QCOMPARE(model.MixColour[2], 100);

        // Each way once up and once down, with the change it makes (±1000:
        // only its direction is fixed, as for the wheel's lines and a drag).
        struct Move {
            const char* what;
            std::function<void()> move;
            int up;
        };
        const Move moves[] = {
            {"upper arrow", [&] { click(QStyle::SC_ScrollBarSubLine); }, +1},
            {"lower arrow", [&] { click(QStyle::SC_ScrollBarAddLine); }, -1},
            {"track above the thumb", [&] { click(QStyle::SC_ScrollBarSubPage); }, +10},
            {"track below the thumb", [&] { click(QStyle::SC_ScrollBarAddPage); }, -10},
            {"key up",
             [&] {
                 fader->setFocus();
                 QTest::keyClick(fader, Qt::Key_Up);
             },
             +1},
            {"key down",
             [&] {
                 fader->setFocus();
                 QTest::keyClick(fader, Qt::Key_Down);
             },
             -1},
            {"page up",
             [&] {
                 fader->setFocus();
                 QTest::keyClick(fader, Qt::Key_PageUp);
             },
             +10},
            {"page down",
             [&] {
                 fader->setFocus();
                 QTest::keyClick(fader, Qt::Key_PageDown);
             },
             -10},
            {"wheel turned away", [&] { wheel(15); }, +1000},
            {"wheel turned back", [&] { wheel(-15); }, -1000},
            {"thumb dragged up", [&] { drag(-40); }, +1000},
            {"thumb dragged down", [&] { drag(40); }, -1000},
        };
        for (const Move& m : moves) {
            const int before = fader->value();
            m.move();
            const int change = fader->value() - before;
            const QByteArray what = QByteArray(m.what) + ": " + QByteArray::number(change);
            if (std::abs(m.up) == 1000)
                QVERIFY2(change != 0 && (change > 0) == (m.up > 0), what.constData());
            else
                QVERIFY2(change == m.up, what.constData());
            QCOMPARE(model.MixColour[2], fader->value());
        }

        // The top is 255, the bottom 0.
        fader->setValue(0);
        const int bottom = centreOf(QStyle::SC_ScrollBarSlider).y();
        fader->setValue(255);
        QVERIFY(centreOf(QStyle::SC_ScrollBarSlider).y() < bottom);
        click(QStyle::SC_ScrollBarSubLine);
        QCOMPARE(fader->value(), 255);
    }

    // Tab reaches the faders; the one with the focus is framed in the
    // highlight colour all round, the others are not.
    void aFaderWithTheFocusShowsIt()
    {
        auto program = startProgram();
        QVERIFY(program);
        ColourWindow* window = openWithF7(*program);
        QVERIFY(window);
        auto* fader = window->findChild<QScrollBar*>("ScrFarbe_0");
        const QImage unfocused = fader->grab().toImage();
        for (int tab = 0; tab < 20 && QApplication::focusWidget() != fader; ++tab)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), fader);

        const QImage focused = fader->grab().toImage();
        const QColor highlight = fader->palette().color(QPalette::Highlight);
        const int w = focused.width();
        const int h = focused.height();
        const QPoint edges[] = {{0, h / 2}, {1, h / 2}, {w - 1, h / 2}, {w - 2, h / 2},
                                {w / 2, 0}, {w / 2, 1}, {w / 2, h - 1}, {w / 2, h - 2}};
        for (const QPoint& at : edges) {
            const QByteArray where = QByteArray::number(at.x()) + "," + QByteArray::number(at.y());
            QVERIFY2(focused.pixelColor(at) == highlight, where.constData());
            QVERIFY2(unfocused.pixelColor(at) != highlight, where.constData());
        }
        QCOMPARE(window->findChild<QScrollBar*>("ScrFarbe_1")->grab().toImage(), unfocused);

        QTest::keyClick(fader, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != fader);
        QCOMPARE(fader->grab().toImage(), unfocused);
    }

    // The keys of a fader with the focus, as a user expects of a fader whose
    // top is 255; each change goes the mouse's way, into the mix, the value
    // field and the selected element.
    void keysOfAFocusedFader()
    {
        auto program = startProgram();
        QVERIFY(program);
        ShowModel& model = program->model();
        ColourWindow* window = openWithF7(*program);
        QVERIFY(window);
        auto* fader = window->findChild<QScrollBar*>("ScrFarbe_2");
        auto* field = window->findChild<QLineEdit*>("txtFarbe_2");
        auto* lowest = window->findChild<QCheckBox*>("chkMindest");
        struct Press {
            const char* what;
            Qt::Key key;
            int from;
            int expected;
            bool minimumOne = false;
        };
        const Press presses[] = {
            {"up", Qt::Key_Up, 100, 101},
            {"right", Qt::Key_Right, 100, 101},
            {"down", Qt::Key_Down, 100, 99},
            {"left", Qt::Key_Left, 100, 99},
            {"page up", Qt::Key_PageUp, 100, 110},
            {"page down", Qt::Key_PageDown, 100, 90},
            {"end: full", Qt::Key_End, 100, 255},
            {"home: off", Qt::Key_Home, 100, 0},
            {"page up near the top stops at 255", Qt::Key_PageUp, 250, 255},
            {"page down near the bottom stops at 0", Qt::Key_PageDown, 4, 0},
            {"up at the top", Qt::Key_Up, 255, 255},
            {"home with the lowest value 1", Qt::Key_Home, 100, 1, true},
            {"down from the lowest value 1", Qt::Key_Down, 1, 1, true},
        };
        for (const Press& p : presses) {
            if (lowest->isChecked() != p.minimumOne)
                QTest::mouseClick(lowest, Qt::LeftButton);
            fader->setValue(p.from);
            fader->setFocus(Qt::TabFocusReason);
            QTest::keyClick(fader, p.key);
            QVERIFY2(fader->value() == p.expected, p.what);
            QVERIFY2(model.MixColour[2] == p.expected, p.what);
            QVERIFY2(field->text() == QString::number(p.expected), p.what);
            QVERIFY2(model.colour(Blue, 2) == p.expected, p.what);
        }
    }

    void colourTableLoadReachesTheWindowAndClosingKeepsTheGeometry()
    {
        auto program = startProgram();
        QVERIFY(program);
        ShowModel& model = program->model();
        ColourWindow* window = openWithF7(*program);
        QVERIFY(window);

        model.ColourTableFileName = fixture_.filePath("WARM.CCT");
        model.ColourLevels[ShowModel::userColourIndex(20, White)] = 90;
        model.setState(StateFlag::SilentFileOp);
        QVERIFY(program->showFiles().save(DocumentKind::ColourTable));
        model.ColourLevels[ShowModel::userColourIndex(20, White)] = 0;
        window->presenter().ShowUserColors();
        QCOMPARE(window->userColour(19), QColor(0, 0, 0));
        model.setState(StateFlag::SilentFileOp);
        QVERIFY(program->showFiles().load(DocumentKind::ColourTable));
        model.clearState(StateFlag::SilentFileOp);
        QCOMPARE(window->windowTitle(), QStringLiteral("WARM.CCTColor Fenster "));
        QCOMPARE(window->findChild<QLabel*>("lblStatus")->text(), QStringLiteral("Farbtabelle erfolgreich geladen!"));
        QCOMPARE(window->userColour(19), QColor(90, 90, 90));

        auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
        QVERIFY(frame);
        frame->move(40, 30);
        QPointer<ColourWindow> guard(window);
        frame->close();
        QTRY_VERIFY(!guard);
        QVERIFY(!model.hasState(StateFlag::ColourWindowOpen));
        QVERIFY(model.windowPosition(WindowNumber::Colour, 1) > 0);
        QVERIFY(model.windowPosition(WindowNumber::Colour, 3) > 0);
        QVERIFY(!program->mainWindow().colourWindow());
        program->view().setColourWindowStatus("nobody listens");  // a closed window receives nothing
    }
};

QTEST_MAIN(ColourWindowTest)
#include "ColourWindowTest.moc"
