#pragma once

#include "audio/MonoMix.h"
#include "audio/MusicOptions.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAudioSource;
class QIODevice;

namespace tinctara {

// One audio input heard with Qt Multimedia, in the device's own format,
// on the UI thread: every read hands its whole frames to the sink. A device
// that fails or goes away only changes the status; one that comes back is
// opened again. Live music and LTC each keep one.
class AudioCapture : public QObject {
    Q_OBJECT
public:
    using FrameSink = std::function<void(const InterleavedSamples& samples, int channels, int sampleRate)>;
    // After every change of the status, also those the device makes: the
    // owner sets up or drops what the frames go into.
    using StatusSink = std::function<void(const CaptureStatus& status)>;

    // `bufferMilliseconds`: how much the sound server gathers before a read
    // may come; 0 leaves it to the server, which may take seconds.
    AudioCapture(FrameSink frames, StatusSink changed, int bufferMilliseconds = 0);
    ~AudioCapture() override;

    // Listens on the device from now on (a running capture stops first);
    // an empty id stops listening.
    const CaptureStatus& start(const std::string& device);
    void stop() { start({}); }
    const CaptureStatus& status() const { return status_; }

private:
    void open(const QAudioDevice& device);
    void close();
    void read();
    void devicesChanged();
    void failed(CaptureStatus::State state);
    void changed();

    FrameSink frames_;
    StatusSink changed_;
    int bufferMilliseconds_;
    bool watching_ = false;  // the device list, once an input was chosen
    std::unique_ptr<QAudioSource> source_;
    QIODevice* stream_ = nullptr;  // the source's, while it runs
    QAudioFormat format_;
    QByteArray pending_;         // read, but short of a whole frame
    std::vector<float> buffer_;  // the whole frames of one read, in the device's format
    CaptureStatus status_;
    std::uint64_t opened_ = 0;  // counts the sources opened
};

}  // namespace tinctara
