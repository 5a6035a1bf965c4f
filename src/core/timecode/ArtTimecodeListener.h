#pragma once

#include "dmx/NetworkPackets.h"
#include "net/UdpListener.h"
#include "timecode/TimecodeReceiver.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tinctara {

// Art-Net timecode heard on the Art-Net port, on every address (broadcasts
// reach only such a socket), shared with the DMX input's listener. Read by
// the thread that watches the descriptor; every OpTimeCode goes to the
// receiver with the time it was read.
class ArtTimecodeListener {
public:
    static constexpr int DatagramsPerWake = 64;

    explicit ArtTimecodeListener(TimecodeReceiver& receiver) : receiver_(receiver) {}

    // Empty, or why the port cannot be listened on (German).
    std::string open(std::uint16_t port = ArtNetPort);
    void close() { socket_.close(); }
    bool isOpen() const { return socket_.isOpen(); }
    int descriptor() const { return socket_.descriptor(); }
    std::uint16_t port() const { return socket_.port(); }

    // Takes the datagrams waiting; `nowMs`: the monotonic time now.
    void readable(double nowMs);
    // Our own timecode sent from this local port is not followed (0: none).
    void ignoreOwnPort(std::uint16_t port);

private:
    TimecodeReceiver& receiver_;
    UdpListener socket_;
    std::array<std::uint8_t, 600> buffer_{};
    std::uint16_t ownPort_ = 0;
    std::vector<std::uint32_t> ownAddresses_;  // this machine's, when the port was set
};

}  // namespace tinctara
