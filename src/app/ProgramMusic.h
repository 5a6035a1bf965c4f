#pragma once

#include "audio/MusicFeed.h"
#include "audio/MusicOptions.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <vector>

class QAudioSource;
class QIODevice;
class QMediaDevices;

namespace tinctara {

class Program;

// Live music in the program: the chosen audio input captured with Qt
// Multimedia, its samples read on the UI thread as they come and pushed to
// LiveMusic, whose analysis runs on its own thread; before every tick what
// it heard goes into the engine. A device that fails or goes away only
// changes the status; one that comes back is heard again.
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
    static constexpr int DevicePollMilliseconds = 1000;

    // MusicCapture
    CaptureStatus start(const std::string& device) override;
    CaptureStatus status() const override { return status_; }
    double bpm() const override;
    double level() const override;

    // The live analysis while a device is heard, else null.
    const LiveMusic* live() const { return live_.get(); }

private:
    void open(const QAudioDevice& device);
    void close();
    void read();
    void devicesChanged();
    void failed(CaptureStatus::State state);

    Program& program_;
    QMediaDevices* devices_ = nullptr;
    std::unique_ptr<QAudioSource> source_;
    QIODevice* stream_ = nullptr;  // the source's, while it runs
    std::unique_ptr<LiveMusic> live_;
    QAudioFormat format_;
    QByteArray pending_;         // read, but short of a whole frame
    std::vector<float> buffer_;  // the whole frames of one read, in the device's format
    CaptureStatus status_;
    std::uint64_t opened_ = 0;  // counts the sources opened
    QTimer withoutTicks_;
    QTimer devicePoll_;
    QElapsedTimer sinceTick_;
};

}  // namespace tinctara
