// libdmxcrd32.so on the virtual hardware: a PCMCIA/PCI DMX card that keeps
// what it is sent, for the program's monitor and the tests to read back.
#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>

#define CARD_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Universe {
    std::array<std::uint32_t, 512> levels{};
    std::int32_t sends = 0;
    std::int32_t lastHandle = 0;
};

std::mutex cardLock;
std::array<Universe, 2> universes;

std::int32_t send(int universe, const std::int32_t* handle, const std::uint32_t* levels)
{
    if (!handle || !levels)
        return 0;
    std::lock_guard guard(cardLock);
    Universe& u = universes[universe];
    std::copy_n(levels, u.levels.size(), u.levels.begin());
    u.lastHandle = *handle;
    ++u.sends;
    return 1;
}

}  // namespace

// The card handle by reference and 512 levels (32 bits each, 0..255).
CARD_EXPORT std::int32_t DMXSEND(std::int32_t* handle, const std::uint32_t* levels) { return send(0, handle, levels); }

CARD_EXPORT std::int32_t DMXSEND2(std::int32_t* handle, const std::uint32_t* levels) { return send(1, handle, levels); }

// Read-back of what DMXSEND (universe 1) or DMXSEND2 (universe 2) was given
// last: copies up to size levels, and returns the number of sends; the handle
// passed last through *handle. -1 for a universe that does not exist.
CARD_EXPORT std::int32_t VirtualCardLibraryFrame(std::int32_t universe, std::uint32_t* out, std::int32_t size,
                                                 std::int32_t* handle)
{
    if (universe < 1 || universe > 2)
        return -1;
    std::lock_guard guard(cardLock);
    const Universe& u = universes[universe - 1];
    if (out && size > 0)
        std::copy_n(u.levels.begin(), std::min<std::int32_t>(size, 512), out);
    if (handle)
        *handle = u.lastHandle;
    return u.sends;
}
