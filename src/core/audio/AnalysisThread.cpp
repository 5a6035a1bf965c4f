#include "audio/AnalysisThread.h"

#include "platform/Clock.h"

#include <chrono>

namespace tinctara {

class AnalysisThread::Sink final : public MusicEventSink {
public:
    Sink(AnalysisThread& owner, std::stop_token stop) : owner_(owner), stop_(std::move(stop)) {}
    void musicEvent(const MusicEvent& event) override
    {
        const TimedMusicEvent timed{event, owner_.clock_.monotonicMilliseconds()};
        while (!owner_.queue_.push(timed)) {
            if (stop_.stop_requested()) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    AnalysisThread& owner_;
    std::stop_token stop_;
};

AnalysisThread::AnalysisThread(std::unique_ptr<AudioSource> source, Clock& clock)
    : source_(std::move(source)), clock_(clock), analysis_(source_->sampleRate()), block_(MusicHop),
      thread_([this](std::stop_token stop) { run(std::move(stop)); })
{
}

AnalysisThread::~AnalysisThread()
{
    thread_.request_stop();
    source_->interrupt();  // a live source may be waiting for samples
    if (thread_.joinable()) {
        thread_.join();
    }
}

void AnalysisThread::run(std::stop_token stop)
{
    Sink sink(*this, stop);
    while (!stop.stop_requested() && !source_->ended()) {
        const std::size_t got = source_->read(block_);
        if (got == 0) {
            break;
        }
        analysis_.feed(std::span<const float>(block_).first(got), sink);
    }
    error_ = source_->error();
    finished_.store(true, std::memory_order_release);
}

}  // namespace tinctara
