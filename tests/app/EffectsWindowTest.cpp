#include "EffectsWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "ProgramFixture.h"
#include "WallWindow.h"
#include "files/SettingsFile.h"
#include "support/ClickTrack.h"
#include "windows/WindowFit.h"

#include <QComboBox>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

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

    // The group "Musik": its fields come from the per-user store and go back
    // to it, "…" chooses the song in the program's file dialog, and "Auf Musik
    // legen" analyses it off the window's thread before the sequence changes.
    void theMusicGroupLaysTheSequenceOntoASong()
    {
        fixture_.settings.values["TINCTARA/Music/EveryBeats"] = "2";
        fixture_.settings.values["TINCTARA/Music/Start"] = "0.25";
        auto program = fixture_.start();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 3, 2);
        ShowModel& model = program->model();
        EffectsWindow* window = openWithShortcut(*program);
        QVERIFY(window);
        auto* group = window->findChild<QGroupBox*>("fraMusik");
        auto* song = window->findChild<QLineEdit*>("txtMusik_0");
        auto* blend = window->findChild<QLineEdit*>("txtMusik_1");
        auto* start = window->findChild<QLineEdit*>("txtMusik_2");
        auto* beats = window->findChild<QComboBox*>("cboBeats");
        auto* choose = window->findChild<QPushButton*>("cmdLied");
        auto* lay = window->findChild<QPushButton*>("cmdMusik_0");
        auto* preview = window->findChild<QPushButton*>("cmdMusik_1");
        auto* status = window->findChild<QLabel*>("lblStatus");
        QVERIFY(group && song && blend && start && beats && choose && lay && preview && status);
        QCOMPARE(group->title(), QStringLiteral("Musik"));
        const std::pair<const char*, QString> labels[] = {{"lblMusik_0", QStringLiteral("Lied")},
                                                          {"lblBeats", QStringLiteral("alle N Beats")},
                                                          {"lblMusik_1", QStringLiteral("Blende (Anteil vom Beat)")},
                                                          {"lblMusik_2", QStringLiteral("Start (s)")}};
        for (const auto& [name, text] : labels)
            QCOMPARE(window->findChild<QLabel*>(name)->text(), text);
        QCOMPARE(choose->text(), QStringLiteral("…"));
        QCOMPARE(lay->text(), QStringLiteral("Auf Musik legen"));
        QCOMPARE(preview->text(), QStringLiteral("Vorschau mit Musik"));
        QVERIFY(preview->isCheckable());
        QVERIFY(preview->isEnabled());  // the program plays the song with the sequence
        QCOMPARE(beats->count(), 3);
        QCOMPARE(beats->currentText(), QStringLiteral("2"));
        QCOMPARE(blend->text(), QStringLiteral("0,5"));
        QCOMPARE(start->text(), QStringLiteral("0,25"));

        // Three steps to lay, saved so that nothing asks.
        testing::ProgramFixture::typeInto(window->findChild<QLineEdit*>("txtEffekt_0"), QStringLiteral("3"));
        QTest::mouseClick(window->findChild<QPushButton*>("cmdEffekt_2"), Qt::LeftButton);
        QCOMPARE(int(model.StepCount), 3);
        model.clearDocument(0xFF);

        testing::AudioFolder folder;
        const testing::ClickTrack track = testing::clickTrack({{0.25, 120}}, 20);
        const std::string path = folder.path("klick.wav");
        QVERIFY(testing::writeSoundFile(path, track.samples, track.sampleRate));
        QStringList filters;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            filters = dialog->nameFilters();
            dialog->selectFile(QString::fromStdString(path));
            static_cast<QDialog*>(dialog)->accept();
        });
        QTest::mouseClick(choose, Qt::LeftButton);
        QVERIFY(filters.join(' ').contains(QStringLiteral("*.mp3")));
        QCOMPARE(song->text(), QString::fromStdString(path));
        QCOMPARE(fixture_.settings.values["TINCTARA/Music/Song"], path);
        testing::ProgramFixture::typeInto(blend, QStringLiteral("0,25"));
        QCOMPARE(fixture_.settings.values["TINCTARA/Music/BlendFraction"], std::string("0.25"));
        beats->setCurrentIndex(2);
        QCOMPARE(fixture_.settings.values["TINCTARA/Music/EveryBeats"], std::string("4"));
        beats->setCurrentIndex(1);

        QTest::mouseClick(lay, Qt::LeftButton);
        QCOMPARE(status->text(), QStringLiteral("Musik wird analysiert …"));
        QVERIFY(!lay->isEnabled());
        QCOMPARE(int(model.StepCount), 3);  // not yet: the click returned before the analysis ended
        QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("Tempo: 120,")), 20000);
        QVERIFY(status->text().contains(QStringLiteral(" Schritte geschrieben, einer je 2 Schläge; ")));
        QVERIFY(lay->isEnabled());
        QVERIFY(model.StepCount > 8);
        QVERIFY(model.hasState(StateFlag::SequencePresent));
    }

    // With the preview's hooks the button starts and stops it and shows
    // whether it runs.
    void thePreviewButtonFollowsItsHooks()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 2, 1);
        fixture_.settings.values["TINCTARA/Music/Song"] = "/musik/lied.ogg";
        QStringList calls;
        Program& p = *program;
        EffectsWindow window({p.model(), p.view(), p.user(), p.presenter(), fixture_.settings,
                              [&](const std::string& song) {
                                  calls << QStringLiteral("start ") + QString::fromStdString(song);
                                  return std::string();
                              },
                              [&] { calls << QStringLiteral("stop"); }});
        QVERIFY(window.presenter().Form_Load());
        window.show();
        auto* preview = window.findChild<QPushButton*>("cmdMusik_1");
        QVERIFY(preview->isEnabled());
        QTest::mouseClick(preview, Qt::LeftButton);
        QVERIFY(preview->isChecked());
        QTest::mouseClick(preview, Qt::LeftButton);
        QVERIFY(!preview->isChecked());
        QTest::mouseClick(preview, Qt::LeftButton);
        window.presenter().musicPreviewEnded();
        QVERIFY(!preview->isChecked());
        QCOMPARE(calls, (QStringList{QStringLiteral("start /musik/lied.ogg"), QStringLiteral("stop"),
                                     QStringLiteral("start /musik/lied.ogg")}));
    }
};

QTEST_MAIN(EffectsWindowTest)
#include "EffectsWindowTest.moc"
