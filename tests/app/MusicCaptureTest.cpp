// Live capture end to end: a click track played into a PulseAudio null sink
// of our own, heard by the program on the sink's monitor, beats at its tempo.
// Qt offers no monitor as an input, so the monitor is remapped as a source.
#include "ProgramFixture.h"
#include "ProgramMusic.h"
#include "support/ClickTrack.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
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
    QTemporaryDir folder_;
    QProcess daemon_;
    QString problem_;  // why there is no sound server, empty when there is

    static bool pactl(const QStringList& arguments)
    {
        QProcess tool;
        tool.start(QStringLiteral("pactl"), arguments);
        return tool.waitForFinished(2000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    }
    static bool serverAnswers() { return pactl({QStringLiteral("info")}); }
    static QString remapMaster() { return QStringLiteral("master=%1.monitor").arg(QString::fromUtf8(Sink)); }
    static QString remapSource()
    {
        return QStringLiteral("source_name=%1 source_properties=device.description=Klicks")
            .arg(QString::fromUtf8(Source));
    }

private slots:
    // A daemon of its own in a fresh runtime folder, before anything of Qt
    // Multimedia looks for a server: the machine's own sound is left alone.
    void initTestCase()
    {
        for (const char* tool : {"pulseaudio", "pactl", "paplay"})
            if (problem_.isEmpty() && QStandardPaths::findExecutable(QString::fromUtf8(tool)).isEmpty())
                problem_ = QStringLiteral("%1 is not installed").arg(QString::fromUtf8(tool));
        if (!problem_.isEmpty())
            return;
        const QString runtime = folder_.filePath(QStringLiteral("run"));
        const QString home = folder_.filePath(QStringLiteral("home"));
        QDir().mkpath(runtime);
        QDir().mkpath(home);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        qputenv("HOME", home.toUtf8());
        qunsetenv("PULSE_SERVER");
        // As root it warns but runs; --system would share the machine's daemon.
        daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        daemon_.start(QStringLiteral("pulseaudio"),
                      {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                       QStringLiteral("--disable-shm=yes"), QStringLiteral("--log-level=error"), QStringLiteral("-L"),
                       QStringLiteral("module-null-sink sink_name=%1 rate=%2").arg(QString::fromUtf8(Sink)).arg(Rate),
                       QStringLiteral("-L"),
                       QStringLiteral("module-remap-source %1 %2").arg(remapMaster(), remapSource()),
                       QStringLiteral("-L"), QStringLiteral("module-native-protocol-unix")});
        if (!daemon_.waitForStarted(5000)) {
            problem_ = QStringLiteral("pulseaudio does not start");
            return;
        }
        for (int attempt = 0; attempt < 50 && !serverAnswers(); ++attempt)
            QTest::qWait(100);
        if (!serverAnswers())
            problem_ = QStringLiteral("pulseaudio started but does not answer");
    }

    void cleanupTestCase()
    {
        if (daemon_.state() != QProcess::NotRunning) {
            daemon_.terminate();
            if (!daemon_.waitForFinished(5000))
                daemon_.kill();
        }
    }

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
        player.start(QStringLiteral("paplay"),
                     {QStringLiteral("--device=%1").arg(QString::fromUtf8(Sink)), QString::fromStdString(song)});
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
        QVERIFY(pactl({QStringLiteral("unload-module"), QStringLiteral("module-remap-source")}));
        QTRY_COMPARE_WITH_TIMEOUT(music.status().state, CaptureStatus::State::Gone, 5000);
        QVERIFY(!music.live());
        QVERIFY(pactl(
            {QStringLiteral("load-module"), QStringLiteral("module-remap-source"), remapMaster(), remapSource()}));
        QTRY_COMPARE_WITH_TIMEOUT(music.status().state, CaptureStatus::State::Listening, 5000);
        QVERIFY(music.live());
    }
};

QTEST_MAIN(MusicCaptureTest)
#include "MusicCaptureTest.moc"
