#include "AudioCapture.h"

#include "MusicOptionsTab.h"
#include "QtText.h"

#include <QAudioSource>
#include <QMediaDevices>
#include <QTimer>

#include <cstring>

namespace tinctara {

namespace {

QAudioDevice findInput(const std::string& id)
{
    for (const QAudioDevice& device : QMediaDevices::audioInputs())
        if (device.id().toStdString() == id)
            return device;
    return {};
}

// The device's own format: the users mix any channels and sample format
// down themselves.
QAudioFormat captureFormat(const QAudioDevice& device)
{
    QAudioFormat format = device.preferredFormat();
    if (format.sampleFormat() == QAudioFormat::Unknown)
        format.setSampleFormat(QAudioFormat::Float);
    return format;
}

template <typename Sample>
InterleavedSamples samplesOf(const void* bytes, std::size_t size)
{
    return std::span(static_cast<const Sample*>(bytes), size / sizeof(Sample));
}

}  // namespace

AudioCapture::AudioCapture(FrameSink frames, StatusSink changed, int bufferMilliseconds)
    : frames_(std::move(frames)), changed_(std::move(changed)), bufferMilliseconds_(bufferMilliseconds)
{
}

AudioCapture::~AudioCapture() { close(); }

const CaptureStatus& AudioCapture::start(const std::string& chosen)
{
    const std::string device = chosen;  // it may be our own status' device, cleared below
    close();
    status_ = CaptureStatus{};
    status_.device = device;
    status_.description = device;
    if (device.empty()) {
        changed();
        return status_;
    }
    // Asked for only once an input is chosen: without one the program never
    // talks to the sound server.
    if (!watching_) {
        watching_ = true;
        watchAudioInputs(this, [this] { devicesChanged(); });
    }
    const QAudioDevice input = findInput(device);
    if (input.isNull())
        status_.state = CaptureStatus::State::Gone;
    else
        open(input);
    changed();
    return status_;
}

void AudioCapture::open(const QAudioDevice& device)
{
    status_.description = utf8(device.description());
    format_ = captureFormat(device);
    if (!format_.isValid() || format_.channelCount() < 1) {
        status_.state = CaptureStatus::State::Failed;
        return;
    }
    source_ = std::make_unique<QAudioSource>(device, format_);
    if (bufferMilliseconds_ > 0)
        source_->setBufferSize(format_.bytesForDuration(bufferMilliseconds_ * 1000));
    const std::uint64_t opened = ++opened_;
    connect(source_.get(), &QAudioSource::stateChanged, this, [this, opened](QAudio::State state) {
        if (state != QAudio::StoppedState || !source_ || source_->error() == QAudio::NoError)
            return;
        // Not from inside the source's own signal: closing deletes it. By
        // then another input may have been opened, which stays.
        QTimer::singleShot(0, this, [this, opened] {
            if (opened_ == opened)
                failed(CaptureStatus::State::Failed);
        });
    });
    stream_ = source_->start();
    if (!stream_ || source_->error() != QAudio::NoError) {
        close();
        status_.state = CaptureStatus::State::Failed;
        return;
    }
    connect(stream_, &QIODevice::readyRead, this, &AudioCapture::read);
    status_.state = CaptureStatus::State::Listening;
    status_.sampleRate = format_.sampleRate();
}

void AudioCapture::close()
{
    if (source_) {
        source_->disconnect(this);
        if (stream_)
            stream_->disconnect(this);
        source_->stop();
    }
    stream_ = nullptr;
    source_.reset();
    pending_.clear();
}

void AudioCapture::read()
{
    if (!stream_)
        return;
    // Whole frames only: a frame cut in two would swap the channels after
    // it. The stream says nothing of what it holds before it is read.
    pending_.append(stream_->readAll());
    const qsizetype frameBytes = format_.bytesPerFrame();
    const qsizetype got = pending_.size() / frameBytes * frameBytes;
    if (got <= 0)
        return;
    const auto size = static_cast<std::size_t>(got);
    buffer_.resize((size + sizeof(float) - 1) / sizeof(float));  // aligned for every format
    std::memcpy(buffer_.data(), pending_.constData(), size);
    pending_.remove(0, got);
    const void* bytes = buffer_.data();
    InterleavedSamples samples;
    switch (format_.sampleFormat()) {
    case QAudioFormat::UInt8:
        samples = samplesOf<std::uint8_t>(bytes, size);
        break;
    case QAudioFormat::Int16:
        samples = samplesOf<std::int16_t>(bytes, size);
        break;
    case QAudioFormat::Int32:
        samples = samplesOf<std::int32_t>(bytes, size);
        break;
    default:
        samples = samplesOf<float>(bytes, size);
        break;
    }
    frames_(samples, format_.channelCount(), format_.sampleRate());
}

void AudioCapture::failed(CaptureStatus::State state)
{
    if (status_.state != CaptureStatus::State::Listening)
        return;
    close();
    status_.state = state;
    status_.sampleRate = 0;
    changed();
}

void AudioCapture::changed()
{
    if (changed_)
        changed_(status_);
}

void AudioCapture::devicesChanged()
{
    if (status_.device.empty())
        return;
    const QAudioDevice input = findInput(status_.device);
    if (input.isNull())
        failed(CaptureStatus::State::Gone);
    else if (status_.state == CaptureStatus::State::Gone)
        start(status_.device);  // plugged in again
}

}  // namespace tinctara
