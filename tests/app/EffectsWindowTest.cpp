#include "EffectsWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "ProgramFixture.h"
#include "WallWindow.h"
#include "files/SettingsFile.h"
#include "windows/WindowFit.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <fstream>
#include <memory>

using namespace tinctara;

class EffectsWindowTest : public QObject {
    Q_OBJECT

private:
    testing::ProgramFixture fixture_;

    static EffectsWindow* openWithShortcut(Program& program)
    {
        program.mainWindow().wallWindow()->setFocus();
        QTest::keyClick(program.mainWindow().wallWindow(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        return program.mainWindow().findChild<EffectsWindow*>("frmEffekte");
    }

private slots:
    void init() { fixture_.reset(); }

    void ctrlShiftEOpensItAndTheButtonsFillTheSequence()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 3, 2);
        ShowModel& model = program->model();
        QVERIFY(program->mainWindow().action("mnuEffekte"));
        QCOMPARE(program->mainWindow().action("mnuEffekte")->text(), QStringLiteral("Effekte"));

        EffectsWindow* window = openWithShortcut(*program);
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Effekte"));
        auto* status = window->findChild<QLabel*>("lblStatus");
        QCOMPARE(status->text(), QStringLiteral("60 Schritte in der Vorschau."));

        // A second Ctrl+Shift+E brings the same window up.
        QCOMPARE(openWithShortcut(*program), window);
        QCOMPARE(program->mainWindow().findChildren<EffectsWindow*>().size(), 1);

        auto* kind = window->findChild<QComboBox*>("cboArt");
        kind->setCurrentIndex(static_cast<int>(EffectKind::Chase));
        QVERIFY(window->findChild<QLineEdit*>("txtEffekt_8")->isEnabled());   // tail
        QVERIFY(!window->findChild<QLineEdit*>("txtEffekt_4")->isEnabled());  // text
        auto* steps = window->findChild<QLineEdit*>("txtEffekt_0");
        testing::ProgramFixture::typeInto(steps, "5");
        QTest::mouseClick(window->findChild<QPushButton*>("cmdEffekt_1"), Qt::LeftButton);
        QCOMPARE(int(model.StepCount), 5);
        QCOMPARE(status->text(), QStringLiteral("5 Schritte an die Sequenz angehängt; sie hat jetzt 5 Schritte."));
        QVERIFY(model.hasState(StateFlag::SequencePresent));

        // The preview plays at the tick: it repaints while it runs.
        QTest::qWait(300);
        // While the output ticks, the preview moves with each tick, within it.
        auto* preview = window->findChild<EffectPreview*>("picVorschau");
        QVERIFY(preview);
        const std::vector<Rgb> before = preview->colours();
        bool moved = false;
        for (int tick = 0; tick < 8 && !moved; ++tick) {
            program->view().paintChangesNow();
            moved = preview->colours() != before;
        }
        QVERIFY(moved);

        // Open as the program would close now: it opens again at the next start.
        QVERIFY(EffectsPresenter::reopensAtStart(model));
        // Closed, it keeps its place in the spare slot of the window table
        // and opens there again.
        auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
        QVERIFY(frame);
        frame->move(40, 30);
        frame->close();
        QTRY_VERIFY(!program->mainWindow().findChild<EffectsWindow*>("frmEffekte"));
        const double dpi = program->mainWindow().screen()->logicalDotsPerInch();
        QCOMPARE(model.windowPosition(WindowNumber::Effects, 1), TwipsFromPixels(40, dpi));
        QCOMPARE(model.windowPosition(WindowNumber::Effects, 2), TwipsFromPixels(30, dpi));
        QCOMPARE(model.windowPosition(WindowNumber::Effects, 5), 0);
        QVERIFY(!EffectsPresenter::reopensAtStart(model));
        program->mainWindow().action("mnuEffekte")->trigger();
        QTRY_VERIFY(program->mainWindow().effectsWindow());
        QCOMPARE(program->mainWindow().effectsWindow()->parentWidget()->pos(), QPoint(40, 30));
        program->mainWindow().effectsWindow()->parentWidget()->close();
        QTRY_VERIFY(!program->mainWindow().effectsWindow());

        // A stored place beyond the work area opens inside it, as every child window does.
        model.windowPosition(WindowNumber::Effects, 1) = 90000;
        model.windowPosition(WindowNumber::Effects, 2) = 60000;
        EffectsWindow* again = openWithShortcut(*program);
        QVERIFY(again);
        const QWidget* area = again->parentWidget()->parentWidget();
        QVERIFY(area);
        QVERIFY(again->parentWidget()->geometry().right() <= area->width());
        QVERIFY(again->parentWidget()->geometry().bottom() <= area->height());
    }

    // Open as the main window closes, it opens again at the next start where
    // it stood, with its preview moving at the output tick.
    void openAtTheLastCloseItOpensAgainAtStart()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        const QString config = fixture_.path() + QStringLiteral("/config/DEMO22.CFG");
        QVERIFY(QDir().mkpath(fixture_.path() + QStringLiteral("/config")));
        QVERIFY(QFile::copy(QStringLiteral(TINCTARA_TEST_DATA_DIR "/DEMO22.CFG"), config));
        ShowModel& model = program->model();
        model.ConfigFileName = config.toStdString();
        model.setState(StateFlag::SilentFileOp);
        QVERIFY(program->showFiles().load(DocumentKind::Config));
        model.clearState(StateFlag::SilentFileOp);
        QVERIFY(model.hasState(StateFlag::WallPresent));
        EffectsWindow* window = openWithShortcut(*program);
        QVERIFY(window);
        window->parentWidget()->move(70, 50);
        model.clearDocument(0xFF);  // nothing unsaved: the close asks nothing
        QVERIFY(program->mainWindow().close());
        program.reset();

        // The next start reads the table the close wrote.
        const auto written = readSettingsFile(fixture_.filePath("TINCTARA.ini"));
        QVERIFY(written.windowPositions.values);
        auto table = std::make_unique<ShowModel>();
        table->WindowPositions = *written.windowPositions.values;
        QCOMPARE(table->windowPosition(WindowNumber::Effects, 5), EffectsText::OpenAtClose);
        table->ConfigFileName = config.toStdString();
        std::ofstream(fixture_.filePath("TINCTARA.ini"), std::ios::binary)
            << settingsFileBytes(*table, StateFlag::AutoLoad);
        ProgramSetup setup;
        setup.programFolder = fixture_.path().toStdString();
        setup.settings = &fixture_.settings;
        setup.system = &fixture_.system;
        Program again(setup);
        QVERIFY(again.start());
        again.mainWindow().show();
        QVERIFY(QTest::qWaitForWindowExposed(&again.mainWindow()));
        EffectsWindow* reopened = again.mainWindow().effectsWindow();
        QVERIFY(reopened);
        QCOMPARE(reopened->parentWidget()->pos(), QPoint(70, 50));
        auto* preview = reopened->findChild<EffectPreview*>("picVorschau");
        const std::vector<Rgb> before = preview->colours();
        bool moved = false;
        for (int tick = 0; tick < 8 && !moved; ++tick) {
            again.view().paintChangesNow();
            moved = preview->colours() != before;
        }
        QVERIFY(moved);
    }

    void changingTheKindRepaintsThePreviewAtOnce()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 3, 2);
        EffectsWindow* window = openWithShortcut(*program);
        QVERIFY(window);
        auto* preview = window->findChild<EffectPreview*>("picVorschau");
        auto* kind = window->findChild<QComboBox*>("cboArt");
        auto* status = window->findChild<QLabel*>("lblStatus");
        QVERIFY(preview && kind && status);

        // No tick in between: the combo box alone brings the new kind.
        const std::vector<Rgb> rainbow = preview->colours();
        kind->setCurrentIndex(static_cast<int>(EffectKind::Plasma));
        const auto& plasma = window->presenter().preview().steps;
        QVERIFY(!plasma.empty());
        std::vector<Rgb> expected;
        for (const Rgbw& lamp : plasma[0].lamps)
            expected.push_back({lamp.red, lamp.green, lamp.blue});
        QVERIFY(preview->colours() == expected);
        QVERIFY(preview->colours() != rainbow);

        kind->setCurrentIndex(static_cast<int>(EffectKind::Picture));
        QVERIFY(preview->colours() == std::vector<Rgb>(6, Rgb{0, 0, 0}));
        QCOMPARE(status->text(), QStringLiteral("Bitte wählen Sie eine Bilddatei."));
        QTest::qWait(200);  // the ticks do not bring the old effect back
        QVERIFY(preview->colours() == std::vector<Rgb>(6, Rgb{0, 0, 0}));
    }
};

QTEST_MAIN(EffectsWindowTest)
#include "EffectsWindowTest.moc"
