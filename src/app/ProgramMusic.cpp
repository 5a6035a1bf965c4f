#include "ProgramMusic.h"

#include "Program.h"
#include "windows/MusicOptionsPresenter.h"

#include <cstdio>

namespace tinctara {

ProgramMusic::ProgramMusic(Program& program)
    : program_(program), capture_(
                             [this](const InterleavedSamples& samples, int channels, int) {
                                 if (live_)
                                     live_->input().pushInterleaved(samples, channels);
                             },
                             [this](const CaptureStatus& status) { captureChanged(status); })
{
    withoutTicks_.setInterval(TickMilliseconds);
    connect(&withoutTicks_, &QTimer::timeout, this, [this] {
        if (live_ && sinceTick_.elapsed() > NoTickMilliseconds)
            live_->beforeTick(program_.engine().music());
    });
}

ProgramMusic::~ProgramMusic() { capture_.stop(); }

void ProgramMusic::startFromSettings()
{
    const MusicOptions options = loadMusicOptions(program_.settings());
    applyLevelOptions(program_.engine().music(), options);
    if (options.device.empty())
        return;
    const CaptureStatus status = start(options.device);
    if (status.state != CaptureStatus::State::Listening)
        std::fprintf(stderr, "%s Das Programm läuft ohne Musik weiter.\n", captureStatusText(status).c_str());
}

void ProgramMusic::captureChanged(const CaptureStatus& status)
{
    withoutTicks_.stop();
    live_.reset();  // ends the analysis' stream and joins its thread
    if (status.state != CaptureStatus::State::Listening)
        return;
    live_ = std::make_unique<LiveMusic>(status.sampleRate, program_.clock());
    sinceTick_.start();
    withoutTicks_.start();
}

void ProgramMusic::beforeTick()
{
    sinceTick_.start();
    if (live_)
        live_->beforeTick(program_.engine().music());
}

double ProgramMusic::bpm() const { return live_ ? live_->feed().bpm() : 0.0; }

double ProgramMusic::level() const { return live_ ? live_->feed().level() : 0.0; }

}  // namespace tinctara
