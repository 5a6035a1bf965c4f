#pragma once

#include <array>
#include <cstdint>

namespace tinctara {

// Keeps the sequence's ticks with a song's audio clock while the grid goes
// on at 50 ms: asked at every grid request with the clock's position (ms of
// the song heard), it says how many ticks to run now. A whole tick ahead of
// the ticks run, it runs two (one frame is dropped); a whole tick behind, none
// (the last frame repeats). The clock moves in device periods, so the offset
// it acts on is the mean of the last requests: a single late or early reading
// never makes it drop and repeat back and forth. A jump beyond any period (the
// grid or the sound card held up) is taken at once and caught up two ticks a
// request at most.
class PreviewPacer {
public:
    static constexpr double TickMs = 50.0;
    // Requests the offset is averaged over: 0.8 s, far shorter than the
    // 50 s a sound card 0.1 % off takes to drift a tick.
    static constexpr int Window = 16;
    // A reading this far (in ticks) from the mean is no jitter but a jump.
    static constexpr double JumpTicks = 2.0;

    // The ticks to run at this request: 0, 1 or 2. A position of 0 or less
    // is a song not heard yet: nothing runs, step 1 waits for the music.
    int ticksFor(double audioMs);

    // Audio ticks minus ticks run, averaged, as the next request will find it
    // (0 before the song is heard).
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
    void fill(double value);
    void shift(double by);
    double mean() const;

    std::array<double, Window> readings_{};
    int next_ = 0;
    bool heard_ = false;
    std::int64_t ticksRun_ = 0;
    std::int64_t requests_ = 0;
    double offset_ = 0.0;
    int drops_ = 0;
    int repeats_ = 0;
};

}  // namespace tinctara
