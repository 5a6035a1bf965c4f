#pragma once

#include "control/ControlSettings.h"
#include "control/OscDecoder.h"
#include "control/ShowControl.h"
#include "net/RateLimiter.h"
#include "net/UdpListener.h"
#include "platform/Clock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tinctara {

// OSC over UDP: a non-blocking socket bound to the settings' address and
// port, read on the thread that owns the show (the program's UI thread, the
// CLI's tick loop) whenever its descriptor is readable. Every datagram is
// decoded whole, checked against its sender's rate and carried out through
// ShowControl; what the show looks like afterwards goes back as feedback:
//   /tinctara/step i, /tinctara/playing i (0/1), /tinctara/selected i,
//   /tinctara/status s (the reply to the latest action from OSC)
// to every address that sent a valid message in the last minute (at the
// feedback port) and to the feedback destination, each message only when its
// value changed, all four to a sender the first time it is heard.
class OscService : public OscControl {
public:
    // Senders that hear feedback: the most recent ones, for a minute.
    static constexpr std::size_t FeedbackSenders = 16;
    static constexpr std::int64_t FeedbackMemoryMs = 60000;
    // Senders whose rate is kept; a new one beyond them takes the place of
    // the one heard longest ago.
    static constexpr std::size_t RatedSenders = 64;
    // Datagrams taken per readable(); the descriptor stays readable for the rest.
    static constexpr std::size_t DatagramsPerWake = 64;

    struct Services {
        ShowControl& control;
        const ShowModel& model;
        Clock& clock;  // its monotonic time: rates and the feedback minute
        // The addresses the listener may be bound to; empty: 127.0.0.1 alone.
        std::function<std::vector<std::string>()> addresses;
    };

    explicit OscService(Services services);
    ~OscService() override;
    OscService(const OscService&) = delete;
    OscService& operator=(const OscService&) = delete;

    // OscControl. Port 0 takes a free port, which current() then names.
    std::string start(const OscSettings& settings) override;
    void stop() override;
    bool running() const override { return socket_.isOpen(); }
    OscSettings current() const override { return settings_; }
    std::vector<std::string> addresses() const override;
    OscCounters counters() const override { return counters_; }

    // The socket to watch for reading; -1 while stopped.
    int descriptor() const { return socket_.descriptor(); }
    // Called with the new descriptor (or -1) whenever start or stop changes it.
    void onDescriptorChange(std::function<void(int)> changed) { descriptorChanged_ = std::move(changed); }

    // Takes the datagrams waiting (at most DatagramsPerWake), then sends the
    // feedback they caused.
    void readable();
    // Sends what changed in the show since the last call; after every tick.
    // Allocates nothing when nothing changed.
    void showChanged();

private:
    struct Listener {
        std::uint32_t address = 0;  // host order
        std::int64_t heardMs = 0;
        bool fresh = false;  // has heard nothing yet
    };
    struct Rated {
        std::uint32_t address = 0;
        std::int64_t seenMs = 0;
        RateLimiter limiter;
    };
    struct Shown {
        int step = -1;
        int playing = -1;
        int selected = -1;
        std::string status;
    };

    void take(std::size_t size, std::uint32_t from);
    bool allowed(std::uint32_t from, std::int64_t nowMs);
    void hear(std::uint32_t from, std::int64_t nowMs);
    void sendTo(std::uint32_t address, std::uint16_t port, std::size_t size);
    void sendAll(std::size_t size, bool onlyFresh);
    void descriptorChanged();

    Services s_;
    UdpListener socket_;
    OscSettings settings_;
    OscCounters counters_;
    std::optional<std::pair<std::uint32_t, std::uint16_t>> destination_;
    bool destinationFresh_ = false;
    std::array<Listener, FeedbackSenders> listeners_{};
    std::size_t listenerCount_ = 0;
    std::vector<Rated> rated_;
    std::string status_;  // the reply to the latest action from OSC
    Shown shown_;
    std::function<void(int)> descriptorChanged_;
    // One datagram in (a byte more than OSC may have, to see that it is too
    // long), one feedback message out.
    std::array<std::uint8_t, OscDatagramLimit + 1> in_{};
    std::array<std::uint8_t, 512> out_{};
};

}  // namespace tinctara
