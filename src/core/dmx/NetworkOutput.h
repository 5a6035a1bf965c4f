#pragma once

#include "dmx/NetworkPackets.h"
#include "model/ShowFlags.h"
#include "platform/Environment.h"
#include "platform/Network.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tinctara {

// What the user set for a network kind, kept in the per-user settings store
// beside "Type".
struct NetworkDmxSettings {
    std::string destination;           // IPv4 address; empty: the kind's default
    int universe = SacnFirstUniverse;  // sACN: 1..63999; Art-Net: the port-address 0..32767
    int priority = SacnDefaultPriority;
    std::string sourceName = "Tinctara";
    Cid cid{};  // sACN only; made once per installation
};

// The stored settings of a kind; the CID is left empty (see installationCid).
NetworkDmxSettings readNetworkSettings(SettingsStore& settings, InterfaceKind type);
// The sACN CID of this installation: made on first use and kept in the store.
Cid installationCid(SettingsStore& settings);
// Stores destination, universe, priority and source name; the CID is never rewritten.
void writeNetworkSettings(SettingsStore& settings, InterfaceKind type, const NetworkDmxSettings& values);
// Empty when the settings can be used, else what is wrong with them.
std::string checkNetworkSettings(InterfaceKind type, const NetworkDmxSettings& values);

std::optional<std::uint32_t> parseIpv4(std::string_view text);
std::string ipv4Text(std::uint32_t address);
std::string cidText(const Cid& cid);
std::optional<Cid> parseCid(std::string_view text);

// Sends the frames of the open network kind: one E1.31 or ArtDmx packet per
// call, from fixed buffers. Closing an sACN stream, and destroying an open
// one, sends the three stream-terminated packets receivers wait for.
class NetworkOutput : public NetworkDmxSender {
public:
    static constexpr int TerminationPackets = 3;

    explicit NetworkOutput(DatagramSocket& socket) : socket_(socket) {}
    ~NetworkOutput() override;
    NetworkOutput(const NetworkOutput&) = delete;
    NetworkOutput& operator=(const NetworkOutput&) = delete;

    // False with the reason in `error` when the settings or the system refuse.
    bool open(InterfaceKind type, const NetworkDmxSettings& settings, std::string& error);
    void close();

    // The open kind (0: none) and where its packets go.
    InterfaceKind openType() const { return type_; }
    std::uint32_t destination() const { return destination_; }

    void sendDmx(const std::uint8_t* slots) override;

private:
    DatagramSocket& socket_;
    InterfaceKind type_ = InterfaceKind::NoInterface;
    std::uint32_t destination_ = 0;
    SacnPacket sacn_;
    ArtDmxPacket artDmx_;
};

}  // namespace tinctara
