// LTC heard live: a timecode track played into a PulseAudio null sink of our
// own, heard by the program on the sink's monitor, chased by the sequence.
#include "ProgramFixture.h"
#include "ProgramTimecode.h"
#include "PulseNullSink.h"
#include "ThreeSteps.h"
#include "support/ClickTrack.h"
#include "timecode/Ltc.h"

#include <QElapsedTimer>

#include <cstdlib>

using namespace tinctara;

namespace {

constexpr const char* Source = "tinctara_ltc_test_in";
constexpr int Rate = 48000;
constexpr TimecodeRate Fps = TimecodeRate::Ebu25;
constexpr Timecode Offset{1, 0, 0, 0};

TimecodeSettings ltcFrom(const std::string& device)
{
    TimecodeSettings settings;
    settings.source = TimecodeSource::Ltc;
    settings.offset = Offset;
    settings.rate = Fps;
    settings.ltcDevice = device;
    return settings;
}

}  // namespace

class LtcCaptureTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;
    testing::PulseNullSink server_{QStringLiteral("tinctara_ltc_test"), QString::fromUtf8(Source),
                                   QStringLiteral("Zeitcode"), Rate};
    QString problem_;  // why there is no sound server, empty when there is

private slots:
    void initTestCase() { problem_ = server_.start(); }
    void init() { fixture_.reset(); }

    // Said when applied and kept in the status line; no sound server needed.
    void anInputThatCannotBeHeardIsTheStatusProblem()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        ProgramTimecode& timecode = program->timecode();
        const struct {
            std::string device;
            std::string problem;
        } cases[] = {
            {"", "LTC: Kein Audioeingang gewählt."},
            {"tinctara_no_such_input", "LTC: Das Gerät tinctara_no_such_input ist nicht mehr da."},
        };
        for (const auto& c : cases) {
            QCOMPARE(timecode.apply(ltcFrom(c.device)), c.problem);
            QCOMPARE(timecode.status().problem, c.problem);
        }
        // Another source forgets the input's problem.
        TimecodeSettings none = ltcFrom("tinctara_no_such_input");
        none.source = TimecodeSource::None;
        QCOMPARE(timecode.apply(none), std::string());
        QCOMPARE(timecode.status().problem, std::string());
    }

    void chasesLtcPlayedIntoTheInputAndHoldsWhenItEnds()
    {
        if (!problem_.isEmpty())
            QSKIP(qPrintable(QStringLiteral("no PulseAudio null sink: %1").arg(problem_)));
        // One second before the offset, then five after it.
        const std::int64_t startFrame = *toFrameCount(Offset, Fps) - 25;
        testing::AudioFolder audio;
        const std::string track = audio.path("ltc.wav");
        QVERIFY(testing::writeSoundFile(track, encodeLtc(fromFrameCount(startFrame, Fps), Fps, Rate, 150), Rate));

        auto program = fixture_.start();
        QVERIFY(program);
        testing::threeSteps(*program);
        ProgramTimecode& timecode = program->timecode();
        QCOMPARE(timecode.apply(ltcFrom(Source)), std::string());
        QCOMPARE(timecode.status().state, ChaseState::Waiting);

        // The sink holds what plays while the new input's stream gets going
        // (over a second here), which would put the track behind the clock
        // kept below: a moment of silence first, played to its end.
        const std::string silence = audio.path("silence.wav");
        QVERIFY(testing::writeSoundFile(silence, testing::silentTrack(0.1, Rate).samples, Rate));
        QProcess lead;
        lead.start(QStringLiteral("paplay"), server_.play(QString::fromStdString(silence)));
        QVERIFY(lead.waitForFinished(10000));
        QProcess player;
        player.start(QStringLiteral("paplay"), server_.play(QString::fromStdString(track)));
        QVERIFY(player.waitForStarted(5000));
        QElapsedTimer clock;
        clock.start();
        bool sawBeforeOffset = false;
        std::vector<int> steps;
        std::int64_t worst = 0;  // frames between the status and the label playing
        int compared = 0;
        while (clock.elapsed() < 5800) {
            QTest::qWait(5);
            const TimecodeStatus status = timecode.status();
            if (status.state == ChaseState::BeforeOffset) {
                sawBeforeOffset = true;
                QVERIFY(!program->model().hasState(StateFlag::SequencePlaying));
            }
            // From a few frames past the offset, when the sequence surely plays.
            if (status.state != ChaseState::Chasing || *toFrameCount(*status.time, Fps) < startFrame + 30)
                continue;
            if (steps.empty() || steps.back() != program->model().CurrentStep)
                steps.push_back(program->model().CurrentStep);
            // The sound server's buffers lie between the two: loosely.
            const std::int64_t playing = startFrame + clock.elapsed() / 40;
            worst = std::max(worst, std::abs(*toFrameCount(*status.time, Fps) - playing));
            ++compared;
        }
        QVERIFY(sawBeforeOffset);
        QVERIFY2(compared > 100, qPrintable(QString("%1 statuses while chasing").arg(compared)));
        QVERIFY2(worst <= 10, qPrintable(QString("%1 frames off the label playing").arg(worst)));
        // Some four seconds of steps half a second long, each in turn.
        QVERIFY2(steps.size() >= 6, qPrintable(QString("%1 step changes").arg(steps.size())));
        for (std::size_t i = 1; i < steps.size(); ++i)
            QCOMPARE(steps[i], steps[i - 1] % 3 + 1);

        // The track ends: freewheel, then the wall holds.
        QVERIFY(player.waitForFinished(3000));
        QTRY_COMPARE_WITH_TIMEOUT(timecode.status().state, ChaseState::Held, 3000);

        // The input goes away while heard, and comes back.
        QVERIFY(server_.unloadInput());
        QTRY_COMPARE_WITH_TIMEOUT(timecode.status().problem, std::string("LTC: Das Gerät Zeitcode ist nicht mehr da."),
                                  5000);
        QVERIFY(server_.loadInput());
        QTRY_COMPARE_WITH_TIMEOUT(timecode.status().problem, std::string(), 5000);
    }
};

QTEST_MAIN(LtcCaptureTest)
#include "LtcCaptureTest.moc"
