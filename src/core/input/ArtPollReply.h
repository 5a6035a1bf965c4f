#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tinctara {

inline constexpr std::string_view ArtNetShortName = "Tinctara";
inline constexpr std::string_view ArtNetLongName = "Tinctara DMX-Eingang";

struct ArtPollReplySetup {
    std::array<std::uint8_t, 4> ipAddress{};  // as on the wire: 192, 168, ...
    int portAddress = 0;                      // the universe we take in
    std::uint16_t firmwareVersion = 0;        // major in the high byte, minor in the low
    std::array<std::uint8_t, 6> mac{};        // zeros: not known
};

// Our answer to an ArtPoll: a node with one port taking in DMX512 on the
// setup's port-address. The fixed fields are written once; each reply
// patches whether data is arriving and the node report's counter.
class ArtPollReplyPacket {
public:
    static constexpr std::size_t Size = 239;
    using Bytes = std::array<std::uint8_t, Size>;

    explicit ArtPollReplyPacket(const ArtPollReplySetup& setup);

    // `live`: a sender's ArtDmx for our universe has arrived lately.
    const Bytes& reply(bool live);

private:
    Bytes bytes_{};
    unsigned replies_ = 0;
};

}  // namespace tinctara
