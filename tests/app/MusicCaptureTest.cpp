// Live capture end to end: a click track played into a PulseAudio null sink
// of our own, heard by the program on the sink's monitor, beats at its tempo.
#include "ProgramFixture.h"
#include "ProgramMusic.h"
#include "PulseNullSink.h"
#include "support/ClickTrack.h"

#include <QTimer>

using namespace tinctara;

namespace {

constexpr const char* Sink = "tinctara_capture_test";
constexpr const char* Source = "tinctara_capture_test_in";
constexpr int Rate = 48000;

}  // namespace

class MusicCaptureTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;
    testing::PulseNullSink server_{QString::fromUtf8(Sink), QString::fromUtf8(Source), QStringLiteral("Klicks"), Rate};
    QString problem_;  // why there is no sound server, empty when there is

private slots:
    void initTestCase() { problem_ = server_.start(); }

    void aClickTrackOnTheMonitorBeatsTheTickAtItsTempoAndTheInputMayGoAndComeBack()
    {
        if (!problem_.isEmpty())
            QSKIP(qPrintable(QStringLiteral("no PulseAudio null sink: %1").arg(problem_)));
        testing::AudioFolder audio;
        const std::string song = audio.path("clicks.wav");
        QVERIFY(testing::writeSoundFile(song, testing::clickTrack({{0.0, 120.0}}, 20.0, Rate).samples, Rate));

        fixture_.settings.write("TINCTARA", "Music", "Device", Source);
        auto program = fixture_.start();
        QVERIFY(program);
        ProgramMusic& music = program->music();
        QCOMPARE(music.status().state, CaptureStatus::State::Listening);
        QCOMPARE(music.status().sampleRate, Rate);
        QCOMPARE(music.status().description, std::string("Klicks"));

        QProcess player;
        player.start(QStringLiteral("paplay"), server_.play(QString::fromStdString(song)));
        QVERIFY(player.waitForStarted(5000));
        // The tick on its grid, whether or not an interface asks for it.
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            music.beforeTick();
            program->engine().music().tick(false);  // as the tick takes it in first
        });
        tick.start(50);
        // The tracker needs some six seconds before its first guess.
        QTRY_VERIFY_WITH_TIMEOUT(music.live()->feed().beats() >= 16 && std::abs(music.bpm() - 120.0) < 2.0, 19000);
        QVERIFY(music.level() > 0.0);
        QVERIFY(std::abs(program->engine().music().periodTicks() - 10.0) < 0.2);  // 0.5 s is 10 ticks
        player.kill();
        player.waitForFinished(2000);

        // The input goes away while heard, and comes back.
        QVERIFY(server_.unloadInput());
        QTRY_COMPARE_WITH_TIMEOUT(music.status().state, CaptureStatus::State::Gone, 5000);
        QVERIFY(!music.live());
        QVERIFY(server_.loadInput());
        QTRY_COMPARE_WITH_TIMEOUT(music.status().state, CaptureStatus::State::Listening, 5000);
        QVERIFY(music.live());
    }
};

QTEST_MAIN(MusicCaptureTest)
#include "MusicCaptureTest.moc"
