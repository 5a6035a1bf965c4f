#pragma once

#include "AudioCapture.h"
#include "audio/MusicFeed.h"
#include "audio/MusicOptions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

namespace tinctara {

class Program;

// Live music in the program: the chosen audio input captured, its samples
// read on the UI thread as they come and pushed to LiveMusic, whose
// analysis runs on its own thread; before every tick what it heard goes
// into the engine. A device that fails or goes away only changes the
// status; one that comes back is heard again.
class ProgramMusic : public QObject, public MusicCapture {
    Q_OBJECT
public:
    explicit ProgramMusic(Program& program);
    ~ProgramMusic() override;

    // The stored device and Pegel. A device that cannot be heard says why on
    // standard error and the program goes on without live audio.
    void startFromSettings();
    // Right before every tick.
    void beforeTick();
    // No tick comes while no interface sends; the analysis is then taken in
    // on a timer of its own, so the options window still shows what is heard.
    static constexpr int TickMilliseconds = 50;
    static constexpr int NoTickMilliseconds = 75;

    // MusicCapture
    CaptureStatus start(const std::string& device) override { return capture_.start(device); }
    CaptureStatus status() const override { return capture_.status(); }
    double bpm() const override;
    double level() const override;

    // The live analysis while a device is heard, else null.
    const LiveMusic* live() const { return live_.get(); }

private:
    void captureChanged(const CaptureStatus& status);

    Program& program_;
    std::unique_ptr<LiveMusic> live_;
    QTimer withoutTicks_;
    QElapsedTimer sinceTick_;
    // Last: it hands samples to the members above until it is closed.
    AudioCapture capture_;
};

}  // namespace tinctara
