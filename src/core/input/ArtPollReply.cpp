#include "input/ArtPollReply.h"

#include "dmx/ArtNetLayout.h"
#include "dmx/NetworkPackets.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tinctara {

namespace {

namespace Reply {
constexpr std::size_t IpAddress = 10;
constexpr std::size_t Port = 14;
constexpr std::size_t Version = 16;
constexpr std::size_t NetSwitch = 18;
constexpr std::size_t SubSwitch = 19;
constexpr std::size_t Status1 = 23;
constexpr std::size_t ShortName = 26;
constexpr std::size_t ShortNameSize = 18;
constexpr std::size_t LongName = 44;
constexpr std::size_t LongNameSize = 64;
constexpr std::size_t NodeReport = 108;
constexpr std::size_t NodeReportSize = 64;
constexpr std::size_t NumPorts = 172;
constexpr std::size_t PortTypes = 174;
constexpr std::size_t GoodInput = 178;
constexpr std::size_t GoodOutputA = 182;
constexpr std::size_t SwIn = 186;
constexpr std::size_t SwOut = 190;
constexpr std::size_t Style = 200;
constexpr std::size_t Mac = 201;
constexpr std::size_t BindIp = 207;
constexpr std::size_t BindIndex = 211;
constexpr std::size_t Status2 = 212;

constexpr std::uint8_t IndicatorsNormal = 0xC0;
constexpr std::uint8_t AddressFromPanel = 0x10;  // set here, not by ArtAddress
constexpr std::uint8_t FifteenBitAddress = 0x08;
constexpr std::uint8_t StyleNode = 0x00;
// Input bit set for the universe we take; output bit set as well, since
// desks that unicast send ArtDmx only to nodes that output it.
constexpr std::uint8_t PortDmx512InOut = 0xC0;
constexpr std::uint8_t DataReceived = 0x80;
constexpr unsigned ReportPowerOk = 0x0001;
}  // namespace Reply

void putName(std::uint8_t* at, std::size_t size, std::string_view name)
{
    const std::size_t length = std::min(name.size(), size - 1);  // keeps the closing zero
    std::memcpy(at, name.data(), length);
}

}  // namespace

ArtPollReplyPacket::ArtPollReplyPacket(const ArtPollReplySetup& setup)
{
    using namespace Reply;
    std::uint8_t* b = bytes_.data();
    artnet::putHeader(b, artnet::OpPollReply);
    std::copy(setup.ipAddress.begin(), setup.ipAddress.end(), b + IpAddress);
    b[Port] = static_cast<std::uint8_t>(ArtNetPort & 0xFF);  // little-endian too
    b[Port + 1] = static_cast<std::uint8_t>(ArtNetPort >> 8);
    b[Version] = static_cast<std::uint8_t>(setup.firmwareVersion >> 8);
    b[Version + 1] = static_cast<std::uint8_t>(setup.firmwareVersion);
    const ArtNetAddress address = splitPortAddress(setup.portAddress);
    b[NetSwitch] = static_cast<std::uint8_t>(address.net);
    b[SubSwitch] = static_cast<std::uint8_t>(address.subNet);
    b[Status1] = IndicatorsNormal | AddressFromPanel;
    putName(b + ShortName, ShortNameSize, ArtNetShortName);
    putName(b + LongName, LongNameSize, ArtNetLongName);
    b[NumPorts + 1] = 1;
    b[PortTypes] = PortDmx512InOut;
    b[SwIn] = static_cast<std::uint8_t>(address.universe);
    b[SwOut] = static_cast<std::uint8_t>(address.universe);
    b[Style] = StyleNode;
    std::copy(setup.mac.begin(), setup.mac.end(), b + Mac);
    std::copy(setup.ipAddress.begin(), setup.ipAddress.end(), b + BindIp);
    b[BindIndex] = 1;
    b[Status2] = FifteenBitAddress;
}

const ArtPollReplyPacket::Bytes& ArtPollReplyPacket::reply(bool live)
{
    using namespace Reply;
    const std::uint8_t good = live ? DataReceived : 0;
    bytes_[GoodInput] = good;
    bytes_[GoodOutputA] = good;
    // "#0001 [count] text": the status code and how many replies we sent.
    char report[NodeReportSize];
    const int length = std::snprintf(report, sizeof report, "#%04x [%04u] %.*s", ReportPowerOk, replies_ % 10000,
                                     static_cast<int>(ArtNetShortName.size()), ArtNetShortName.data());
    std::fill_n(bytes_.data() + NodeReport, NodeReportSize, 0);
    std::memcpy(bytes_.data() + NodeReport, report, static_cast<std::size_t>(std::clamp(length, 0, 63)));
    ++replies_;
    return bytes_;
}

}  // namespace tinctara
