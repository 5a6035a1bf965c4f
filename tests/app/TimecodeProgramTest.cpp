// The real program chasing Art-Net timecode a local sender puts on a UDP
// port, and leading it to a local receiver.
#include "ProgramFixture.h"
#include "ProgramTimecode.h"
#include "ThreeSteps.h"

#include "net/UdpListener.h"
#include "timecode/ArtTimecode.h"

#include <QElapsedTimer>

using namespace tinctara;

namespace {

std::uint16_t freePort()
{
    UdpListener probe;
    probe.open(0x7F000001, 0, {});
    return probe.port();
}

TimecodeSettings artNet(TimecodeSource source)
{
    TimecodeSettings settings;
    settings.source = source;
    settings.offset = {1, 0, 0, 0};
    settings.rate = TimecodeRate::Ebu25;
    return settings;
}

}  // namespace

class TimecodeProgramTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;

private slots:
    void init() { fixture_.reset(); }

    void followsArtNetTimecodeOverUdp()
    {
        fixture_.artNetTimecodePort = freePort();
        auto program = fixture_.start();
        QVERIFY(program);
        testing::threeSteps(*program);
        ProgramTimecode& timecode = program->timecode();
        QCOMPARE(QString::fromStdString(timecode.apply(artNet(TimecodeSource::ArtNet))), QString());
        QCOMPARE(timecode.status().state, ChaseState::Waiting);

        UdpListener sender;
        QCOMPARE(sender.open(0x7F000001, 0, {}), 0);
        const std::int64_t offsetFrame = *toFrameCount({1, 0, 0, 0}, TimecodeRate::Ebu25);
        QElapsedTimer clock;
        clock.start();
        // One second before the offset, then two and a half after it, one
        // label a frame (the label of the time passed, whatever the waits).
        std::int64_t sent = -1;
        bool sawBeforeOffset = false;
        std::vector<int> steps;
        while (clock.elapsed() < 3500) {
            const std::int64_t frame = clock.elapsed() / 40;
            if (frame != sent) {
                sent = frame;
                const auto packet = encodeArtTimecode(
                    {fromFrameCount(offsetFrame - 25 + frame, TimecodeRate::Ebu25), TimecodeRate::Ebu25, 0});
                sender.sendTo(0x7F000001, fixture_.artNetTimecodePort, packet);
            }
            QTest::qWait(5);
            const TimecodeStatus status = timecode.status();
            if (clock.elapsed() > 300 && clock.elapsed() < 800) {
                sawBeforeOffset |= status.state == ChaseState::BeforeOffset;
                QVERIFY(!program->model().hasState(StateFlag::SequencePlaying));
            }
            if (clock.elapsed() > 1300 && (steps.empty() || steps.back() != program->model().CurrentStep))
                steps.push_back(program->model().CurrentStep);
        }
        QVERIFY(sawBeforeOffset);
        QCOMPARE(timecode.status().state, ChaseState::Chasing);
        QVERIFY(program->model().hasState(StateFlag::SequencePlaying));
        // 2.5 s after the offset: ticks 0..50, the steps of 10 ticks each in turn.
        QVERIFY2(steps.size() >= 4, qPrintable(QString("%1 step changes").arg(steps.size())));
        for (std::size_t i = 1; i < steps.size(); ++i)
            QCOMPARE(steps[i], steps[i - 1] % 3 + 1);
        const auto shown = toFrameCount(*timecode.status().time, TimecodeRate::Ebu25);
        QVERIFY(std::abs(*shown - (offsetFrame - 25 + sent)) <= 3);

        // The sender stops: ten frames of freewheel, then the wall holds.
        QTest::qWait(900);
        QCOMPARE(timecode.status().state, ChaseState::Held);
        const auto colours = program->model().ElementColours;
        QTest::qWait(300);
        QVERIFY(program->model().ElementColours == colours);
    }

    void leadsArtNetTimecodeToAReceiver()
    {
        fixture_.artNetTimecodePort = freePort();
        UdpListener receiver;
        QCOMPARE(receiver.open(0x7F000001, fixture_.artNetTimecodePort, {}), 0);
        auto program = fixture_.start();
        QVERIFY(program);
        testing::threeSteps(*program);
        TimecodeSettings settings = artNet(TimecodeSource::None);
        settings.sendArtNet = true;
        settings.artNetTarget = "127.0.0.1";
        QCOMPARE(QString::fromStdString(program->timecode().apply(settings)), QString());

        Sequencer sequencer{program->model(), program->view(), program->user(), program->outputTimer()};
        PressPlay(sequencer);
        std::vector<std::int64_t> frames;
        std::array<std::uint8_t, 64> buffer{};
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 1500) {
            QTest::qWait(5);
            while (const auto datagram = receiver.receive(buffer)) {
                const auto decoded = decodeArtTimecode(std::span<const std::uint8_t>(buffer.data(), datagram->size));
                QVERIFY(std::holds_alternative<ArtTimecode>(decoded));
                const ArtTimecode& time = std::get<ArtTimecode>(decoded);
                QCOMPARE(time.rate, TimecodeRate::Ebu25);
                frames.push_back(*toFrameCount(time.time, time.rate));
            }
        }
        // From the offset on, a label a frame, none twice, in order.
        QVERIFY2(frames.size() >= 25, qPrintable(QString("%1 labels").arg(frames.size())));
        QCOMPARE(frames.front(), *toFrameCount({1, 0, 0, 0}, TimecodeRate::Ebu25));
        for (std::size_t i = 1; i < frames.size(); ++i)
            QVERIFY(frames[i] > frames[i - 1]);
        QCOMPARE(program->timecode().status().sent.has_value(), true);

        PressStop(sequencer);
        QTest::qWait(200);
        while (receiver.receive(buffer)) {
        }
        QTest::qWait(300);
        QVERIFY(!receiver.receive(buffer));  // stopped: nothing more is sent
    }

    // Chasing Art-Net and sending it on the same port: its own labels are
    // not taken for a sender's.
    void doesNotFollowItsOwnTimecode()
    {
        fixture_.artNetTimecodePort = freePort();
        auto program = fixture_.start();
        QVERIFY(program);
        testing::threeSteps(*program);
        TimecodeSettings settings = artNet(TimecodeSource::ArtNet);
        settings.sendArtNet = true;
        settings.artNetTarget = "127.0.0.1";
        QCOMPARE(QString::fromStdString(program->timecode().apply(settings)), QString());
        Sequencer sequencer{program->model(), program->view(), program->user(), program->outputTimer()};
        PressPlay(sequencer);
        QTest::qWait(800);
        QVERIFY(program->timecode().status().sent.has_value());
        QCOMPARE(program->timecode().status().state, ChaseState::Waiting);
    }
};

QTEST_MAIN(TimecodeProgramTest)
#include "TimecodeProgramTest.moc"
