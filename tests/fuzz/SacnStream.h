// The sACN fuzzer's input: datagrams as they arrive, each led by the
// milliseconds since the one before (16 bits) and its length (16 bits), both
// big-endian. A length beyond the input takes what is left.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tinctara::fuzz {

struct SacnArrival {
    std::int64_t afterMs = 0;
    std::span<const std::uint8_t> datagram;
};

// Calls `take(arrival)` for each datagram of `stream`.
template <typename Take>
void readSacnStream(std::span<const std::uint8_t> stream, Take take)
{
    while (stream.size() >= 4) {
        const std::int64_t afterMs = stream[0] << 8 | stream[1];
        const std::size_t length = std::min<std::size_t>(stream[2] << 8 | stream[3], stream.size() - 4);
        take(SacnArrival{afterMs, stream.subspan(4, length)});
        stream = stream.subspan(4 + length);
    }
}

inline void appendSacnArrival(std::vector<std::uint8_t>& stream, int afterMs, std::span<const std::uint8_t> datagram)
{
    const std::uint8_t head[] = {static_cast<std::uint8_t>(afterMs >> 8), static_cast<std::uint8_t>(afterMs),
                                 static_cast<std::uint8_t>(datagram.size() >> 8),
                                 static_cast<std::uint8_t>(datagram.size())};
    stream.insert(stream.end(), std::begin(head), std::end(head));
    stream.insert(stream.end(), datagram.begin(), datagram.end());
}

}  // namespace tinctara::fuzz
