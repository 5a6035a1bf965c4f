#pragma once

#include "dmx/NetworkPackets.h"
#include "net/UdpSocket.h"
#include "platform/Clock.h"
#include "platform/Environment.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tinctara {

// Where a desk's universe comes in from.
enum class InputKind { None, Sacn, ArtNet };

// How the input meets the program's frame in the tick.
enum class InputMerge {
    Off,         // "Aus": the program alone, as without input
    Htp,         // "HTP": per channel the higher level
    Ltp,         // "LTP": per channel the source that changed it last
    InputFirst,  // "Eingang vor Programm": the input where a source is live
};
inline constexpr std::size_t InputMergeKinds = 4;
// The mode's name as the windows and the store show it.
std::string_view inputMergeName(InputMerge merge);

// Kept in the per-user settings store, group "Input"; TINCTARA.ini keeps its
// historic layout. Off until a kind is chosen.
struct InputSettings {
    InputKind kind = InputKind::None;
    int universe = 1;           // sACN 1..63999; Art-Net the 15-bit port-address 0..32767
    std::string listenAddress;  // the local IPv4 address to listen on; empty: every address
    InputMerge merge = InputMerge::Off;
    friend bool operator==(const InputSettings&, const InputSettings&) = default;
};

// Values out of range fall back to their defaults.
InputSettings loadInputSettings(SettingsStore& store);
void storeInputSettings(SettingsStore& store, const InputSettings& settings);

// The merged input universe as the tick, the wall and the recorder read it.
// Rewritten whenever a packet is taken or a source is lost.
struct DmxInputFrame {
    std::array<std::uint8_t, NetworkSlots> levels{};  // all 0 while nothing is live
    std::size_t covered = 0;                          // slots 1..covered came from a live source
    bool live = false;
    std::uint64_t version = 0;  // counts every change of levels, covered or live
};

// One live source, for the "DMX Eingang" window.
struct InputSourceRow {
    std::string name;   // sACN: the source name; Art-Net: the sender's address
    int priority = -1;  // sACN 0..200; Art-Net has none: -1
    int packetsPerSecond = 0;
    friend bool operator==(const InputSourceRow&, const InputSourceRow&) = default;
};

struct InputCounters {
    std::uint64_t received = 0;  // datagrams read
    std::uint64_t taken = 0;     // packets whose levels counted
    std::uint64_t dropped = 0;   // malformed, other universe, out of order, over rate, table full
    std::uint64_t pollsAnswered = 0;
    std::uint64_t own = 0;  // our own output come back, ignored
};

// A desk's universe over sACN or Art-Net: a non-blocking UDP socket read on
// the thread that owns the show (the program's UI thread, the CLI's loop)
// whenever its descriptor is readable.
class DmxInputService {
public:
    // Datagrams taken per readable(); the descriptor stays readable for the rest.
    static constexpr std::size_t DatagramsPerWake = 64;

    // A listener that has just started waits this long before the sACN
    // levels count, so that it knows every source and its priority first.
    static constexpr std::int64_t SamplingMs = 1500;

    struct Services {
        Clock& clock;  // its monotonic time: source loss and rates
        // The CID our own sACN output sends with (installationCid): its
        // packets coming back are not a desk's.
        std::optional<Cid> ownCid;
        // The socket our own network output sends from: Art-Net datagrams
        // from its port on this machine are not a desk's.
        const UdpSocket* ownOutput = nullptr;
        // The ports listened on; 0 takes a free one (tests).
        std::uint16_t sacnPort = SacnPort;
        std::uint16_t artNetPort = ArtNetPort;
    };

    explicit DmxInputService(Services services);
    ~DmxInputService();
    DmxInputService(const DmxInputService&) = delete;
    DmxInputService& operator=(const DmxInputService&) = delete;

    // Opens the socket for the settings' kind; "" or the reason it could not
    // (in German, for the window's status). Kind None stops.
    std::string start(const InputSettings& settings);
    void stop();
    // The CID our own sACN output sends with, once it is known (Services::ownCid).
    void ignoreOwnCid(const Cid& cid);
    bool running() const;
    const InputSettings& current() const;

    // The socket to watch for reading; -1 while stopped.
    int descriptor() const;
    // The port listened on; 0 while stopped.
    std::uint16_t port() const;
    // Called with the new descriptor (or -1) whenever start or stop changes it.
    void onDescriptorChange(std::function<void(int)> changed);

    // Takes the datagrams waiting (at most DatagramsPerWake).
    void readable();
    // Drops the sources that fell silent; before every tick.
    void expire();

    const DmxInputFrame& frame() const;
    std::vector<InputSourceRow> sources() const;
    InputCounters counters() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tinctara
