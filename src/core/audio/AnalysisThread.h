#pragma once

#include "audio/AudioSource.h"
#include "audio/EventQueue.h"
#include "audio/MusicAnalysis.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tinctara {

class Clock;

// An event as the show's thread receives it: what the analysis found, and
// when (monotonic milliseconds of the injected clock) it was found, so that a
// beat can be placed against the tick however late the queue is read.
struct TimedMusicEvent {
    MusicEvent event;
    std::int64_t foundMs = 0;
};

// Runs a source through the analysis on a thread of its own. Everything is
// allocated when made; the thread then only reads, analyses and pushes. When
// the queue is full the analysis waits for the show's thread (a file is read
// faster than it plays), never the other way round.
class AnalysisThread {
public:
    static constexpr std::size_t QueueCapacity = 1024;  // ten seconds of hops

    AnalysisThread(std::unique_ptr<AudioSource> source, Clock& clock);
    ~AnalysisThread();  // stops and joins
    AnalysisThread(const AnalysisThread&) = delete;
    AnalysisThread& operator=(const AnalysisThread&) = delete;

    // The show's thread: the next event, false when none is waiting.
    bool next(TimedMusicEvent& event) { return queue_.pop(event); }
    // The source has ended and every event is in the queue.
    bool finished() const { return finished_.load(std::memory_order_acquire); }
    // Why the source stopped early; read once finished().
    const std::string& error() const { return error_; }

private:
    class Sink;
    void run(std::stop_token stop);

    std::unique_ptr<AudioSource> source_;
    Clock& clock_;
    MusicAnalysis analysis_;
    std::vector<float> block_;
    EventQueue<TimedMusicEvent, QueueCapacity> queue_;
    std::atomic<bool> finished_{false};
    std::string error_;
    std::jthread thread_;  // last: started when everything else is made
};

}  // namespace tinctara
