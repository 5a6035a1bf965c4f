#include "input/DmxInput.h"

#include "dmx/ArtNetLayout.h"
#include "input/ArtNetInput.h"
#include "input/ArtPollReply.h"
#include "input/SacnSources.h"
#include "support/LoopbackPeer.h"
#include "support/MainWindowFakes.h"
#include "support/ScriptedClock.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tinctara {
namespace {

using testing::LoopbackPeer;
using Bytes = std::vector<std::uint8_t>;
using Levels = std::array<std::uint8_t, NetworkSlots>;

constexpr int Universe = 7;

Cid cidOf(std::uint8_t n)
{
    Cid cid{};
    cid.fill(n);
    return cid;
}

// An sACN desk of the test's own: the output side's packets from a loopback socket.
struct SacnDesk {
    SacnDesk(std::uint8_t id, int priority, const char* name = "Pult")
    {
        packet.setSource(cidOf(id), name, priority, Universe);
    }
    void send(std::uint16_t port, std::uint8_t level, std::size_t slot = 0, const char* to = "127.0.0.1")
    {
        Levels slots{};
        slots[slot] = level;
        const auto& bytes = packet.data(slots.data());
        socket.send(port, bytes, to);
    }
    void end(std::uint16_t port) { socket.send(port, packet.terminated()); }

    SacnPacket packet;
    LoopbackPeer socket;
};

Bytes artDmx(int portAddress, std::size_t slot, std::uint8_t level)
{
    Levels slots{};
    slots[slot] = level;
    ArtDmxPacket packet;
    packet.setPortAddress(portAddress);
    const auto& bytes = packet.data(slots.data());
    return {bytes.begin(), bytes.end()};
}

const Bytes ArtPoll{'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x20, 0, 14, 0, 0x10};

struct InputHarness {
    explicit InputHarness(InputKind kind, std::string listen = "127.0.0.1", int universe = Universe)
    {
        InputSettings settings;
        settings.kind = kind;
        settings.universe = universe;
        settings.listenAddress = std::move(listen);
        EXPECT_EQ(input.start(settings), "");
        port = input.port();
    }
    // Takes what arrived and runs the tick's expiry at `ms` after start.
    const DmxInputFrame& at(std::int64_t ms)
    {
        clock.ms = startMs + ms;
        input.readable();
        input.expire();
        return input.frame();
    }

    testing::ScriptedClock clock;
    const std::int64_t startMs = clock.ms;
    UdpSocket ownOutput;
    DmxInputService input{{clock, cidOf(0xEE), &ownOutput, 0, 0}};
    std::uint16_t port = 0;
};

TEST(DmxInputService, SacnPriorityWinsAndEqualPrioritiesMergeHighest)
{
    struct Case {
        const char* name;
        int priorityA, priorityB;
        std::uint8_t slot0, slot1;  // A sends 200 in slot 1, B 90 in slot 1 and 50 in slot 2
    };
    for (const Case& c : {Case{"A higher", 120, 100, 200, 0}, Case{"B higher", 100, 120, 90, 50},
                          Case{"equal: highest level per slot", 100, 100, 200, 50}}) {
        SCOPED_TRACE(c.name);
        InputHarness h(InputKind::Sacn);
        SacnDesk a(1, c.priorityA, "Pult A"), b(2, c.priorityB, "Pult B");
        a.send(h.port, 200);
        Levels both{};
        both[0] = 90;
        both[1] = 50;
        h.input.readable();
        b.socket.send(h.port, b.packet.data(both.data()));
        const DmxInputFrame& frame = h.at(DmxInputService::SamplingMs);
        EXPECT_TRUE(frame.live);
        EXPECT_EQ(frame.levels[0], c.slot0);
        EXPECT_EQ(frame.levels[1], c.slot1);
        EXPECT_EQ(frame.levels[2], 0);
        EXPECT_EQ(frame.covered, NetworkSlots);
        const std::vector<InputSourceRow> rows = h.input.sources();
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].name, "Pult A");
        EXPECT_EQ(rows[0].priority, c.priorityA);
        EXPECT_EQ(rows[1].priority, c.priorityB);
        EXPECT_EQ(h.input.counters().taken, 2u);
    }
}

TEST(DmxInputService, SacnWaitsTheSamplingPeriodThenLosesSilentSources)
{
    InputHarness h(InputKind::Sacn);
    SacnDesk desk(1, 100);
    desk.send(h.port, 77);
    const DmxInputFrame& frame = h.at(0);
    EXPECT_FALSE(frame.live) << "sampling";
    EXPECT_EQ(frame.levels[0], 0);
    EXPECT_FALSE(h.at(DmxInputService::SamplingMs - 1).live);
    EXPECT_TRUE(h.at(DmxInputService::SamplingMs).live);
    EXPECT_EQ(frame.levels[0], 77);

    // Silence: live until 2.5 s after the last packet, not one millisecond longer.
    desk.send(h.port, 78);
    h.at(2000);
    const std::uint64_t version = frame.version;
    EXPECT_TRUE(h.at(2000 + SacnSources::LossTimeoutMs - 1).live);
    EXPECT_EQ(frame.version, version) << "nothing changed";
    EXPECT_FALSE(h.at(2000 + SacnSources::LossTimeoutMs).live);
    EXPECT_EQ(frame.levels, Levels{});
    EXPECT_EQ(frame.covered, 0u);
    EXPECT_EQ(frame.version, version + 1);
}

TEST(DmxInputService, SacnStreamTerminatedOwnCidAndOtherAddressesCountNothing)
{
    InputHarness h(InputKind::Sacn);
    SacnDesk desk(1, 100), own(0xEE, 200), elsewhere(3, 200);
    desk.send(h.port, 10);
    own.send(h.port, 250);
    elsewhere.send(h.port, 250, 0, "127.0.0.2");  // not the address listened on
    const DmxInputFrame& frame = h.at(DmxInputService::SamplingMs);
    EXPECT_TRUE(frame.live);
    EXPECT_EQ(frame.levels[0], 10) << "our own output and the other address do not count";
    EXPECT_EQ(h.input.sources().size(), 1u);
    const InputCounters counters = h.input.counters();
    EXPECT_EQ(counters.received, 3u);
    EXPECT_EQ(counters.own, 1u);
    EXPECT_EQ(counters.dropped, 1u);

    desk.end(h.port);
    EXPECT_FALSE(h.at(DmxInputService::SamplingMs + 10).live) << "terminated at once, not after 2.5 s";
    EXPECT_TRUE(h.input.sources().empty());

    // A CID made after the start (the program's first sACN) is ignored from then on.
    SacnDesk later(0xDD, 200);
    h.input.ignoreOwnCid(cidOf(0xDD));
    later.send(h.port, 90);
    h.at(DmxInputService::SamplingMs + 20);
    EXPECT_EQ(h.input.counters().own, 2u);
    EXPECT_TRUE(h.input.sources().empty());
}

TEST(DmxInputService, SacnMulticastOfTheUniverseArrivesOnTheChosenInterface)
{
    InputHarness h(InputKind::Sacn);
    SacnDesk desk(1, 100), otherUniverse(2, 100);
    desk.socket.multicastVia("127.0.0.1");
    otherUniverse.socket.multicastVia("127.0.0.1");
    desk.send(h.port, 33, 0, "239.255.0.7");
    otherUniverse.send(h.port, 44, 0, "239.255.0.8");  // a group not joined
    EXPECT_EQ(h.at(DmxInputService::SamplingMs).levels[0], 33);
    EXPECT_EQ(h.input.counters().received, 1u);
}

TEST(DmxInputService, TakesAtMostSixtyFourDatagramsPerWake)
{
    InputHarness h(InputKind::Sacn);
    LoopbackPeer flood;
    const Bytes junk{1, 2, 3};
    for (int i = 0; i < 100; ++i)
        flood.send(h.port, junk);
    h.input.readable();
    EXPECT_EQ(h.input.counters().received, DmxInputService::DatagramsPerWake);
    h.input.readable();
    EXPECT_EQ(h.input.counters().received, 100u);
    EXPECT_EQ(h.input.counters().dropped, 100u);
}

TEST(DmxInputService, ArtNetTakesArtDmxAtOnceAndIgnoresOurOwnOutput)
{
    InputHarness h(InputKind::ArtNet, "", 3);
    LoopbackPeer desk;
    desk.send(h.port, artDmx(3, 4, 99));
    desk.send(h.port, artDmx(4, 4, 55));  // another universe
    LoopbackPeer shortDesk("127.0.0.2");
    Bytes fewer = artDmx(3, 5, 66);  // 100 levels
    fewer[artnet::Dmx::Length] = 0;
    fewer[artnet::Dmx::Length + 1] = 100;
    fewer.resize(artnet::Dmx::Slots + 100);
    shortDesk.send(h.port, fewer);
    std::string error;
    ASSERT_TRUE(h.ownOutput.open(0x7F000001, h.port, error)) << error;
    const auto own = artDmx(3, 4, 255);
    h.ownOutput.send(own.data(), own.size());

    const DmxInputFrame& frame = h.at(0);
    EXPECT_TRUE(frame.live) << "no sampling wait for Art-Net";
    EXPECT_EQ(frame.levels[4], 99);
    EXPECT_EQ(frame.levels[5], 66);
    EXPECT_EQ(frame.covered, NetworkSlots) << "the longest sender's";
    EXPECT_EQ(h.input.sources(), (std::vector<InputSourceRow>{{"127.0.0.1", -1, 0}, {"127.0.0.2", -1, 0}}));
    const InputCounters counters = h.input.counters();
    EXPECT_EQ(counters.taken, 2u);
    EXPECT_EQ(counters.dropped, 1u);
    EXPECT_EQ(counters.own, 1u);

    EXPECT_TRUE(h.at(ArtNetSourceTimeoutMs - 1).live);
    EXPECT_FALSE(h.at(ArtNetSourceTimeoutMs).live);
    EXPECT_EQ(frame.levels[4], 0);
}

TEST(DmxInputService, ArtPollIsAnsweredToThePollersAddress)
{
    InputHarness h(InputKind::ArtNet, "", joinPortAddress({0, 1, 5}));
    // Replies go to the poller's address at the Art-Net port; a socket bound
    // to that address hears them before the service's, bound to every address.
    LoopbackPeer node("127.0.0.1", h.port, true);
    LoopbackPeer poller;
    poller.send(h.port, ArtPoll, "127.0.0.2");
    h.at(0);
    EXPECT_EQ(h.input.counters().pollsAnswered, 1u);
    const auto reply = node.receive();
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), ArtPollReplyPacket::Size);
    EXPECT_TRUE(std::equal(std::begin(artnet::Id), std::end(artnet::Id), reply->begin()));
    EXPECT_EQ((*reply)[artnet::OpCode] | (*reply)[artnet::OpCode + 1] << 8, static_cast<int>(artnet::OpPollReply));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply->data() + 26)), ArtNetShortName);
    EXPECT_EQ((*reply)[18], 0) << "net";
    EXPECT_EQ((*reply)[19], 1) << "sub-net";
    EXPECT_NE((*reply)[10], 0) << "names an address of this machine";
}

TEST(DmxInputService, StartRefusesBadSettingsWithTheReason)
{
    LoopbackPeer taken("127.0.0.1");  // bound without sharing the port
    struct Case {
        InputKind kind;
        int universe;
        std::string listen;
        std::uint16_t port;
        std::string reason;
    };
    const std::string port = std::to_string(taken.port());
    for (const Case& c : {
             Case{InputKind::Sacn, 0, "", 0, "sACN-Universum muss zwischen 1 und 63999 liegen."},
             Case{InputKind::Sacn, 64000, "", 0, "sACN-Universum muss zwischen 1 und 63999 liegen."},
             Case{InputKind::ArtNet, 32768, "", 0, "Art-Net-Port-Adresse muss zwischen 0 und 32767 liegen."},
             Case{InputKind::ArtNet, 0, "10.1.2", 0, "\"10.1.2\" ist keine IPv4-Adresse."},
             Case{InputKind::Sacn, 1, "203.0.113.9", 0,
                  "Die Adresse 203.0.113.9 gehört zu keinem Netzwerk dieses Rechners."},
             Case{InputKind::Sacn, 1, "", taken.port(),
                  "Der Port " + port + " ist belegt: Adresse wird bereits verwendet."},
             Case{InputKind::ArtNet, 1, "", taken.port(),
                  "Der Port " + port + " ist belegt: Adresse wird bereits verwendet."},
         }) {
        SCOPED_TRACE(c.reason);
        testing::ScriptedClock clock;
        DmxInputService input{{clock, {}, nullptr, c.port, c.port}};
        EXPECT_EQ(input.start({c.kind, c.universe, c.listen, InputMerge::Off}), c.reason);
        EXPECT_FALSE(input.running());
        EXPECT_EQ(input.descriptor(), -1);
    }
}

TEST(DmxInputService, KindNoneStopsAndTellsTheDescriptor)
{
    InputHarness h(InputKind::Sacn);
    std::vector<int> told;
    h.input.onDescriptorChange([&](int fd) { told.push_back(fd); });
    ASSERT_TRUE(h.input.running());
    EXPECT_EQ(h.input.start({InputKind::None, 1, "", InputMerge::Htp}), "");
    EXPECT_FALSE(h.input.running());
    EXPECT_EQ(h.input.current().merge, InputMerge::Htp);
    EXPECT_EQ(told, std::vector<int>{-1});
}

TEST(InputSettings, RoundTripAndValuesOutOfRangeFallBack)
{
    testing::FakeSettingsStore store;
    const InputSettings fresh = loadInputSettings(store);
    EXPECT_EQ(fresh, InputSettings{});

    for (const InputSettings& settings : {InputSettings{InputKind::Sacn, 63999, "192.0.2.4", InputMerge::Ltp},
                                          InputSettings{InputKind::ArtNet, 0, "", InputMerge::InputFirst},
                                          InputSettings{InputKind::None, 5, "", InputMerge::Htp}}) {
        storeInputSettings(store, settings);
        EXPECT_EQ(loadInputSettings(store), settings);
    }
    EXPECT_EQ(store.values["TINCTARA/Input/Kind"], "none");
    EXPECT_EQ(store.values["TINCTARA/Input/Merge"], "htp");

    struct Bad {
        const char* key;
        const char* value;
    };
    for (const Bad& bad : {Bad{"Kind", "dmx"}, Bad{"Universe", "0"}, Bad{"Universe", "64000"}, Bad{"Universe", "1x"},
                           Bad{"ListenAddress", "localhost"}, Bad{"Merge", "max"}}) {
        SCOPED_TRACE(std::string(bad.key) + "=" + bad.value);
        testing::FakeSettingsStore broken;
        broken.values["TINCTARA/Input/Kind"] = "sacn";
        broken.values[std::string("TINCTARA/Input/") + bad.key] = bad.value;
        InputSettings expected;
        expected.kind = std::string(bad.key) == "Kind" ? InputKind::None : InputKind::Sacn;
        EXPECT_EQ(loadInputSettings(broken), expected);
    }
    testing::FakeSettingsStore artNet;
    artNet.values["TINCTARA/Input/Kind"] = "artnet";
    artNet.values["TINCTARA/Input/Universe"] = "40000";
    EXPECT_EQ(loadInputSettings(artNet).universe, 1) << "beyond the 15-bit port-address";
}

}  // namespace
}  // namespace tinctara
