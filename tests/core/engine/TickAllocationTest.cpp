// A tick runs 20 times a second for hours; it must not touch the heap. This
// binary replaces the global allocation functions to count what a tick asks for.
#include "control/OscService.h"
#include "dmx/NetworkOutput.h"
#include "support/ControlHarness.h"
#include "support/EngineHarness.h"
#include "support/SteppedClock.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

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

TEST(TickAllocation, NoTickAllocatesInAnyPhaseOrInterface)
{
    const long probe = allocations.load();
    delete new std::string(100, 'x');
    ASSERT_GT(allocations.load(), probe) << "the counting operator new is not in use";

    for (int number = 0; number < InterfaceKinds; ++number) {
        const InterfaceKind type = kindOfNumber(number);
        testing::EngineHarness show;
        buildThreeStepShow(show, type);
        show.model.setState(StateFlag::DmxMonitorOn);
        show.bus.recording = false;
        show.cardLibrary.calls.reserve(200);

        SilentView silent;
        SilentUsb usb;
        SilentSocket socket;
        NetworkOutput network(socket);
        NetworkDmxSettings loopback;
        loopback.destination = "127.0.0.1";
        std::string error;
        ASSERT_EQ(network.open(type, loopback, error),
                  (type == Interface::SacnNetwork || type == Interface::ArtNetNetwork));
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

TEST(TickAllocation, NoGridPointOrRequestedTickAllocates)
{
    // The sender's thread sends on the grid and the UI side runs the ticks it
    // asks for: neither side touches the heap once the thread runs.
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
        NetworkDmxSettings loopback;
        loopback.destination = "127.0.0.1";
        std::string error;
        ASSERT_EQ(network.open(type, loopback, error),
                  (type == Interface::SacnNetwork || type == Interface::ArtNetNetwork));
        testing::SteppedClock clock;
        testing::CountedRequests requests;
        DmxSender sender(SenderDevices{usb, cardLibrary, &network}, &clock, &requests);
        OutputEngine engine(show.model, silent, sender, OutputDevices{show.bus, usb, cardLibrary, &network, &sender});
        show.play();
        sender.setEnabled(true);  // starting the thread may allocate
        clock.step();
        engine.RequestedTick();

        const long before = allocations.load();
        for (int period = 0; period < 40; ++period) {
            clock.step();
            if (period % 10 != 9)  // now and then the UI thread is held
                engine.RequestedTick();
        }
        const long allocated = allocations.load() - before;
        sender.setEnabled(false);
        EXPECT_EQ(allocated, 0) << "interface type " << type;
        EXPECT_EQ(requests.posted.load(), 41 - 3) << "interface type " << type;
    }
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

}  // namespace
}  // namespace tinctara
