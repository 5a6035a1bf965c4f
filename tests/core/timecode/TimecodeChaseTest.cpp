// The sequence chasing timecode on an injected clock: crafted Art-Net, MIDI
// and LTC streams go through their decoders into the chaser, grid requests
// come every 50 ms, and what the wall shows is compared with a twin that
// played the sequence tick by tick from ZERO and PLAY.
#include "support/ClickTrack.h"
#include "support/EngineHarness.h"

#include "audio/SoundFileSource.h"
#include "timecode/ArtTimecode.h"
#include "timecode/ChasedPlayback.h"
#include "timecode/TimecodeReceiver.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <random>
#include <variant>

namespace tinctara {
namespace {

using testing::EngineHarness;

using Frame = std::array<std::uint8_t, 8>;  // two lamps, four colours

Frame frameOf(const ShowModel& model)
{
    Frame frame{};
    std::copy_n(model.DmxFrame.begin(), frame.size(), frame.begin());
    return frame;
}

// Six steps over two lamps, fades of every length among them, so that
// nearly every tick has a picture of its own.
struct ChaseShow : EngineHarness {
    ChaseShow()
    {
        buildWall(2, 1);
        model.InterfaceType = Interface::UsbInterface;
        model.TimingBlockPending = 0;
        const int holds[] = {4, 0, 9, 2, 6, 1};
        const int blends[] = {12, 0, 20, 5, 1, 30};
        for (int step = 1; step <= 6; ++step)
            for (int element = 1; element <= 2; ++element)
                setStep(step, element, 30 * step, 255 - 30 * step, element * 40, step % 2 ? 200 : 0, holds[step - 1],
                        blends[step - 1]);
        model.StepCount = 6;
        model.setState(StateFlag::SequencePresent);
        setElement(1, 1, 2, 3, 4);
    }
    Sequencer sequencer() { return Sequencer{model, view, user, timer}; }
};

// The frames of ticks 0, 1, 2, … after ZERO and PLAY.
std::vector<Frame> playedFrames(int ticks)
{
    ChaseShow twin;
    twin.model.CurrentStep = 1;
    twin.engine.JumpToStep();
    Sequencer sequencer = twin.sequencer();
    PlaySequence(sequencer);
    std::vector<Frame> frames;
    for (int tick = 0; tick < ticks; ++tick) {
        twin.tick();
        frames.push_back(frameOf(twin.model));
        twin.view.labels.clear();
        twin.view.repaintedElements.clear();
    }
    return frames;
}

const std::vector<Frame>& played()
{
    static const std::vector<Frame> frames = playedFrames(4000);
    return frames;
}

// A stretch of the timecode as the sender runs it, in local time.
struct Stretch {
    enum Kind { Running, Backwards, Paused, Silent };
    Kind kind;
    double untilMs;  // local time the stretch ends
    // Where the timecode stands at the stretch's start, ms since
    // 00:00:00:00; a running stretch that does not give one goes on from
    // where the one before ended.
    std::optional<double> fromMs;
};

constexpr double StartMs = 1000.0;  // local time the first stretch starts
constexpr Timecode Offset{1, 0, 0, 0};

double offsetMs(TimecodeRate rate)
{
    return static_cast<double>(*toFrameCount(Offset, rate)) * frameMilliseconds(rate);
}

// The script's timecode at local time `now`: its ms and whether it runs.
struct Script {
    std::vector<Stretch> stretches;

    struct At {
        double ms = 0.0;
        Stretch::Kind kind = Stretch::Silent;
        double stretchStart = 0.0;
    };
    At at(double now) const
    {
        double start = StartMs;
        double ms = 0.0;
        for (const Stretch& s : stretches) {
            if (s.fromMs)
                ms = *s.fromMs;
            const double end = std::min(now, s.untilMs);
            const double sign = s.kind == Stretch::Running ? 1.0 : s.kind == Stretch::Backwards ? -1.0 : 0.0;
            if (now < s.untilMs)
                return {ms + sign * (now - start), s.kind, start};
            ms += sign * (end - start);
            start = s.untilMs;
        }
        return {ms, Stretch::Silent, start};
    }
    double endMs() const { return stretches.back().untilMs; }
};

// Something the source hands over at a local time.
struct Arrival {
    double atMs;
    std::variant<std::vector<std::uint8_t>, std::vector<float>> bytes;
    bool midi = false;
};

enum class Door { ArtNet, Midi, Ltc };

// What a sender puts out for the script: a label (OpTimeCode, LTC) per
// frame, or quarter frames (four a frame, with a full frame whenever it
// starts or jumps).
std::vector<Arrival> arrivals(const Script& script, TimecodeRate rate, Door door, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(0.0, 4.0);
    const double frame = frameMilliseconds(rate);
    std::vector<Arrival> out;
    double start = StartMs;
    for (std::size_t i = 0; i < script.stretches.size(); ++i) {
        const Stretch& s = script.stretches[i];
        const Script::At first = script.at(start);
        if (s.kind == Stretch::Silent) {
            start = s.untilMs;
            continue;
        }
        const std::int64_t firstFrame = static_cast<std::int64_t>(std::ceil(first.ms / frame - 1e-9));
        const double lead = (static_cast<double>(firstFrame) * frame - first.ms);  // to the first whole frame
        const int sign = s.kind == Stretch::Running ? 1 : s.kind == Stretch::Backwards ? -1 : 0;
        if (door == Door::Midi) {
            const double sent = start + std::abs(lead);
            const auto full = mtcFullFrame(fromFrameCount(firstFrame, rate), rate);
            out.push_back({sent, std::vector<std::uint8_t>(full.begin(), full.end()), true});
            if (sign == 0) {
                start = s.untilMs;
                continue;
            }
            MtcEncoder encoder(fromFrameCount(firstFrame, rate), rate,
                               sign > 0 ? MtcDirection::Forwards : MtcDirection::Backwards);
            for (double t = sent; t < s.untilMs; t += frame / 4.0) {
                const auto piece = encoder.nextQuarterFrame();
                out.push_back({t + jitter(random), std::vector<std::uint8_t>(piece.begin(), piece.end()), true});
            }
        } else if (door == Door::ArtNet) {
            std::int64_t label = firstFrame;
            for (double t = start + std::abs(lead); t < s.untilMs; t += frame, label += sign) {
                const auto packet = encodeArtTimecode({fromFrameCount(label, rate), rate, 0});
                out.push_back({t + jitter(random), std::vector<std::uint8_t>(packet.begin(), packet.end())});
            }
        }
        start = s.untilMs;
    }
    std::sort(out.begin(), out.end(), [](const Arrival& a, const Arrival& b) { return a.atMs < b.atMs; });
    return out;
}

// One run of the chase: arrivals fed as their time comes, grid requests
// every 50 ms (with a little lateness), the wall checked after each.
struct Chase {
    ChaseShow show;
    TimecodeChaser chaser;
    TimecodeReceiver receiver{chaser};
    ChasedPlayback playback{show.sequencer(), show.engine};
    std::function<void(double)> feedUntil;

    explicit Chase(TimecodeSettings settings) { chaser.configure(settings); }

    // Runs grid requests from StartMs to `endMs`, calling `check` after each.
    void run(double endMs, const std::function<void(double, const ChaseAction&)>& check)
    {
        std::mt19937 random(5);
        std::uniform_real_distribution<double> late(0.0, 3.0);
        for (double grid = StartMs; grid < endMs; grid += 50.0) {
            const double now = grid + late(random);
            feedUntil(now);
            const ChaseAction action = chaser.next(now, show.model.hasState(StateFlag::SequencePlaying));
            playback.serve(action);
            show.view.labels.clear();
            show.view.repaintedElements.clear();
            check(now, action);
        }
    }
};

TimecodeSettings chaseSettings(TimecodeSource source, TimecodeRate rate, int freewheel = FreewheelFramesDefault)
{
    TimecodeSettings settings;
    settings.source = source;
    settings.rate = rate;
    settings.offset = Offset;
    settings.freewheelFrames = freewheel;
    return settings;
}

// Whether the wall shows a tick within `slack` of the one the timecode is at.
::testing::AssertionResult showsTickNear(const ShowModel& model, double relativeMs, int slack)
{
    const std::int64_t nearest = std::llround(relativeMs / 50.0);
    const Frame shown = frameOf(model);
    for (std::int64_t tick = nearest - slack; tick <= nearest + slack; ++tick)
        if (tick >= 0 && tick < static_cast<std::int64_t>(played().size()) &&
            played()[static_cast<std::size_t>(tick)] == shown)
            return ::testing::AssertionSuccess();
    std::int64_t found = -1;
    for (std::size_t tick = 0; tick < played().size() && found < 0; ++tick)
        if (played()[tick] == shown)
            found = static_cast<std::int64_t>(tick);
    return ::testing::AssertionFailure() << "the wall shows none of the ticks around " << nearest << " (" << relativeMs
                                         << " ms after the offset) but the first with its picture, " << found;
}

// Feeds the arrivals up to a time.
std::function<void(double)> feeder(TimecodeReceiver& receiver, std::vector<Arrival> all)
{
    auto list = std::make_shared<std::vector<Arrival>>(std::move(all));
    auto next = std::make_shared<std::size_t>(0);
    return [&receiver, list, next](double until) {
        for (; *next < list->size() && (*list)[*next].atMs <= until; ++*next) {
            const Arrival& a = (*list)[*next];
            const auto& bytes = std::get<std::vector<std::uint8_t>>(a.bytes);
            if (a.midi)
                receiver.midiBytes(bytes, a.atMs);
            else
                receiver.artNetDatagram(bytes, a.atMs);
        }
    };
}

// The frame while step 1 stands after ZERO, the sequence stopped.
Frame zeroFrame()
{
    ChaseShow show;
    show.model.CurrentStep = 1;
    show.engine.JumpToStep();
    show.tick();
    return frameOf(show.model);
}

// Checks every grid request of a script: while the timecode runs (after a
// few frames to hear it), the wall shows the tick nearest to it within
// `slack`; before the offset step 1 stands; once the freewheel is over the
// wall holds.
void checkChase(Chase& chase, TimecodeRate rate, const Script& script, int slack, int freewheel, double hearing)
{
    const double frame = frameMilliseconds(rate);
    const double offset = offsetMs(rate);
    const Frame stepOne = zeroFrame();
    std::optional<Frame> held;
    int running = 0, before = 0, holding = 0, freewheeling = 0, failures = 0;
    chase.run(script.endMs(), [&](double now, const ChaseAction&) {
        const Script::At at = script.at(now);
        const double since = now - at.stretchStart;
        const double relative = at.ms - offset;
        const ShowModel& model = chase.show.model;
        if (failures > 5)
            return;
        if (at.kind == Stretch::Running || at.kind == Stretch::Backwards) {
            held.reset();
            if (since < hearing)
                return;
            if (relative < -2.0 * frame) {
                ++before;
                if (model.hasState(StateFlag::SequencePlaying) || frameOf(model) != stepOne) {
                    ++failures;
                    ADD_FAILURE() << "before the offset at " << now << " ms step 1 does not stand";
                }
            } else if (relative > 2.0 * frame) {
                ++running;
                const auto near = showsTickNear(model, relative, slack);
                if (!near) {
                    ++failures;
                    ADD_FAILURE() << near.message() << " at " << now << " ms";
                }
            }
            return;
        }
        // Silent: the sequence runs on through the freewheel; paused or
        // silent, the wall holds once it is over.
        if (relative < 0.0)
            return;
        if (at.kind == Stretch::Silent && since < (freewheel - 1) * frame) {
            ++freewheeling;
            const auto near = showsTickNear(model, relative + since, slack);
            if (!near) {
                ++failures;
                ADD_FAILURE() << near.message() << " at " << now << " ms, freewheeling";
            }
            return;
        }
        if (since < (freewheel + 4) * frame + 100.0)
            return;
        ++holding;
        EXPECT_EQ(chase.chaser.status(now).state, ChaseState::Held);
        if (!held)
            held = frameOf(model);
        if (frameOf(model) != *held) {
            ++failures;
            ADD_FAILURE() << "the wall moves at " << now << " ms, after the freewheel";
        }
    });
    SCOPED_TRACE(::testing::Message() << running << " running, " << before << " before, " << holding << " held, "
                                      << freewheeling << " freewheeling");
    EXPECT_GT(running, 40);
    EXPECT_GT(before, 10);
    if ((freewheel + 4) * frame + 100.0 < 1500.0)
        EXPECT_GT(holding, 10);
    EXPECT_GE(freewheeling, freewheel * frame / 50.0 - 3.0);
}

const TimecodeRate rates[] = {TimecodeRate::Film24, TimecodeRate::Ebu25, TimecodeRate::DropFrame2997,
                              TimecodeRate::Smpte30};

// Before the offset, through it, on for loops, a pause, running on, a jump
// forwards, a jump back before the offset, on again, silence.
Script forwardsScript(TimecodeRate rate)
{
    const double offset = offsetMs(rate);
    return Script{{
        {Stretch::Running, StartMs + 9000, offset - 2000},
        {Stretch::Paused, StartMs + 11000, std::nullopt},
        {Stretch::Running, StartMs + 16000, std::nullopt},
        {Stretch::Running, StartMs + 22000, offset + 60'000},
        {Stretch::Running, StartMs + 26000, offset - 1500},
        {Stretch::Silent, StartMs + 28000, std::nullopt},
    }};
}

TEST(TimecodeChase, ArtNetAtEveryRateLandsOnTheNearestTick)
{
    for (TimecodeRate rate : rates) {
        SCOPED_TRACE(formatTimecode({}, rate));
        const Script script = forwardsScript(rate);
        Chase chase(chaseSettings(TimecodeSource::ArtNet, rate));
        chase.feedUntil = feeder(chase.receiver, arrivals(script, rate, Door::ArtNet, 3));
        checkChase(chase, rate, script, 1, FreewheelFramesDefault, 2.0 * frameMilliseconds(rate) + 60.0);
    }
}

TEST(TimecodeChase, FreewheelThenHoldAsSet)
{
    for (int freewheel : {0, 10, 50}) {
        SCOPED_TRACE(freewheel);
        const Script script = forwardsScript(TimecodeRate::Ebu25);
        Chase chase(chaseSettings(TimecodeSource::ArtNet, TimecodeRate::Ebu25, freewheel));
        chase.feedUntil = feeder(chase.receiver, arrivals(script, TimecodeRate::Ebu25, Door::ArtNet, 8));
        checkChase(chase, TimecodeRate::Ebu25, script, 1, freewheel, 140.0);
    }
}

// LTC written by the encoder into a WAV file, read back through the file
// source in 10 ms buffers as a sound card hands them over.
TEST(TimecodeChase, LtcFromAWavFile)
{
    testing::AudioFolder folder;
    for (TimecodeRate rate : {TimecodeRate::Ebu25, TimecodeRate::Smpte30}) {
        SCOPED_TRACE(formatTimecode({}, rate));
        const double frame = frameMilliseconds(rate);
        const double sampleRate = 48000.0;
        const std::int64_t first =
            *toFrameCount(Offset, rate) - static_cast<std::int64_t>(std::llround(2000.0 / frame));
        const int frames = static_cast<int>(12'000.0 / frame);
        std::vector<float> samples = encodeLtc(fromFrameCount(first, rate), rate, sampleRate, frames);
        const double runMs = static_cast<double>(samples.size()) * 1000.0 / sampleRate;
        samples.resize(samples.size() + static_cast<std::size_t>(3 * sampleRate), 0.0F);
        const std::string path = folder.path("ltc.wav");
        ASSERT_TRUE(testing::writeSoundFile(path, samples, static_cast<int>(sampleRate)));

        auto opened = SoundFileSource::open(path);
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<SoundFileSource>>(opened));
        std::shared_ptr<SoundFileSource> source = std::move(std::get<std::unique_ptr<SoundFileSource>>(opened));
        const Script script{{{Stretch::Running, StartMs + runMs, static_cast<double>(first) * frame},
                             {Stretch::Silent, StartMs + runMs + 3000.0, std::nullopt}}};
        Chase chase(chaseSettings(TimecodeSource::Ltc, rate));
        auto read = std::make_shared<std::int64_t>(0);
        chase.feedUntil = [&chase, source, read, sampleRate](double until) {
            std::array<float, 480> buffer{};
            while (StartMs + static_cast<double>(*read + 480) * 1000.0 / sampleRate <= until) {
                const std::size_t got = source->read(buffer);
                if (got == 0)
                    return;
                *read += static_cast<std::int64_t>(got);
                chase.receiver.ltcSamples(std::span<const float>(buffer.data(), got), sampleRate,
                                          StartMs + static_cast<double>(*read) * 1000.0 / sampleRate);
            }
        };
        // LTC is heard a frame late, and the decoder takes a few to lock.
        checkChase(chase, rate, script, 1, FreewheelFramesDefault, 5.0 * frame + 60.0);
        EXPECT_GT(chase.receiver.labels(), static_cast<std::uint64_t>(frames - 5));
    }
}

TEST(TimecodeChase, MidiQuarterFramesForwardsAndBackwardsAndFullFrames)
{
    for (TimecodeRate rate : {TimecodeRate::Ebu25, TimecodeRate::DropFrame2997}) {
        SCOPED_TRACE(formatTimecode({}, rate));
        const double offset = offsetMs(rate);
        Script script = forwardsScript(rate);
        // Backwards from well after the offset, and a locate that stands,
        // before the jump back.
        script.stretches.resize(4);
        script.stretches.insert(script.stretches.end(), {{Stretch::Backwards, StartMs + 26000, offset + 20'000},
                                                         {Stretch::Paused, StartMs + 28000, offset + 5000},
                                                         {Stretch::Running, StartMs + 32000, offset - 1500},
                                                         {Stretch::Silent, StartMs + 34000, std::nullopt}});
        Chase chase(chaseSettings(TimecodeSource::Mtc, rate));
        chase.feedUntil = feeder(chase.receiver, arrivals(script, rate, Door::Midi, 4));
        checkChase(chase, rate, script, 2, FreewheelFramesDefault, 4.0 * frameMilliseconds(rate) + 60.0);
    }
}


// The chaser's word without an engine: "start at" starts once and lets the
// sequence run; the operator's STOP stands until the timecode jumps.
TEST(TimecodeChaser, StartAtAndTheOperatorsStop)
{
    using Kind = ChaseAction::Kind;
    const TimecodeRate rate = TimecodeRate::Ebu25;
    const std::int64_t offset = *toFrameCount(Offset, rate);
    auto feed = [&](TimecodeChaser& chaser, std::int64_t fromFrame, double fromMs, int frames) {
        for (int i = 0; i < frames; ++i)
            chaser.heard(fromFrameCount(offset + fromFrame + i, rate), rate, fromMs + 40.0 * i);
    };

    TimecodeSettings settings = chaseSettings(TimecodeSource::ArtNet, rate);
    settings.mode = TimecodeMode::StartAt;
    TimecodeChaser startAt;
    startAt.configure(settings);
    feed(startAt, -10, 0.0, 5);
    EXPECT_EQ(startAt.next(170.0, false).kind, Kind::Zero);
    EXPECT_EQ(startAt.status(170.0).state, ChaseState::BeforeOffset);
    feed(startAt, -5, 200.0, 10);
    EXPECT_EQ(startAt.next(560.0, false), (ChaseAction{Kind::Start, 1, 3}));
    feed(startAt, 5, 600.0, 2);
    EXPECT_EQ(startAt.next(640.0, true).kind, Kind::Free);
    feed(startAt, 500, 680.0, 2);  // a jump forwards is not followed
    EXPECT_EQ(startAt.next(720.0, true).kind, Kind::Free);
    EXPECT_EQ(startAt.status(720.0).state, ChaseState::Started);
    feed(startAt, -50, 760.0, 2);  // back before the offset: armed again
    EXPECT_EQ(startAt.next(800.0, true).kind, Kind::Zero);

    TimecodeChaser chase;
    chase.configure(chaseSettings(TimecodeSource::ArtNet, rate));
    feed(chase, 0, 0.0, 3);
    EXPECT_EQ(chase.next(90.0, false).kind, Kind::Start);
    feed(chase, 3, 120.0, 2);
    EXPECT_EQ(chase.next(160.0, true).kind, Kind::Run);
    EXPECT_EQ(chase.next(210.0, false).kind, Kind::Free);  // STOP pressed
    feed(chase, 5, 200.0, 2);
    EXPECT_EQ(chase.next(260.0, false).kind, Kind::Free);
    feed(chase, 200, 280.0, 2);  // the timecode jumps: followed again
    EXPECT_EQ(chase.next(330.0, false).kind, Kind::Start);

    TimecodeChaser off;
    off.configure(TimecodeSettings{});
    off.heard(Offset, rate, 0.0);
    EXPECT_EQ(off.next(50.0, false), ChaseAction{});
    EXPECT_EQ(off.status(50.0).state, ChaseState::Off);
}


// A seek after the sequence was edited (or another loaded) shows the
// sequence as it is now, started anew, not the time line made before.
TEST(ChasedPlayback, SeeksTheSequenceAsItIsNow)
{
    ChaseShow show;
    ChasedPlayback playback(show.sequencer(), show.engine);
    playback.serve({ChaseAction::Kind::Start, 1, 10});
    playback.serve({ChaseAction::Kind::Seek, 1, 50});
    EXPECT_EQ(frameOf(show.model), played()[50]);

    struct Edit {
        const char* name;
        std::function<void(EngineHarness&)> apply;
    };
    const Edit edits[] = {
        {"a colour", [](EngineHarness& s) { s.model.stepColour(2, 1, Green) = 7; }},
        {"a hold", [](EngineHarness& s) { s.model.holdTime(1) = 2; }},
        {"a blend", [](EngineHarness& s) { s.model.blendTime(3) = 4; }},
        {"a step less", [](EngineHarness& s) { s.model.StepCount = 5; }},
    };
    for (std::size_t done = 0; done < std::size(edits); ++done) {
        SCOPED_TRACE(edits[done].name);
        ChaseShow edited;  // every edit so far, from the start
        for (std::size_t i = 0; i <= done; ++i)
            edits[i].apply(edited);
        ChasedPlayback reference(edited.sequencer(), edited.engine);
        reference.serve({ChaseAction::Kind::Start, 1, 50});

        edits[done].apply(show);
        playback.serve({ChaseAction::Kind::Seek, 1, 50});
        EXPECT_EQ(frameOf(show.model), frameOf(edited.model));
    }

    // A blend of 0 and of 1 fade alike: the same time line.
    ChaseShow cut;
    SequenceTimeline timeline(cut.model);
    ASSERT_EQ(cut.model.blendTime(2), 0);
    cut.model.blendTime(2) = 1;
    EXPECT_TRUE(timeline.sameSequence(cut.model));
    cut.model.blendTime(2) = 2;
    EXPECT_FALSE(timeline.sameSequence(cut.model));
}

}  // namespace
}  // namespace tinctara
