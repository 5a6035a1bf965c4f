#pragma once

#include <array>
#include <cstdint>

namespace tinctara {

// Keeps the sequence's ticks with a song's audio clock while the grid goes
// on at 50 ms: asked at every grid request with the clock's position (ms of
// the song heard) and the monotonic time of the request, it says how many
// ticks to run now. A whole tick ahead of the ticks run, it runs two (one
// frame is dropped); a whole tick behind, none (the last frame repeats).
//
// The audio clock moves in device periods (tens of ms), so it is not read
// as it stands: the song's position now is the request's time less a small
// lag (time − heard) of the last requests, one read just after a period
// moved the clock. Not the very smallest: a sound server now and then
// reports a chunk as heard a moment early, and one such reading must not
// make the sequence jump ahead and back. That estimate is smooth, follows a
// grid held up at once (the time moves on) and a card that drifts as its
// clock does; a card that stands still is believed after the window.
class PreviewPacer {
public:
    static constexpr double TickMs = 50.0;
    // Requests the lag is taken over: 0.8 s, longer than any device period
    // and far shorter than the 50 s a sound card 0.1 % off takes to drift a
    // tick; and how many of the smallest lags are passed over as too early.
    static constexpr int Window = 16;
    static constexpr int EarlyReadingsIgnored = 2;

    // The ticks to run at this request: 0, 1 or 2. A position of 0 or less
    // is a song not heard yet: nothing runs, step 1 waits for the music.
    int ticksFor(double audioMs, double nowMs);
    // The song's position minus the position of the last tick run, in ticks
    // (0 before the song is heard); within (−1, 1) once in step.
    double offsetTicks() const { return offset_; }
    std::int64_t ticksRun() const { return ticksRun_; }
    // Requests since the song was heard.
    std::int64_t requests() const { return requests_; }
    // Requests that ran two ticks, and requests that ran none after the
    // song was heard.
    int drops() const { return drops_; }
    int repeats() const { return repeats_; }
    bool heard() const { return heard_; }

private:
    std::array<double, Window> lags_{};
    int next_ = 0;
    int filled_ = 0;
    bool heard_ = false;
    std::int64_t ticksRun_ = 0;
    std::int64_t requests_ = 0;
    double offset_ = 0.0;
    int drops_ = 0;
    int repeats_ = 0;
};

}  // namespace tinctara
