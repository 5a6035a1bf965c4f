#include "timecode/ArtTimecodeSender.h"

#include "timecode/TimecodeSettings.h"

namespace tinctara {

std::string ArtTimecodeSender::open(const std::string& target, std::uint16_t port)
{
    close();
    const auto address = artNetTimecodeAddress(target);
    if (!address)
        return "Art-Net-Timecode: " + target + " ist keine IPv4-Adresse.";
    // Any local port: the receivers listen on the Art-Net port, not we.
    if (const int error = socket_.open(0, 0, {.broadcast = true}))
        return "Art-Net-Timecode kann nicht gesendet werden: " + systemReason(error) + ".";
    address_ = *address;
    port_ = port;
    return {};
}

void ArtTimecodeSender::send(const ArtTimecode& time)
{
    const auto datagram = encodeArtTimecode(time);
    socket_.sendTo(address_, port_, datagram);
}

}  // namespace tinctara
