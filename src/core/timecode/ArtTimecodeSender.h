#pragma once

#include "dmx/NetworkPackets.h"
#include "net/UdpListener.h"
#include "timecode/ArtTimecode.h"

#include <cstdint>
#include <string>

namespace tinctara {

// Sends Art-Net timecode (OpTimeCode) from a socket of its own, to one
// address or as a broadcast. Used on the UI thread; never blocks.
class ArtTimecodeSender {
public:
    // `target` as TimecodeSettings::artNetTarget (empty: broadcast). Empty
    // when the socket is open, else why not (German). Opens anew when open.
    std::string open(const std::string& target, std::uint16_t port = ArtNetPort);
    void close() { socket_.close(); }
    bool isOpen() const { return socket_.isOpen(); }
    // The local port it sends from; 0 while closed.
    std::uint16_t localPort() const { return socket_.port(); }

    // Nothing while closed; what the system cannot take now is dropped.
    void send(const ArtTimecode& time);

private:
    UdpListener socket_;
    std::uint32_t address_ = 0;
    std::uint16_t port_ = ArtNetPort;
};

}  // namespace tinctara
