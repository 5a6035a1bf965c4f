// A tick runs 20 times a second for hours; it must not touch the heap. This
// binary replaces the global allocation functions to count what a tick asks for.
#include "audio/MusicFeed.h"
#include "control/MidiService.h"
#include "control/OscService.h"
#include "dmx/NetworkOutput.h"
#include "input/DmxInput.h"
#include "input/SacnDecoder.h"
#include "input/SacnSources.h"
#include "support/ClickTrack.h"
#include "support/ControlHarness.h"
#include "support/EngineHarness.h"
#include "support/LoopbackPeer.h"
#include "support/ScriptedClock.h"
#include "support/SteppedClock.h"
#include "timecode/ArtTimecodeSender.h"
#include "timecode/TimecodeLeader.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace tinctara {
namespace {

// A view and devices that keep nothing, as a screen keeps its pixels and a
// device its levels, not our strings and buffers.
class SilentView : public ShowView {
public:
};

class SilentUsb : public UsbDmxLibrary {
public:
    std::int32_t hardCommand(std::int32_t, std::int32_t, std::uint8_t*) override { return 0; }
};

class SilentCardLibrary : public DmxCardLibrary {
public:
    std::int32_t dmxSend(std::int32_t&, const std::uint32_t*) override { return 0; }
    std::int32_t dmxSend2(std::int32_t&, const std::uint32_t*) override { return 0; }
};

class SilentSocket : public DatagramSocket {
public:
    bool open(std::uint32_t, std::uint16_t, std::string&) override { return true; }
    bool send(const std::uint8_t*, std::size_t) override { return true; }
    void close() override {}
    std::uint32_t directedBroadcast() override { return 0; }
};

// An 11 x 11 wall with three recorded steps, sent to the interface kind given.
void buildThreeStepShow(testing::EngineHarness& show, InterfaceKind type)
{
    show.buildWall(11, 11);
    for (int step = 1; step <= 3; ++step)
        for (int element = 1; element <= 121; ++element)
            show.setStep(step, element, step * 40, element, 255 - element, step, 2, 6);
    show.model.StepCount = 3;
    show.model.InterfaceType = type;
    show.model.CardBaseAddress = 0x120;
}

// The same show with the monitor rows on and the port bus keeping nothing.
void buildWatchedShow(testing::EngineHarness& show, InterfaceKind type)
{
    buildThreeStepShow(show, type);
    show.model.setState(StateFlag::DmxMonitorOn);
    show.bus.recording = false;
}

// The network output opens for the network kinds only.
bool openToLoopback(NetworkOutput& network, InterfaceKind type)
{
    NetworkDmxSettings loopback;
    loopback.destination = "127.0.0.1";
    std::string error;
    return network.open(type, loopback, error);
}

TEST(TickAllocation, NoTickAllocatesInAnyPhaseOrInterface)
{
    const long probe = allocations.load();
    delete new std::string(100, 'x');
    ASSERT_GT(allocations.load(), probe) << "the counting operator new is not in use";

    for (int number = 0; number < InterfaceKinds; ++number) {
        const InterfaceKind type = kindOfNumber(number);
        testing::EngineHarness show;
        buildWatchedShow(show, type);
        show.cardLibrary.calls.reserve(200);

        SilentView silent;
        SilentUsb usb;
        SilentSocket socket;
        NetworkOutput network(socket);
        ASSERT_EQ(openToLoopback(network, type), (type == Interface::SacnNetwork || type == Interface::ArtNetNetwork));
        OutputEngine engine(show.model, silent, show.timer, OutputDevices{show.bus, usb, show.cardLibrary, &network});
        show.timer.history.reserve(100);
        show.play();

        const long before = allocations.load();
        for (int tick = 0; tick < 30; ++tick) {  // load, hold and fade of several steps
            engine.AutoXmit();
            if (tick == 12)
                show.model.setState(StateFlag::TestMode);
            if (tick == 15)
                show.model.clearState(StateFlag::TestMode);
        }
        EXPECT_EQ(allocations.load() - before, 0) << "interface type " << type;
    }
}

TEST(TickAllocation, NoMergedTickAllocatesInAnyModeOrInterface)
{
    // The desk's levels change every tick; the input is lost and comes back,
    // test mode comes and goes, and the mode is switched to Off and back.
    for (const InputMerge mode : {InputMerge::Htp, InputMerge::Ltp, InputMerge::InputFirst})
        for (int number = 0; number < InterfaceKinds; ++number) {
            const InterfaceKind type = kindOfNumber(number);
            testing::EngineHarness show;
            buildWatchedShow(show, type);
            SilentView silent;
            SilentUsb usb;
            SilentCardLibrary cardLibrary;
            OutputEngine engine(show.model, silent, show.timer, OutputDevices{show.bus, usb, cardLibrary});
            show.timer.history.reserve(100);
            DmxInputFrame input;
            input.live = true;
            input.covered = 300;
            show.play();

            const long before = allocations.load();
            for (int tick = 0; tick < 40; ++tick) {
                for (std::size_t slot = 0; slot < input.covered; ++slot)
                    input.levels[slot] = static_cast<std::uint8_t>(tick * 7 + slot);
                input.live = tick < 20 || tick > 24;
                engine.mergeInput(&input, tick >= 30 && tick < 33 ? InputMerge::Off : mode);
                engine.AutoXmit();
                if (tick == 10)
                    show.model.setState(StateFlag::TestMode);
                if (tick == 14)
                    show.model.clearState(StateFlag::TestMode);
            }
            EXPECT_EQ(allocations.load() - before, 0) << "interface type " << type << ", " << inputMergeName(mode);
        }
}

TEST(TickAllocation, NoTickOnTheBeatOrUnderTheLevelMasterAllocates)
{
    // Beats fed and tapped, Pegel on, a merge for half the run, test mode
    // for a while, settings changed under way.
    for (int number = 0; number < InterfaceKinds; ++number) {
        const InterfaceKind type = kindOfNumber(number);
        testing::EngineHarness show;
        buildWatchedShow(show, type);
        SilentView silent;
        SilentUsb usb;
        SilentCardLibrary cardLibrary;
        OutputEngine engine(show.model, silent, show.timer, OutputDevices{show.bus, usb, cardLibrary});
        show.timer.history.reserve(100);
        DmxInputFrame input;
        input.live = true;
        input.covered = 100;
        MusicSettings settings;
        settings.beat = true;
        settings.level = true;
        settings.attackTicks = 3;
        settings.releaseTicks = 5;
        show.play();

        const long before = allocations.load();
        for (int tick = 0; tick < 60; ++tick) {
            settings.beatsPerStep = tick < 30 ? 1 : 2;
            engine.music().setSettings(settings);
            if (tick < 40)
                engine.music().feed(tick % 6 == 0, 6, (tick % 10) / 10.0);
            else if (tick % 7 == 0)
                engine.music().tap(tick * 50);
            engine.mergeInput(&input, tick < 30 ? InputMerge::Htp : InputMerge::Off);
            engine.AutoXmit();
            if (tick == 10)
                show.model.setState(StateFlag::TestMode);
            if (tick == 14)
                show.model.clearState(StateFlag::TestMode);
        }
        EXPECT_EQ(allocations.load() - before, 0) << "interface type " << type;
    }
}

// Live music: the capture's pushes, the analysis on its thread and the
// feed before each tick, once everything is made (the count is global, so
// the analysis thread is counted too).
TEST(TickAllocation, LiveMusicHearsAndFeedsWithoutTheHeap)
{
    const testing::ClickTrack track = testing::clickTrack({{0.5, 120.0}}, 12.0);
    testing::ScriptedClock clock;
    LiveMusic live(track.sampleRate, clock);
    MusicSync sync;
    const auto perTick = static_cast<std::size_t>(track.sampleRate / 20);
    long allocated = 0;
    for (std::size_t at = 0, tick = 0; at + perTick <= track.samples.size(); at += perTick, ++tick) {
        const long before = allocations.load();
        live.input().push(std::span<const float>(track.samples).subspan(at, perTick));
        clock.ms += 50;
        live.beforeTick(sync);
        sync.tick(true);
        if (tick >= 20)  // the thread is up and has analysed a second
            allocated += allocations.load() - before;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(live.feed().beats(), 0U);
    EXPECT_EQ(allocated, 0);
}

TEST(TickAllocation, NoGridPointOrRequestedTickAllocates)
{
    // The sender's thread asks and sends on the grid and the UI side runs the
    // ticks it asks for: neither side touches the heap once the thread runs,
    // whether the sender asks ahead of its grid points or right after them.
    for (const std::int64_t lead : {DmxSender::DefaultLeadNanoseconds, std::int64_t{0}})
        for (int number = 0; number < InterfaceKinds; ++number) {
            const InterfaceKind type = kindOfNumber(number);
            testing::EngineHarness show;
            buildThreeStepShow(show, type);
            show.bus.recording = false;

            SilentView silent;
            SilentUsb usb;
            SilentCardLibrary cardLibrary;
            SilentSocket socket;
            NetworkOutput network(socket);
            ASSERT_EQ(openToLoopback(network, type),
                      (type == Interface::SacnNetwork || type == Interface::ArtNetNetwork));
            testing::SteppedClock clock;
            testing::CountedRequests requests;
            DmxSender sender(SenderDevices{usb, cardLibrary, &network}, &clock, &requests, lead);
            OutputEngine engine(show.model, silent, sender,
                                OutputDevices{show.bus, usb, cardLibrary, &network, &sender});
            show.play();
            // With a lead the sender wakes twice a period: to ask, then to send.
            const auto period = [&](bool uiHeld) {
                ASSERT_TRUE(clock.step());
                if (!uiHeld)
                    engine.RequestedTick();
                if (lead > 0) {
                    ASSERT_TRUE(clock.step());
                }
            };
            sender.setEnabled(true);  // starting the thread may allocate
            period(false);

            const long before = allocations.load();
            for (int tick = 0; tick < 40; ++tick)
                period(tick % 10 == 9);  // now and then the UI thread is held
            const long allocated = allocations.load() - before;
            sender.setEnabled(false);
            EXPECT_EQ(allocated, 0) << "interface type " << type << ", lead " << lead;
            // A held period's request still waits in the next; without a lead
            // the first grid point asks too.
            EXPECT_EQ(requests.posted.load(), (lead > 0 ? 40 : 41) - 3) << "interface type " << type;
        }
}

// Show actions that go nowhere: the feedback after a tick only reads the show.
struct NoWindows : ShowWindows, ShowControlHost {
    void lblWand_CtrlClick(int) override {}
    bool wand_KeyDown(int) override { return false; }
    void cmdSequence_Press(Button) override {}
    void stepField_GotFocus() override {}
    void stepField_Typed(std::string_view, int) override {}
    void stepField_LostFocus() override {}
    bool questionOpen() const override { return false; }
    std::string applyColour(const std::array<std::uint8_t, Planes>&) override { return {}; }
    std::string wallStatus() const override { return {}; }
    std::string sequencerStatus() const override { return {}; }
};

struct CountedNotes : MidiFeedback {
    void noteOn(int, int, int) override { ++count; }
    int count = 0;
};

TEST(TickAllocation, MidiFeedbackAfterATickAllocatesNothing)
{
    testing::EngineHarness show;
    buildThreeStepShow(show, Interface::NoInterface);
    show.bus.recording = false;
    show.timer.history.reserve(100);
    SilentView silent;
    SilentUsb usb;
    OutputEngine engine(show.model, silent, show.timer, OutputDevices{show.bus, usb, show.cardLibrary});
    NoWindows windows;
    Selection selection(show.model, show.view, show.user);
    ShowControl control({show.model, selection, windows, windows});
    MidiService service(show.model, control);
    MidiSettings settings;
    using Kind = ShowAction::Kind;
    const Kind kinds[] = {Kind::Play, Kind::Stop, Kind::All, Kind::Memory, Kind::Tap};
    for (int key = 0; key < static_cast<int>(MidiBindingLimit); ++key)
        settings.bindings.push_back({kinds[key % 5], key % 11 + 1, MidiTrigger::Note, key / 64 + 1, key % 64});
    service.configure(settings);
    CountedNotes notes;
    service.setFeedback(&notes);
    show.play();
    service.showChanged();
    const int atStart = notes.count;

    const long before = allocations.load();
    for (int tick = 0; tick < 30; ++tick) {
        engine.AutoXmit();
        if (tick == 10)
            show.model.clearState(StateFlag::SequencePlaying);
        if (tick == 20)
            show.model.SelectionFlags.fill(1);
        service.showChanged();
    }
    EXPECT_EQ(allocations.load() - before, 0);
    EXPECT_EQ(atStart, static_cast<int>(MidiBindingLimit));
    EXPECT_GT(notes.count, atStart);  // the changes were sent
}

// Leading timecode is polled every few milliseconds for as long as a show
// plays: labels, full and quarter frames and the datagrams carrying them.
TEST(TickAllocation, LeadingTimecodeAllocatesNothing)
{
    UdpListener node;
    ASSERT_EQ(node.open(0x7F000001, 0, {}), 0);
    ArtTimecodeSender sender;
    ASSERT_EQ(sender.open("127.0.0.1", node.port()), "");
    TimecodeLeader leader({0, 9, 59, 0}, TimecodeRate::DropFrame2997);
    int labels = 0;
    std::size_t midiBytes = 0;
    const auto art = [&](const ArtTimecode& time) {
        sender.send(time);
        ++labels;
    };
    const auto mtc = [&](std::span<const std::uint8_t> bytes) { midiBytes += bytes.size(); };

    const long before = allocations.load();
    for (int tick = 0; tick < 60; ++tick) {
        // A seek at tick 30, a stop from tick 50.
        const std::optional<std::int64_t> index = tick < 30   ? tick
                                                  : tick < 50 ? std::optional<std::int64_t>(tick + 100)
                                                              : std::nullopt;
        leader.ticked(index, tick * 50.0);
        for (int ms = 0; ms < 50; ms += 4)
            leader.poll(tick * 50.0 + ms, art, mtc);
    }
    EXPECT_EQ(allocations.load() - before, 0);
    EXPECT_GT(labels, 70);
    EXPECT_GT(midiBytes, 500u);
}

// The OSC feedback runs after every tick: a compare when nothing changed, and
// messages written into a buffer of its own when a number did.
TEST(TickAllocation, OscFeedbackAfterATickAllocatesNothing)
{
    struct : Clock {
        std::int64_t timeOfDaySeconds() override { return 0; }
        std::int64_t monotonicMilliseconds() override { return 0; }
    } clock;
    testing::ControlHarness show;
    OscService osc({show.control, show.model, clock, {}});
    ASSERT_EQ(osc.start({true, "127.0.0.1", 0, 9, ""}), "");
    // A desk on loopback is heard (its feedback goes to the discard port).
    const int desk = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<std::uint16_t>(osc.current().port));
    static const char all[] = "/tinctara/all\0\0\0,\0\0";
    ::sendto(desk, all, sizeof all, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    osc.readable();
    ::close(desk);
    ASSERT_EQ(osc.counters().carriedOut, 1U);

    const long before = allocations.load();
    for (int tick = 0; tick < 40; ++tick) {
        if (tick % 10 == 0)
            show.model.CurrentStep = static_cast<std::uint8_t>(tick / 10 + 1);
        osc.showChanged();
    }
    EXPECT_EQ(allocations.load() - before, 0);
}


// A desk's universe arrives 40 times a second from several sources: neither
// decoding nor merging may touch the heap.
TEST(TickAllocation, SacnReceiveAllocatesNothing)
{
    std::array<SacnPacket, 3> senders;
    std::array<std::uint8_t, NetworkSlots> slots{};
    for (std::size_t i = 0; i < senders.size(); ++i) {
        Cid cid{};
        cid.fill(static_cast<std::uint8_t>(i + 1));
        senders[i].setSource(cid, "Pult", 100 + static_cast<int>(i % 2) * 50, 1);
    }
    SacnSources sources(1);
    std::array<std::uint8_t, NetworkSlots> merged{};

    const long before = allocations.load();
    for (int frame = 0; frame < 200; ++frame) {
        slots.fill(static_cast<std::uint8_t>(frame));
        for (SacnPacket& sender : senders) {
            const SacnDecoded decoded = decodeSacn(frame == 150 ? sender.terminated() : sender.data(slots.data()));
            ASSERT_FALSE(decoded.drop);
            sources.receive(decoded.data, frame * 25);
        }
        sources.expire(frame * 25);
        sources.merged(merged);
    }
    EXPECT_EQ(allocations.load() - before, 0);
    EXPECT_TRUE(sources.live());
    EXPECT_EQ(merged[0], 199);
}

// The input service reads, decodes, merges and answers polls from fixed
// buffers once it has started.
TEST(TickAllocation, InputServiceTakesPacketsWithoutTheHeap)
{
    testing::ScriptedClock clock;
    std::array<std::uint8_t, NetworkSlots> slots{};
    SacnPacket sacn;
    sacn.setSource(Cid{1}, "Pult", 100, 1);
    ArtDmxPacket artDmx;
    artDmx.setPortAddress(1);
    const std::array<std::uint8_t, 14> poll{'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x20, 0, 14, 0, 0x10};
    for (const InputKind kind : {InputKind::Sacn, InputKind::ArtNet}) {
        SCOPED_TRACE(kind == InputKind::Sacn ? "sACN" : "Art-Net");
        DmxInputService input{{clock, Cid{}, nullptr, 0, 0}};
        ASSERT_EQ(input.start({kind, 1, "127.0.0.1", InputMerge::Off}), "");
        testing::LoopbackPeer desk;
        const long before = allocations.load();
        for (int frame = 0; frame < 100; ++frame) {
            clock.ms += 25;
            slots.fill(static_cast<std::uint8_t>(frame));
            if (kind == InputKind::Sacn)
                desk.send(input.port(), sacn.data(slots.data()));
            else
                desk.send(input.port(), artDmx.data(slots.data()));
            if (frame % 10 == 0)
                desk.send(input.port(), poll);
            input.readable();
            input.expire();
        }
        EXPECT_EQ(allocations.load() - before, 0);
        EXPECT_TRUE(input.frame().live);
        EXPECT_EQ(input.frame().levels[0], 99);
    }
}

}  // namespace
}  // namespace tinctara
