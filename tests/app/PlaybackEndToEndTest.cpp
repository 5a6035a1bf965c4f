// From the wall to the lamps: paint two pictures with the colour window, record
// them in the sequencer, play, and watch the crossfade in what the emulated
// 7301B card transmits.
#include "MainWindow.h"
#include "Program.h"
#include "WallWindow.h"
#include "files/SettingsFile.h"
#include "model/WallBuilder.h"
#include "support/MainWindowFakes.h"
#include "tinctara_portio.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace tinctara;

namespace {

// The wait after a card start ends at once: the second moves on at every second reading.
struct SteppingClock : Clock {
    std::int64_t timeOfDaySeconds() override { return readings++ / 2; }
    std::int64_t monotonicMilliseconds() override { return 0; }
    std::int64_t readings = 0;
};

std::vector<int> transmitted(int firstChannel, int count)
{
    unsigned char frame[513] = {};
    const int sent = VirtualIsaCardFrame(0x120, frame, sizeof frame);
    std::vector<int> levels;
    for (int channel = firstChannel; channel < firstChannel + count && channel < sent; ++channel)
        levels.push_back(frame[channel]);  // slot 0 is the start code
    return levels;
}

}  // namespace

class PlaybackEndToEndTest : public QObject {
    Q_OBJECT

    SteppingClock clock_;
    testing::FakeSettingsStore settings_;
    testing::FakeSystemInfo system_;

private slots:
    void recordedPicturesCrossfadeOnTheCard()
    {
        QTemporaryDir folder;
        const auto shipped = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        for (const char* name : {"TINCT_D.MSG", "FWISA12A.BIN", "FWISA16B.BIN", "FWISA17C.BIN"})
            std::filesystem::copy_file(shipped / name, std::filesystem::path(folder.path().toStdString()) / name);
        auto written = std::make_unique<ShowModel>();
        std::ofstream(folder.filePath("TINCTARA.ini").toStdString(), std::ios::binary)
            << settingsFileBytes(*written, StateFlag::AutoLoad | StateFlag::AutoChannelCount);
        settings_.values["TINCTARA/Interface/Type"] = "1";  // the 7301B of the virtual bus
        ProgramSetup setup;
        setup.programFolder = folder.path().toStdString();
        setup.settings = &settings_;
        setup.system = &system_;
        setup.clock = &clock_;
        Program program(setup);
        QVERIFY(program.start());
        QCOMPARE(program.model().InterfaceType, Interface::IsaCard7301AB);
        MainWindow& window = program.mainWindow();
        window.show();

        ShowModel& model = program.model();
        model.WallColumns = 2;
        model.WallRows = 1;
        model.ElementWidth = 600;
        model.ElementHeight = 600;
        BuildWall(model, program.view(), program.user(), WallBuildKind::NewOrEdited);
        WallWindow* wall = window.wallWindow();
        QTest::mouseClick(wall->cell(0), Qt::LeftButton);
        QTest::mouseClick(wall->cell(1), Qt::LeftButton, Qt::ControlModifier);

        window.action("mnuColorFenster")->trigger();
        auto fader = [&](int plane) { return window.findChild<QScrollBar*>(QStringLiteral("ScrFarbe_%1").arg(plane)); };
        QVERIFY(fader(0));
        fader(0)->setValue(200);  // "sofort übernehmen" paints the selection at once

        window.action("mnuSequenzer")->trigger();
        auto button = [&](int index) {
            return window.findChild<QPushButton*>(QStringLiteral("cmdSequence_%1").arg(index));
        };
        auto* blend = window.findChild<QLineEdit*>(QStringLiteral("txtSequence_1"));
        QVERIFY(button(1) && blend);
        blend->setFocus();
        blend->selectAll();
        QTest::keyClicks(blend, "10");
        QTest::mouseClick(button(1), Qt::LeftButton);  // REC: red
        fader(0)->setValue(0);
        fader(2)->setValue(100);
        QTest::mouseClick(button(1), Qt::LeftButton);  // REC: blue
        QCOMPARE(int(model.StepCount), 2);

        QTest::mouseClick(button(6), Qt::LeftButton);  // ZERO: step 1, red on the wall
        QTest::mouseClick(button(2), Qt::LeftButton);  // PLAY
        QVERIFY(model.hasState(StateFlag::SequencePlaying));
        program.outputTimer().setEnabled(false);      // the test is the clock
        for (int tick = 0; tick < 1 + 1 + 5; ++tick)  // load, one hold tick, half of the fade
            program.engine().AutoXmit();
        QCOMPARE(transmitted(1, 4), (std::vector<int>{100, 0, 50, 0}));  // halfway from red 200 to blue 100
        for (int tick = 0; tick < 5; ++tick)
            program.engine().AutoXmit();
        QCOMPARE(transmitted(5, 4), (std::vector<int>{0, 0, 100, 0}));  // element 2 reached blue
        QCOMPARE(VirtualIsaCardRunning(0x120), 1);

        QTest::mouseClick(button(3), Qt::LeftButton);  // STOP
        QVERIFY(!model.hasState(StateFlag::SequencePlaying));
    }
};

QTEST_MAIN(PlaybackEndToEndTest)
#include "PlaybackEndToEndTest.moc"
