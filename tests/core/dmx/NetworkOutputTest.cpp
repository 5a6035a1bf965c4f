#include "core/dmx/RegistryHarness.h"
#include "dmx/NetworkOutput.h"
#include "engine/OutputEngine.h"
#include "net/UdpSocket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tinctara {
namespace {

class RecordingSocket : public DatagramSocket {
public:
    bool open(std::uint32_t to, std::uint16_t toPort, std::string& error) override
    {
        if (refuse) {
            error = "refused";
            return false;
        }
        address = to;
        port = toPort;
        opened = true;
        return true;
    }
    bool send(const std::uint8_t* data, std::size_t size) override
    {
        if (opened)
            packets.emplace_back(data, data + size);
        return opened;
    }
    void close() override { opened = false; }
    std::uint32_t directedBroadcast() override { return broadcast; }

    std::vector<std::vector<std::uint8_t>> packets;
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    std::uint32_t broadcast = 0;
    bool opened = false;
    bool refuse = false;
};

NetworkDmxSettings settingsFor(std::string destination, int universe)
{
    NetworkDmxSettings settings;
    settings.destination = std::move(destination);
    settings.universe = universe;
    return settings;
}

TEST(NetworkOutput, DestinationByKindAndSetting)
{
    struct Case {
        InterfaceKind type;
        std::string destination;
        int universe;
        std::uint32_t broadcast;
        std::uint32_t expected;  // 0: refused
        std::uint16_t port;
    };
    const Case cases[] = {
        {Interface::SacnNetwork, "", 1, 0, 0xEFFF0001, 5568},
        {Interface::SacnNetwork, "", 0x0203, 0, 0xEFFF0203, 5568},
        {Interface::SacnNetwork, "127.0.0.1", 7, 0, 0x7F000001, 5568},
        {Interface::ArtNetNetwork, "", 2, 0x0AFFFFFF, 0x0AFFFFFF, 6454},
        {Interface::ArtNetNetwork, "", 2, 0, 0, 0},  // no network to broadcast on
        {Interface::ArtNetNetwork, "127.0.0.2", 2, 0, 0x7F000002, 6454},
        {Interface::SacnNetwork, "", 0, 0, 0, 0},
        {Interface::SacnNetwork, "", 64000, 0, 0, 0},
        {Interface::ArtNetNetwork, "", 32768, 0x0AFFFFFF, 0, 0},
        {Interface::SacnNetwork, "256.1.1.1", 1, 0, 0, 0},
        {Interface::SacnNetwork, "1.2.3", 1, 0, 0, 0},
        {Interface::SacnNetwork, "0.0.0.0", 1, 0, 0, 0},
        {Interface::SacnNetwork, "1.2.3.4 ", 1, 0, 0, 0},
    };
    for (const auto& c : cases) {
        RecordingSocket socket;
        socket.broadcast = c.broadcast;
        NetworkOutput output(socket);
        std::string error;
        const bool opened = output.open(c.type, settingsFor(c.destination, c.universe), error);
        EXPECT_EQ(opened, c.expected != 0) << c.destination << " " << c.universe;
        EXPECT_EQ(error.empty(), opened) << error;
        EXPECT_EQ(socket.address, c.expected) << c.destination << " " << c.universe;
        EXPECT_EQ(socket.port, c.port);
        EXPECT_EQ(output.openType(), opened ? c.type : Interface::NoInterface);
    }
}

TEST(NetworkOutput, SacnStreamEndsWithThreeTerminatedPackets)
{
    for (const bool byDestructor : {false, true}) {
        RecordingSocket socket;
        {
            NetworkOutput output(socket);
            std::string error;
            ASSERT_TRUE(output.open(Interface::SacnNetwork, settingsFor("127.0.0.1", 1), error));
            std::array<std::uint8_t, 512> slots{};
            slots[0] = 9;
            output.sendDmx(slots.data());
            output.sendDmx(slots.data());
            if (!byDestructor)
                output.close();
            output.sendDmx(slots.data());  // after the end: nothing more goes out
        }
        ASSERT_EQ(socket.packets.size(), byDestructor ? 6u : 5u);
        std::vector<int> sequences, options;
        for (const auto& packet : socket.packets) {
            sequences.push_back(packet[111]);
            options.push_back(packet[112]);
        }
        const std::size_t ends = byDestructor ? 3 : 2;
        for (std::size_t i = 0; i < socket.packets.size(); ++i) {
            EXPECT_EQ(sequences[i], static_cast<int>(i));
            EXPECT_EQ(options[i], i < ends ? 0 : 0x40);
            EXPECT_EQ(socket.packets[i][126], 9);
        }
        EXPECT_FALSE(socket.opened);
    }
}

TEST(NetworkOutput, ArtNetStreamHasNoTermination)
{
    RecordingSocket socket;
    NetworkOutput output(socket);
    std::string error;
    ASSERT_TRUE(output.open(Interface::ArtNetNetwork, settingsFor("127.0.0.1", 0x0102), error));
    std::array<std::uint8_t, 512> slots{};
    output.sendDmx(slots.data());
    output.close();
    ASSERT_EQ(socket.packets.size(), 1u);
    EXPECT_EQ(socket.packets[0].size(), 530u);
    EXPECT_EQ(socket.packets[0][14], 0x02);
    EXPECT_EQ(socket.packets[0][15], 0x01);
}

TEST(NetworkSettings, StoredBesideTheTypeWithACidMadeOnce)
{
    testing::FakeSettingsStore store;
    const NetworkDmxSettings first = readNetworkSettings(store, Interface::SacnNetwork);
    EXPECT_TRUE(store.values.empty()) << "reading stores nothing";
    const Cid cid = installationCid(store);
    EXPECT_EQ(first.universe, 1);
    EXPECT_EQ(first.priority, 100);
    EXPECT_EQ(first.destination, "");
    const std::string storedCid = store.values["TINCTARA/Interface/SacnCid"];
    ASSERT_EQ(storedCid.size(), 36u);
    EXPECT_EQ(parseCid(storedCid), cid);
    EXPECT_EQ(installationCid(store), cid) << "kept, not made again";

    NetworkDmxSettings changed = first;
    changed.destination = "127.0.0.1";
    changed.universe = 12;
    changed.priority = 50;
    changed.sourceName = "Bühne";
    writeNetworkSettings(store, Interface::SacnNetwork, changed);
    const NetworkDmxSettings back = readNetworkSettings(store, Interface::SacnNetwork);
    EXPECT_EQ(back.destination, "127.0.0.1");
    EXPECT_EQ(back.universe, 12);
    EXPECT_EQ(back.priority, 50);
    EXPECT_EQ(back.sourceName, "Bühne");
    EXPECT_EQ(installationCid(store), cid);

    EXPECT_EQ(readNetworkSettings(store, Interface::ArtNetNetwork).universe, 0);
    store.values["TINCTARA/Interface/ArtNetUniverse"] = "zwei";
    EXPECT_FALSE(
        checkNetworkSettings(Interface::ArtNetNetwork, readNetworkSettings(store, Interface::ArtNetNetwork)).empty())
        << "a universe that is no number is refused, not taken as 0";
    store.values["TINCTARA/Interface/SacnCid"] = "not a cid";
    EXPECT_NE(installationCid(store), cid) << "a damaged CID is made anew";
}

struct NetworkHarness : testing::RegistryHarness {
    NetworkHarness() { settings.values["TINCTARA/Interface/SacnDestination"] = "127.0.0.1"; }
    RecordingSocket socket;
    NetworkOutput output{socket};
    testing::FakeSettingsStore settings;
    InterfaceRegistry networkRegistry{
        model, view, user, timer, messages, InterfaceHardware{bus, usb, clock, folder.string(), &output, &settings}};
    testing::RecordingCardLibrary cardLibrary;
    OutputEngine engine{model, view, timer, OutputDevices{bus, usb, cardLibrary, &output}};
};

TEST(NetworkInterfaces, OpenPortOpensTheStoredSettings)
{
    struct Case {
        InterfaceKind type;
        std::string key, value;
        bool present;
        std::string status;
    };
    const Case cases[] = {
        {Interface::SacnNetwork, "SacnUniverse", "3", true, "TINCTARA: sACN (E1.31) Universe 3 -> 127.0.0.1 opened"},
        {Interface::SacnNetwork, "SacnPriority", "201", false,
         "sACN (E1.31) Interface not ready: sACN-Priorität muss zwischen 0 und 200 liegen"},
        {Interface::ArtNetNetwork, "ArtNetDestination", "127.0.0.1", true,
         "TINCTARA: Art-Net Port-Address 0:0:0 -> 127.0.0.1 opened"},
        {Interface::ArtNetNetwork, "ArtNetUniverse", "291", false,
         "Art-Net Interface not ready: kein Netzwerk mit Broadcast-Adresse; bitte eine Zieladresse eintragen"},
    };
    for (const auto& c : cases) {
        NetworkHarness h;
        h.settings.values["TINCTARA/Interface/" + c.key] = c.value;
        h.networkRegistry.OpenPort(c.type);
        EXPECT_EQ(h.networkRegistry.isPresent(c.type), c.present) << c.key;
        EXPECT_EQ(h.networkRegistry.statusText(c.type), c.status);
        EXPECT_EQ(h.timer.enabled, c.present);
        EXPECT_EQ(h.view.lastTitle(),
                  c.present ? "Linux:  QOR DMX TINCTARA" : "Linux: QOR DMX TINCTARA:  Interface Initialization failed");
    }
}

TEST(NetworkInterfaces, TicksSendTheFrameAndClosingEndsTheStream)
{
    NetworkHarness h;
    h.networkRegistry.OpenPort(Interface::SacnNetwork);
    h.model.InterfaceType = Interface::SacnNetwork;
    h.model.ElementCount = 1;
    h.model.patch(1, Red) = 1;
    h.model.patch(1, White) = 512;
    h.model.colour(Red, 1) = 200;
    h.model.colour(White, 1) = 17;
    for (int tick = 0; tick < 3; ++tick)
        h.engine.AutoXmit();
    ASSERT_EQ(h.socket.packets.size(), 3u) << "one packet per tick";
    EXPECT_EQ(h.socket.packets[2][126], 200);
    EXPECT_EQ(h.socket.packets[2][126 + 511], 17);
    Cid sent{};
    std::copy_n(h.socket.packets[0].begin() + 22, sent.size(), sent.begin());
    EXPECT_EQ(parseCid(h.settings.values["TINCTARA/Interface/SacnCid"]), sent) << "the installation's CID";

    h.networkRegistry.ClosePort(Interface::ArtNetNetwork);
    EXPECT_EQ(h.socket.packets.size(), 3u) << "another kind's close leaves the stream alone";
    h.networkRegistry.ClosePort(Interface::SacnNetwork);
    ASSERT_EQ(h.socket.packets.size(), 6u);
    EXPECT_EQ(h.socket.packets[5][112], 0x40);
    EXPECT_FALSE(h.networkRegistry.isPresent(Interface::SacnNetwork));
    h.engine.AutoXmit();
    EXPECT_EQ(h.socket.packets.size(), 6u);
}

// The real socket, sending to a receiver of this test on the loopback address.
TEST(UdpSocket, DeliversOnLoopback)
{
    const int receiver = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(receiver, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof local;
    ASSERT_EQ(::bind(receiver, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    ASSERT_EQ(::getsockname(receiver, reinterpret_cast<sockaddr*>(&local), &length), 0);

    UdpSocket socket;
    std::string error;
    ASSERT_TRUE(socket.open(0x7F000001, ntohs(local.sin_port), error)) << error;
    const std::uint8_t datagram[] = {1, 2, 3};
    EXPECT_TRUE(socket.send(datagram, sizeof datagram));
    pollfd ready{receiver, POLLIN, 0};
    ASSERT_EQ(::poll(&ready, 1, 2000), 1);
    std::uint8_t received[8] = {};
    EXPECT_EQ(::recv(receiver, received, sizeof received, 0), 3);
    EXPECT_EQ(received[2], 3);
    socket.close();
    EXPECT_FALSE(socket.send(datagram, sizeof datagram));
    ::close(receiver);
}

}  // namespace
}  // namespace tinctara
