#include "control/OscService.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <span>
#include <string_view>

namespace tinctara {

namespace {

// Seconds from 1900, where OSC time tags count from, to 1970.
constexpr std::uint64_t UnixEpochInOscSeconds = 2208988800ULL;

OscTimeTag oscNow()
{
    using namespace std::chrono;
    const auto sinceEpoch = system_clock::now().time_since_epoch();
    const auto seconds = duration_cast<std::chrono::seconds>(sinceEpoch);
    const auto fraction = duration_cast<nanoseconds>(sinceEpoch - seconds).count();
    return (static_cast<std::uint64_t>(seconds.count()) + UnixEpochInOscSeconds) << 32 |
           (static_cast<std::uint64_t>(fraction) << 32) / 1000000000ULL;
}

std::optional<std::uint32_t> ipv4(const std::string& text)
{
    in_addr address{};
    if (::inet_pton(AF_INET, text.c_str(), &address) != 1)
        return std::nullopt;
    return ntohl(address.s_addr);
}

// "ADDR:PORT", the port 1..65535.
std::optional<std::pair<std::uint32_t, std::uint16_t>> destinationOf(const std::string& text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const auto address = ipv4(text.substr(0, colon));
    int port = 0;
    const char* first = text.data() + colon + 1;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, port);
    if (!address || error != std::errc() || end != last || first == last || port < 1 || port > 65535)
        return std::nullopt;
    return std::pair{*address, static_cast<std::uint16_t>(port)};
}

// An OSC message with one argument, written into `out`: the address and the
// type tag, each ended by a NUL and padded to whole words, then the argument.
class MessageWriter {
public:
    explicit MessageWriter(std::span<std::uint8_t> out) : out_(out) {}

    std::size_t integer(std::string_view address, std::int32_t value)
    {
        text(address);
        text(",i");
        const auto bits = static_cast<std::uint32_t>(value);
        for (int shift = 24; shift >= 0; shift -= 8)
            out_[at_++] = static_cast<std::uint8_t>(bits >> shift);
        return at_;
    }

    std::size_t string(std::string_view address, std::string_view value)
    {
        text(address);
        text(",s");
        // Cut at a character, never inside one, when the text is longer than the room.
        std::size_t room = out_.size() - at_ - 1;
        if (value.size() > room) {
            while (room > 0 && (static_cast<unsigned char>(value[room]) & 0xC0) == 0x80)
                --room;
            value = value.substr(0, room);
        }
        text(value);
        return at_;
    }

private:
    void text(std::string_view value)
    {
        std::copy(value.begin(), value.end(), out_.begin() + static_cast<std::ptrdiff_t>(at_));
        at_ += value.size();
        do
            out_[at_++] = 0;
        while (at_ % 4 != 0 && at_ < out_.size());
    }

    std::span<std::uint8_t> out_;
    std::size_t at_ = 0;
};

}  // namespace

OscService::OscService(Services services) : s_(std::move(services)) { rated_.reserve(RatedSenders); }

OscService::~OscService() = default;

std::vector<std::string> OscService::addresses() const
{
    return s_.addresses ? s_.addresses() : std::vector<std::string>{"127.0.0.1"};
}

std::string OscService::start(const OscSettings& settings)
{
    stop();
    const std::string where = settings.address + ":" + std::to_string(settings.port);
    const std::string cannot = "OSC kann nicht auf " + where + " hören: ";
    const auto address = ipv4(settings.address);
    if (!address)
        return cannot + "das ist keine IPv4-Adresse.";
    if (settings.port < 0 || settings.port > 65535)
        return "OSC: der Port muss zwischen 1 und 65535 liegen.";
    if (settings.feedbackPort < 1 || settings.feedbackPort > 65535)
        return "OSC: der Rückmeldeport muss zwischen 1 und 65535 liegen.";
    std::optional<std::pair<std::uint32_t, std::uint16_t>> destination;
    if (!settings.feedbackDestination.empty()) {
        destination = destinationOf(settings.feedbackDestination);
        if (!destination)
            return "OSC: das Rückmeldeziel " + settings.feedbackDestination + " ist keine Angabe ADRESSE:PORT.";
    }

    if (const int error = socket_.open(*address, static_cast<std::uint16_t>(settings.port), {}))
        return cannot + systemReason(error) + ".";

    settings_ = settings;
    settings_.enabled = true;
    settings_.port = socket_.port();
    counters_ = {};
    destination_ = destination;
    destinationFresh_ = destination.has_value();
    listenerCount_ = 0;
    rated_.clear();
    status_.clear();
    shown_ = {};
    descriptorChanged();
    return {};
}

void OscService::stop()
{
    if (!socket_.isOpen())
        return;
    socket_.close();
    settings_.enabled = false;
    descriptorChanged();
}

void OscService::descriptorChanged()
{
    if (descriptorChanged_)
        descriptorChanged_(socket_.descriptor());
}

void OscService::readable()
{
    // A flood must not hold the window: what is left waits for the next
    // wake-up, which comes at once, after the events queued meanwhile.
    for (std::size_t taken = 0; taken < DatagramsPerWake; ++taken) {
        const auto datagram = socket_.receive(in_);
        if (!datagram)
            break;
        ++counters_.received;
        take(datagram->size, datagram->from);
    }
    showChanged();
}

void OscService::take(std::size_t size, std::uint32_t from)
{
    const OscDecoded decoded =
        size > OscDatagramLimit ? OscDecoded{{}, OscDrop::Oversized} : decodeOsc({in_.data(), size}, oscNow());
    if (decoded.drop) {
        ++counters_.dropped[static_cast<std::size_t>(*decoded.drop)];
        return;
    }
    if (decoded.actions.empty())
        return;
    const std::int64_t now = s_.clock.monotonicMilliseconds();
    if (!allowed(from, now)) {
        ++counters_.limited;
        return;
    }
    for (const ShowAction& action : decoded.actions) {
        // The rest of a bundle waits for nothing: a refusal ends it.
        if (const auto refusal = s_.control.refusedNow()) {
            status_ = refusal->status;
            break;
        }
        const ShowReply reply = s_.control.perform(action);
        if (reply.done)
            ++counters_.carriedOut;
        status_ = reply.status;
    }
    hear(from, now);
}

bool OscService::allowed(std::uint32_t from, std::int64_t nowMs)
{
    auto found = std::find_if(rated_.begin(), rated_.end(), [from](const Rated& r) { return r.address == from; });
    if (found == rated_.end()) {
        if (rated_.size() < RatedSenders) {
            found = rated_.insert(rated_.end(), Rated{from, nowMs, {}});
        } else {
            found = std::min_element(rated_.begin(), rated_.end(),
                                     [](const Rated& a, const Rated& b) { return a.seenMs < b.seenMs; });
            *found = Rated{from, nowMs, {}};
        }
    }
    found->seenMs = nowMs;
    return found->limiter.allow(nowMs);
}

void OscService::hear(std::uint32_t from, std::int64_t nowMs)
{
    const auto end = listeners_.begin() + static_cast<std::ptrdiff_t>(listenerCount_);
    if (auto found = std::find_if(listeners_.begin(), end, [from](const Listener& l) { return l.address == from; });
        found != end) {
        found->heardMs = nowMs;
        return;
    }
    // Feedback goes to whatever source address a datagram claims, and a
    // forged one costs the forger nothing. Few listeners, forgotten after a
    // minute, keep each datagram from turning into more than a handful of
    // replies: the listener must not become an amplifier aimed at others.
    if (listenerCount_ < listeners_.size()) {
        listeners_[listenerCount_++] = {from, nowMs, true};
        return;
    }
    *std::min_element(listeners_.begin(), listeners_.end(),
                      [](const Listener& a, const Listener& b) { return a.heardMs < b.heardMs; }) = {from, nowMs, true};
}

void OscService::showChanged()
{
    if (!socket_.isOpen())
        return;
    const std::int64_t now = s_.clock.monotonicMilliseconds();
    // Listeners not heard for a minute go.
    const auto end = listeners_.begin() + static_cast<std::ptrdiff_t>(listenerCount_);
    listenerCount_ = static_cast<std::size_t>(
        std::remove_if(listeners_.begin(), end,
                       [now](const Listener& l) { return now - l.heardMs >= FeedbackMemoryMs; }) -
        listeners_.begin());

    const ShowModel& model = s_.model;
    const int step = model.CurrentStep;
    const int playing = model.hasState(StateFlag::SequencePlaying) ? 1 : 0;
    const int selected = model.SelectionCount;
    const bool anyFresh = destinationFresh_ || std::any_of(listeners_.begin(), listeners_.begin() + listenerCount_,
                                                           [](const Listener& l) { return l.fresh; });
    const bool stepChanged = step != shown_.step;
    const bool playingChanged = playing != shown_.playing;
    const bool selectedChanged = selected != shown_.selected;
    const bool statusChanged = status_ != shown_.status;
    if (!anyFresh && !stepChanged && !playingChanged && !selectedChanged && !statusChanged)
        return;

    sendAll(MessageWriter(out_).integer("/tinctara/step", step), !stepChanged);
    sendAll(MessageWriter(out_).integer("/tinctara/playing", playing), !playingChanged);
    sendAll(MessageWriter(out_).integer("/tinctara/selected", selected), !selectedChanged);
    sendAll(MessageWriter(out_).string("/tinctara/status", status_), !statusChanged);

    for (std::size_t index = 0; index < listenerCount_; ++index)
        listeners_[index].fresh = false;
    destinationFresh_ = false;
    shown_.step = step;
    shown_.playing = playing;
    shown_.selected = selected;
    if (statusChanged)
        shown_.status = status_;
}

// Sends the message in out_ to everyone, or, when its value has not changed,
// to those who have heard nothing yet.
void OscService::sendAll(std::size_t size, bool onlyFresh)
{
    for (std::size_t index = 0; index < listenerCount_; ++index)
        if (!onlyFresh || listeners_[index].fresh)
            sendTo(listeners_[index].address, static_cast<std::uint16_t>(settings_.feedbackPort), size);
    if (destination_ && (!onlyFresh || destinationFresh_))
        sendTo(destination_->first, destination_->second, size);
}

void OscService::sendTo(std::uint32_t address, std::uint16_t port, std::size_t size)
{
    // From the listening socket, so that a desk sees its replies come from
    // the port it sends to; a reply the system cannot take now is dropped.
    socket_.sendTo(address, port, {out_.data(), size});
}

}  // namespace tinctara
