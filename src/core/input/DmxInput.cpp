#include "input/DmxInput.h"

#include "dmx/NetworkOutput.h"
#include "input/ArtNetInput.h"
#include "input/ArtPollReply.h"
#include "input/SacnSources.h"
#include "net/LocalAddresses.h"
#include "net/UdpListener.h"
#include "text/Text.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <variant>

namespace tinctara {

namespace {

constexpr const char* Application = "TINCTARA";
constexpr const char* Section = "Input";

// As the store keeps them, in the enums' order.
constexpr std::string_view KindNames[] = {"none", "sacn", "artnet"};
constexpr std::string_view MergeNames[] = {"off", "htp", "ltp", "input-first"};

template <typename Enum, std::size_t Count>
Enum named(const std::string& text, const std::string_view (&names)[Count], Enum fallback)
{
    const auto found = std::find(std::begin(names), std::end(names), text);
    return found == std::end(names) ? fallback : static_cast<Enum>(found - std::begin(names));
}

// Neither protocol sends a datagram longer than an E1.31 data packet; the
// byte beyond it shows that one was longer.
constexpr std::size_t DatagramLimit = SacnPacket::Size + 1;

std::uint16_t firmwareVersion() { return TINCTARA_VERSION_MAJOR << 8 | TINCTARA_VERSION_MINOR; }

std::array<std::uint8_t, 4> wireAddress(std::uint32_t address)
{
    return {static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
            static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
}

}  // namespace

std::string_view inputMergeName(InputMerge merge)
{
    switch (merge) {
    case InputMerge::Off:
        return "Aus";
    case InputMerge::Htp:
        return "HTP";
    case InputMerge::Ltp:
        return "LTP";
    case InputMerge::InputFirst:
        return "Eingang vor Programm";
    }
    return "Aus";
}

InputSettings loadInputSettings(SettingsStore& store)
{
    InputSettings settings;
    settings.kind = named(store.read(Application, Section, "Kind", ""), KindNames, settings.kind);
    const int highest = settings.kind == InputKind::ArtNet ? ArtNetLastPortAddress : SacnLastUniverse;
    const int lowest = settings.kind == InputKind::Sacn ? SacnFirstUniverse : 0;
    settings.universe =
        numberInRange(store.read(Application, Section, "Universe", ""), lowest, highest).value_or(settings.universe);
    const std::string address = store.read(Application, Section, "ListenAddress", "");
    if (parseIpv4(address))
        settings.listenAddress = address;
    settings.merge = named(store.read(Application, Section, "Merge", ""), MergeNames, settings.merge);
    return settings;
}

void storeInputSettings(SettingsStore& store, const InputSettings& settings)
{
    store.write(Application, Section, "Kind", std::string(KindNames[static_cast<std::size_t>(settings.kind)]));
    store.write(Application, Section, "Universe", std::to_string(settings.universe));
    store.write(Application, Section, "ListenAddress", settings.listenAddress);
    store.write(Application, Section, "Merge", std::string(MergeNames[static_cast<std::size_t>(settings.merge)]));
}

struct DmxInputService::State {
    explicit State(Services s) : services(s) {}

    void take(const ReceivedDatagram& datagram, std::int64_t nowMs);
    void takeSacn(std::span<const std::uint8_t> data, std::int64_t nowMs);
    void takeArtNet(std::span<const std::uint8_t> data, const ReceivedDatagram& datagram, std::int64_t nowMs);
    bool fromOwnOutput(const ReceivedDatagram& datagram) const;
    void rewrite(std::int64_t nowMs);
    void publish(std::size_t covered, bool live);

    Services services;
    InputSettings settings;
    UdpListener socket;
    std::optional<SacnSources> sacn;
    std::optional<ArtNetInput> artNet;
    std::optional<ArtPollReplyPacket> pollReply;
    std::uint32_t listen = 0;                 // the arrival address taken; 0: every one
    std::vector<std::uint32_t> ownAddresses;  // this machine's, as at start
    std::int64_t startedMs = 0;
    DmxInputFrame frame;
    InputCounters counters;
    std::function<void(int)> descriptorChanged;
    std::array<std::uint8_t, DatagramLimit> in{};
    std::array<std::uint8_t, NetworkSlots> levels{};  // the next frame's, compared with the frame's
};

DmxInputService::DmxInputService(Services services) : state_(std::make_unique<State>(services)) {}
DmxInputService::~DmxInputService() = default;

std::string DmxInputService::start(const InputSettings& settings)
{
    stop();
    State& s = *state_;
    s.settings = settings;
    if (settings.kind == InputKind::None)
        return {};
    const bool sacn = settings.kind == InputKind::Sacn;

    NetworkDmxSettings range;
    range.universe = settings.universe;
    if (const std::string wrong = checkNetworkSettings(sacn ? Interface::SacnNetwork : Interface::ArtNetNetwork, range);
        !wrong.empty())
        return wrong + ".";
    const std::vector<LocalAddress> locals = localAddresses();
    std::uint32_t listen = 0;
    if (!settings.listenAddress.empty()) {
        const auto address = parseIpv4(settings.listenAddress);
        if (!address)
            return "\"" + settings.listenAddress + "\" ist keine IPv4-Adresse.";
        if (std::none_of(locals.begin(), locals.end(), [&](const LocalAddress& l) { return l.address == *address; }))
            return "Die Adresse " + settings.listenAddress + " gehört zu keinem Netzwerk dieses Rechners.";
        listen = *address;
    }

    // Bound to every address: broadcasts and multicast reach only such a
    // socket. The listen address chooses the interface by where a datagram
    // came in instead.
    const std::uint16_t port = sacn ? s.services.sacnPort : s.services.artNetPort;
    if (const int error = s.socket.open(0, port, {.shareAddress = true, .broadcast = !sacn})) {
        const std::string where = "Der Port " + std::to_string(port);
        return where + (error == EADDRINUSE ? " ist belegt: " : " kann nicht geöffnet werden: ") + systemReason(error) +
               ".";
    }
    if (sacn) {
        const std::uint32_t group = sacnMulticastAddress(settings.universe);
        if (const int error = s.socket.join(group, listen)) {
            s.socket.close();
            return "Der Multicast-Gruppe " + ipv4Text(group) +
                   " kann nicht beigetreten werden: " + systemReason(error) + ".";
        }
        s.sacn.emplace(settings.universe);
    } else {
        s.artNet.emplace(settings.universe);
        // The reply names where we listen, else the first address a desk can reach.
        std::uint32_t replyAddress = listen;
        if (!replyAddress && !locals.empty()) {
            const auto outside =
                std::find_if(locals.begin(), locals.end(), [](const LocalAddress& l) { return !l.loopback; });
            replyAddress = (outside != locals.end() ? *outside : locals.front()).address;
        }
        s.pollReply.emplace(ArtPollReplySetup{wireAddress(replyAddress), settings.universe, firmwareVersion(), {}});
    }
    s.listen = listen;
    s.ownAddresses.clear();
    for (const LocalAddress& local : locals)
        s.ownAddresses.push_back(local.address);
    s.counters = {};
    s.startedMs = s.services.clock.monotonicMilliseconds();
    s.publish(0, false);
    if (s.descriptorChanged)
        s.descriptorChanged(s.socket.descriptor());
    return {};
}

void DmxInputService::stop()
{
    State& s = *state_;
    const bool wasOpen = s.socket.isOpen();
    s.socket.close();
    s.sacn.reset();
    s.artNet.reset();
    s.pollReply.reset();
    s.publish(0, false);
    if (wasOpen && s.descriptorChanged)
        s.descriptorChanged(-1);
}

void DmxInputService::ignoreOwnCid(const Cid& cid) { state_->services.ownCid = cid; }

bool DmxInputService::running() const { return state_->socket.isOpen(); }
const InputSettings& DmxInputService::current() const { return state_->settings; }
int DmxInputService::descriptor() const { return state_->socket.descriptor(); }
std::uint16_t DmxInputService::port() const { return state_->socket.port(); }

void DmxInputService::onDescriptorChange(std::function<void(int)> changed)
{
    state_->descriptorChanged = std::move(changed);
}

void DmxInputService::readable()
{
    State& s = *state_;
    if (!s.socket.isOpen())
        return;
    const std::int64_t now = s.services.clock.monotonicMilliseconds();
    std::size_t taken = 0;
    // A flood must not hold the window: what is left waits for the next
    // wake-up, which comes at once, after the events queued meanwhile.
    for (; taken < DatagramsPerWake; ++taken) {
        const auto datagram = s.socket.receive(s.in);
        if (!datagram)
            break;
        ++s.counters.received;
        s.take(*datagram, now);
    }
    if (taken > 0)
        s.rewrite(now);
}

void DmxInputService::expire()
{
    State& s = *state_;
    if (!s.socket.isOpen())
        return;
    const std::int64_t now = s.services.clock.monotonicMilliseconds();
    if (s.sacn)
        s.sacn->expire(now);
    s.rewrite(now);
}

const DmxInputFrame& DmxInputService::frame() const { return state_->frame; }

std::vector<InputSourceRow> DmxInputService::sources() const
{
    const State& s = *state_;
    const std::int64_t now = s.services.clock.monotonicMilliseconds();
    std::vector<InputSourceRow> rows;
    if (s.sacn)
        for (const SacnSource& source : s.sacn->sources())
            rows.push_back({std::string(source.name()), source.priority(), source.packetsPerSecond(now)});
    if (s.artNet) {
        const ArtNetLive senders = s.artNet->live(now);
        for (const ArtNetSourceInfo& source : senders.view())
            rows.push_back({ipv4Text(source.address), -1, source.packetsPerSecond});
    }
    return rows;
}

InputCounters DmxInputService::counters() const { return state_->counters; }

void DmxInputService::State::take(const ReceivedDatagram& datagram, std::int64_t nowMs)
{
    // A datagram longer than the buffer is none of ours; one that came in on
    // another interface than the chosen one is not for us.
    if (datagram.size > in.size() || (listen && datagram.arrivedAt != listen)) {
        ++counters.dropped;
        return;
    }
    const std::span<const std::uint8_t> data{in.data(), datagram.size};
    if (sacn)
        takeSacn(data, nowMs);
    else if (fromOwnOutput(datagram))
        ++counters.own;
    else
        takeArtNet(data, datagram, nowMs);
}

void DmxInputService::State::takeSacn(std::span<const std::uint8_t> data, std::int64_t nowMs)
{
    const SacnDecoded decoded = decodeSacn(data);
    if (decoded.drop) {
        // Synchronisation and discovery packets are a desk's ordinary traffic.
        if (*decoded.drop != SacnDrop::Extended)
            ++counters.dropped;
        return;
    }
    if (services.ownCid && decoded.data.cid == *services.ownCid) {
        ++counters.own;
        return;
    }
    switch (sacn->receive(decoded.data, nowMs)) {
    case SacnOutcome::Taken:
        ++counters.taken;
        break;
    case SacnOutcome::Ended:
        break;
    default:
        ++counters.dropped;
    }
}

void DmxInputService::State::takeArtNet(std::span<const std::uint8_t> data, const ReceivedDatagram& datagram,
                                        std::int64_t nowMs)
{
    const ArtNetDecoded decoded = decodeArtNet(data);
    if (const auto* dmx = std::get_if<ArtNetDmx>(&decoded)) {
        if (artNet->take(*dmx, datagram.from, nowMs) == ArtNetVerdict::Taken)
            ++counters.taken;
        else
            ++counters.dropped;
    } else if (const auto* poll = std::get_if<ArtNetPoll>(&decoded)) {
        if (!answersPoll(*poll, artNet->portAddress()))
            return;
        const auto& reply = pollReply->reply(artNet->live(nowMs).count > 0);
        socket.sendTo(datagram.from, socket.port(), reply);
        ++counters.pollsAnswered;
    } else if (std::get<ArtNetDrop>(decoded) != ArtNetDrop::UnknownOpcode) {
        // Other nodes' replies, syncs and the like are ordinary traffic.
        ++counters.dropped;
    }
}

// Our own ArtDmx broadcast comes back to us; a desk on this machine sends
// from a port of its own, so the port tells them apart.
bool DmxInputService::State::fromOwnOutput(const ReceivedDatagram& datagram) const
{
    if (!services.ownOutput || services.ownOutput->localPort() == 0 ||
        datagram.fromPort != services.ownOutput->localPort())
        return false;
    return std::find(ownAddresses.begin(), ownAddresses.end(), datagram.from) != ownAddresses.end();
}

void DmxInputService::State::rewrite(std::int64_t nowMs)
{
    std::size_t covered = 0;
    bool live = false;
    if (sacn && sacn->live() && nowMs - startedMs >= SamplingMs) {
        sacn->merged(levels);
        const auto sources = sacn->sources();
        const int highest =
            std::max_element(sources.begin(), sources.end(), [](const SacnSource& a, const SacnSource& b) {
                return a.priority() < b.priority();
            })->priority();
        for (const SacnSource& source : sources)
            if (source.priority() == highest)
                covered = std::max(covered, source.levels().size());
        live = true;
    } else if (artNet) {
        const ArtNetLive senders = artNet->live(nowMs);
        artNet->merged(levels, nowMs);
        for (const ArtNetSourceInfo& sender : senders.view())
            covered = std::max(covered, sender.slots);
        live = senders.count > 0;
    }
    publish(covered, live);
}

// The frame takes `levels` (all 0 when nothing is live); its version counts
// only changes, so readers compare it instead of 512 levels.
void DmxInputService::State::publish(std::size_t covered, bool live)
{
    if (!live) {
        levels.fill(0);
        covered = 0;
    }
    if (levels == frame.levels && covered == frame.covered && live == frame.live)
        return;
    frame.levels = levels;
    frame.covered = covered;
    frame.live = live;
    ++frame.version;
}

}  // namespace tinctara
