// The program's output objects on a clock that moves only when the test says
// so: the sender's thread keeps the grid, the test plays the UI thread.
#include "dmx/NetworkOutput.h"
#include "support/EngineHarness.h"
#include "support/MainWindowFakes.h"
#include "support/ScriptedClock.h"
#include "support/SteppedClock.h"
#include "windows/SequencerPresenter.h"

#include <gtest/gtest.h>


namespace tinctara {
namespace {

using testing::CountedRequests;
using testing::EngineHarness;
using testing::SteppedClock;

using Frame = std::vector<std::uint8_t>;

constexpr std::size_t SacnSlots = 126;  // the first level in an E1.31 data packet

class SlotRecordingSocket : public DatagramSocket {
public:
    bool open(std::uint32_t, std::uint16_t, std::string&) override { return true; }
    bool send(const std::uint8_t* data, std::size_t size) override
    {
        if (size > SacnSlots + DmxChannels - 1 && data[SacnSlots - 1] == 0)
            frames.emplace_back(data + SacnSlots, data + SacnSlots + DmxChannels);
        return true;
    }
    void close() override {}
    std::uint32_t directedBroadcast() override { return 0; }
    std::vector<Frame> frames;
};

// A looping two-step crossfade of 2 s over an 11 x 11 wall, as the shows are
// measured.
void buildFade(EngineHarness& show)
{
    show.buildWall(11, 11);
    for (int element = 1; element <= 121; ++element) {
        show.setElement(element, 7, 7, 7, 7);
        show.setStep(1, element, 255, element, 0, 30, 0, 40);
        show.setStep(2, element, 0, 255 - element, 200, 0, 3, 40);
    }
    show.model.StepCount = 2;
}

// The frames today's engine sends, tick by tick, each sent as soon as it is built.
std::vector<Frame> referenceFrames(InterfaceKind type, int ticks)
{
    EngineHarness show;
    buildFade(show);
    show.model.InterfaceType = type;
    show.play();
    std::vector<Frame> frames;
    for (int tick = 0; tick < ticks; ++tick) {
        show.tick();
        frames.emplace_back(show.model.DmxFrame.begin(), show.model.DmxFrame.begin() + DmxChannels);
    }
    return frames;
}

constexpr std::int64_t Period = DmxSender::PeriodNanoseconds;
constexpr std::int64_t Lead = DmxSender::DefaultLeadNanoseconds;
// The sender as it asks today, and as it asked before it had a lead.
constexpr std::int64_t Leads[] = {Lead, 0};

// The program's composition: engine, sender on a stepped clock, devices that
// record what reaches them.
struct PacedShow : EngineHarness {
    explicit PacedShow(InterfaceKind type, std::int64_t leadNanoseconds = Lead) : lead(leadNanoseconds)
    {
        buildFade(*this);
        model.InterfaceType = type;
        NetworkDmxSettings loopback;
        loopback.destination = "127.0.0.1";
        std::string error;
        if (type == Interface::SacnNetwork)
            network.open(type, loopback, error);
        clock.deadlines.reserve(1000);
        play();
    }
    ~PacedShow() { sender.setEnabled(false); }

    // What reached the device, one entry per datagram.
    std::vector<Frame> sent() const
    {
        if (model.InterfaceType == Interface::SacnNetwork)
            return socket.frames;
        std::vector<Frame> frames;
        for (const auto& call : paced.calls)
            if (call.command == 4)
                frames.push_back(call.buffer);
        return frames;
    }

    // One grid period; the UI thread runs the tick asked for unless it is held.
    // With a lead the sender asks, the tick runs, and then the grid point
    // sends; without, the grid point sends and asks, and the tick runs after it.
    void period(bool uiHeld = false)
    {
        step();
        if (!uiHeld)
            pacedEngine.RequestedTick();
        if (lead > 0)
            step();
    }
    void step(std::int64_t late = 0)
    {
        if (!clock.step(late))
            ++stalledPeriods;
    }
    int stalledPeriods = 0;  // grid points the sender never came back from

    std::int64_t lead;
    SlotRecordingSocket socket;
    NetworkOutput network{socket};
    testing::RecordingUsbLibrary paced;
    SteppedClock clock;
    CountedRequests requests;
    DmxSender sender{SenderDevices{paced, cardLibrary, &network}, &clock, &requests, lead};
    OutputEngine pacedEngine{model, view, sender, OutputDevices{bus, paced, cardLibrary, &network, &sender}};
};

TEST(PacedOutput, OneDatagramPerTickWithTheEnginesFramesInOrder)
{
    for (const std::int64_t lead : Leads)
        for (InterfaceKind type : {Interface::UsbInterface, Interface::SacnNetwork}) {
            const std::vector<Frame> expected = referenceFrames(type, 200);
            PacedShow show(type, lead);
            show.sender.setEnabled(true);
            show.period();  // the first grid point has nothing built yet to send
            EXPECT_TRUE(show.sent().empty()) << type;
            for (int tick = 1; tick <= 200; ++tick)
                show.period();
            const std::vector<Frame> sent = show.sent();
            ASSERT_EQ(sent.size(), 200u) << type << ", lead " << lead;
            for (std::size_t i = 0; i < sent.size(); ++i)
                ASSERT_EQ(sent[i], expected[i]) << "datagram " << i + 1 << ", type " << type << ", lead " << lead;
            // Without a lead the last grid point has asked for tick 201 already.
            EXPECT_EQ(show.requests.posted.load(), lead > 0 ? 200 : 201) << type;
        }
}

TEST(PacedOutput, HeldUiThreadRepeatsTheLastFrameAndTheFadeResumes)
{
    for (const std::int64_t lead : Leads)
        for (InterfaceKind type : {Interface::UsbInterface, Interface::SacnNetwork}) {
            const std::vector<Frame> expected = referenceFrames(type, 200);
            PacedShow show(type, lead);
            show.sender.setEnabled(true);
            show.period();
            for (int tick = 1; tick <= 60; ++tick)  // into the first fade
                show.period();
            const int postedBeforeHold = show.requests.posted.load();
            for (int held = 0; held < 20; ++held)
                show.period(true);
            EXPECT_EQ(show.requests.posted.load(), postedBeforeHold + 1) << "one request waits, however long the hold";
            for (int tick = 61; tick <= 120; ++tick)
                show.period();

            const std::vector<Frame> sent = show.sent();
            ASSERT_EQ(sent.size(), 140u) << type;
            // The last frame built when the hold began (61 without a lead, whose
            // ticks run a period ahead; 60 with one) goes out once more per held
            // period; the fade then goes on from it.
            const std::size_t built = lead > 0 ? 60 : 61;
            std::vector<Frame> wanted(expected.begin(), expected.begin() + built);
            wanted.insert(wanted.end(), 20, expected[built - 1]);
            wanted.insert(wanted.end(), expected.begin() + built, expected.begin() + 120);
            ASSERT_EQ(wanted.size(), sent.size());
            for (std::size_t i = 0; i < sent.size(); ++i)
                ASSERT_EQ(sent[i], wanted[i]) << "datagram " << i + 1 << ", type " << type << ", lead " << lead;
            EXPECT_NE(expected[built - 1], expected[built]) << "the hold must fall inside a fade";
        }
}

TEST(PacedOutput, GridStaysAbsoluteWhenTheSenderWakesLate)
{
    PacedShow show(Interface::UsbInterface, 0);
    show.sender.setEnabled(true);
    show.period();
    show.clock.step(7'000'000);    // woke 7 ms late: the next point stays on the grid
    show.clock.step(130'000'000);  // 130 ms late: the missed points are skipped, not sent in a burst
    show.clock.step();
    const auto& d = show.clock.deadlines;
    ASSERT_GE(d.size(), 5u);
    EXPECT_EQ(d[1] - d[0], Period);
    EXPECT_EQ(d[2] - d[1], Period);
    EXPECT_EQ(d[3] - d[2], 3 * Period);
    EXPECT_EQ(d[4] - d[3], Period);
    EXPECT_EQ(show.sent().size(), 3u) << "one datagram per grid point that was kept";
}

// The tick is asked for the lead before the grid point its frame leaves at; a
// tick done too late leaves a period later, and the grid point between repeats
// what was there. Late wake-ups keep the grid as they do without a lead.
TEST(PacedOutput, TheTickIsAskedForTheLeadBeforeItsFrameLeaves)
{
    const std::vector<Frame> expected = referenceFrames(Interface::UsbInterface, 10);
    PacedShow show(Interface::UsbInterface);
    show.sender.setEnabled(true);
    show.period();
    EXPECT_EQ(show.requests.posted.load(), 0) << "the first grid point after enabling is asked for by nobody";

    show.step();  // the lead before the second grid point
    EXPECT_EQ(show.requests.posted.load(), 1);
    show.pacedEngine.RequestedTick();
    EXPECT_TRUE(show.sent().empty()) << "the frame waits for its grid point";
    show.step();
    ASSERT_EQ(show.sent().size(), 1u);
    EXPECT_EQ(show.sent()[0], expected[0]);

    show.step();  // tick 2 is asked for but not done before its grid point
    show.step();
    EXPECT_EQ(show.requests.posted.load(), 2);
    show.pacedEngine.RequestedTick();
    show.step();  // frame 2 waits to leave: no tick is asked for that would replace it
    EXPECT_EQ(show.requests.posted.load(), 2);
    show.pacedEngine.RequestedTick();  // nothing was asked for: no tick
    show.step();
    show.period();
    const std::vector<Frame> sent = show.sent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[1], expected[0]) << "the grid point repeats the last frame";
    EXPECT_EQ(sent[2], expected[1]) << "the late frame leaves at the next grid point";
    EXPECT_EQ(sent[3], expected[2]);

    show.step(7'000'000);  // the lead point, 7 ms late: past its grid point, which sends at once
    show.step();
    show.step(130'000'000);  // a grid point 130 ms late: the missed points are skipped
    show.period();
    const auto& d = show.clock.deadlines;
    ASSERT_EQ(d.size(), 17u);
    for (std::size_t i = 0; i < 12; i += 2) {
        EXPECT_EQ(d[i + 1] - d[i], Lead) << i;
        EXPECT_EQ(d[i + 2] - d[i + 1], Period - Lead) << i;
    }
    EXPECT_EQ(d[13] - d[12], Lead);
    EXPECT_EQ(d[14] - d[13], 3 * Period - Lead);
    EXPECT_EQ(d[15] - d[14], Lead);
    EXPECT_EQ(d[16] - d[15], Period - Lead);
    EXPECT_EQ(show.sent().size(), 7u) << "one datagram per grid point that was kept";
    EXPECT_EQ(show.stalledPeriods, 0);
}

// A sequencer field with the focus stops the tick, and with it the
// sequence, for as long as the user stays there; the wire must not go dark
// meanwhile (a network receiver drops a source after 2.5 s of silence), and
// PLAY afterwards plays exactly as it does without the pause.
TEST(PacedOutput, FocusInTheBlendFieldRepeatsTheLastFrameAndPlayResumes)
{
    constexpr int Focused = 200;
    constexpr int Played = 100;
    for (const std::int64_t lead : Leads)
        for (InterfaceKind type : {Interface::UsbInterface, Interface::SacnNetwork}) {
            // The frames PLAY brings without a sender: one per tick.
            EngineHarness reference;
            buildFade(reference);
            reference.model.InterfaceType = type;
            reference.model.StepCount = 2;
            reference.model.setState(StateFlag::SequencePresent);
            testing::FakeMainWindowCommands referenceWindow;
            testing::FakeSettingsStore settings;
            testing::ScriptedClock clock;
            Selection referenceSelection{reference.model, reference.view, reference.user};
            SequencerPresenter referenceSequencer{{reference.model, reference.view, reference.user, reference.timer,
                                                   reference.engine, referenceWindow, referenceSelection, reference.bus,
                                                   settings, clock}};
            referenceSequencer.cmdSequence_Click(PlayButton);
            std::vector<Frame> played;
            for (int tick = 0; tick < Played; ++tick) {
                reference.tick();
                played.emplace_back(reference.model.DmxFrame.begin(), reference.model.DmxFrame.begin() + DmxChannels);
            }

            PacedShow show(type, lead);
            show.model.clearState(StateFlag::SequencePlaying);  // stopped: the wall's picture goes out
            testing::FakeMainWindowCommands window;
            Selection selection{show.model, show.view, show.user};
            SequencerPresenter sequencer{{show.model, show.view, show.user, show.sender, show.pacedEngine, window,
                                          selection, show.bus, settings, clock}};
            show.sender.setEnabled(true);
            for (int period = 0; period < 10; ++period)
                show.period();
            const std::vector<Frame> before = show.sent();
            ASSERT_EQ(before.size(), 9u) << type;
            const int posted = show.requests.posted.load();

            sequencer.txtSequence_GotFocus(BlendField);
            EXPECT_FALSE(show.sender.isEnabled()) << "the tick stops, as ever";
            EXPECT_EQ(show.view.lastTitle(), "Linux: QOR DMX TINCTARA  ....stopped");
            for (int period = 0; period < Focused; ++period)
                show.period();
            sequencer.txtSequence_LostFocus(BlendField);
            ASSERT_EQ(show.stalledPeriods, 0) << "the sender stopped its grid while the field had the focus";
            std::vector<Frame> sent = show.sent();
            ASSERT_EQ(sent.size(), before.size() + Focused) << "one datagram per grid period, type " << type;
            for (std::size_t i = before.size(); i < sent.size(); ++i)
                ASSERT_EQ(sent[i], before.back()) << "datagram " << i + 1 << ", type " << type;
            EXPECT_EQ(show.requests.posted.load(), posted) << "no tick is asked for while paused";

            sequencer.cmdSequence_Click(PlayButton);
            EXPECT_TRUE(show.sender.isEnabled());
            for (int period = 0; period <= Played; ++period)
                show.period();
            sent = show.sent();
            ASSERT_EQ(sent.size(), before.size() + Focused + Played + 1) << type;
            // The grid point after PLAY still sends the wall's picture; each tick's
            // frame leaves at the point after it.
            EXPECT_EQ(sent[before.size() + Focused], before.back()) << type;
            for (int tick = 0; tick < Played; ++tick)
                ASSERT_EQ(sent[before.size() + Focused + 1 + static_cast<std::size_t>(tick)],
                          played[static_cast<std::size_t>(tick)])
                    << "tick " << tick + 1 << " after PLAY, type " << type;
            EXPECT_NE(played.front(), played.back()) << "the sequence must fade";
            // Paused or not, the grid keeps its phase.
            const auto& d = show.clock.deadlines;
            for (std::size_t i = 0; i + 1 < d.size(); ++i)
                ASSERT_EQ(d[i + 1] - d[i], lead == 0 ? Period : i % 2 == 0 ? lead : Period - lead) << i;
        }
}

}  // namespace
}  // namespace tinctara
