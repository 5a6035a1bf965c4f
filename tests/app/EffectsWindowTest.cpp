#include "EffectsWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "ProgramFixture.h"
#include "WallWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

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

        // The window keeps its place in the spare slot of the window table.
        auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
        QVERIFY(frame);
        frame->move(40, 30);
        QVERIFY(model.windowPosition(WindowNumber::Effects, 1) > 0);
        // Open as the program would close now: it opens again at the next start.
        QVERIFY(EffectsPresenter::reopensAtStart(model));
        frame->close();
        QTRY_VERIFY(!program->mainWindow().findChild<EffectsWindow*>("frmEffekte"));
        QCOMPARE(model.windowPosition(WindowNumber::Effects, 5), 0);
        QVERIFY(!EffectsPresenter::reopensAtStart(model));

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
