#include "timecode/ArtTimecodeListener.h"

#include "net/LocalAddresses.h"

#include <algorithm>
#include <cerrno>

namespace tinctara {

std::string ArtTimecodeListener::open(std::uint16_t port)
{
    socket_.close();
    if (const int error = socket_.open(0, port, {.shareAddress = true, .broadcast = true})) {
        const std::string where = "Art-Net-Timecode: Der Port " + std::to_string(port);
        return where + (error == EADDRINUSE ? " ist belegt: " : " kann nicht geöffnet werden: ") + systemReason(error) +
               ".";
    }
    return {};
}

void ArtTimecodeListener::ignoreOwnPort(std::uint16_t port)
{
    ownPort_ = port;
    ownAddresses_.clear();
    for (const LocalAddress& local : localAddresses())
        ownAddresses_.push_back(local.address);
}

void ArtTimecodeListener::readable(double nowMs)
{
    for (int i = 0; i < DatagramsPerWake; ++i) {
        const auto datagram = socket_.receive(buffer_);
        if (!datagram)
            return;
        const bool own = ownPort_ != 0 && datagram->fromPort == ownPort_ &&
                         std::find(ownAddresses_.begin(), ownAddresses_.end(), datagram->from) != ownAddresses_.end();
        if (datagram->size <= buffer_.size() && !own)
            receiver_.artNetDatagram(std::span<const std::uint8_t>(buffer_.data(), datagram->size), nowMs);
    }
}

}  // namespace tinctara
