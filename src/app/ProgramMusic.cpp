#include "ProgramMusic.h"

#include "Program.h"
#include "QtText.h"
#include "windows/MusicOptionsPresenter.h"

#include <QAudioSource>
#include <QMediaDevices>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <span>

namespace tinctara {

namespace {

QAudioDevice findInput(const std::string& id)
{
    for (const QAudioDevice& device : QMediaDevices::audioInputs())
        if (device.id().toStdString() == id)
            return device;
    return {};
}

// The device's own format: the analysis mixes any channels and sample
// format down itself.
QAudioFormat captureFormat(const QAudioDevice& device)
{
    QAudioFormat format = device.preferredFormat();
    if (format.sampleFormat() == QAudioFormat::Unknown)
        format.setSampleFormat(QAudioFormat::Float);
    return format;
}

template <typename Sample>
void push(PushedAudioSource& input, const void* bytes, std::size_t size, int channels)
{
    input.pushInterleaved(std::span(static_cast<const Sample*>(bytes), size / sizeof(Sample)), channels);
}

}  // namespace

ProgramMusic::ProgramMusic(Program& program) : program_(program)
{
    withoutTicks_.setInterval(TickMilliseconds);
    connect(&withoutTicks_, &QTimer::timeout, this, [this] {
        if (live_ && sinceTick_.elapsed() > NoTickMilliseconds)
            live_->beforeTick(program_.engine().music());
    });
}

ProgramMusic::~ProgramMusic() { close(); }

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

CaptureStatus ProgramMusic::start(const std::string& chosen)
{
    const std::string device = chosen;  // it may be our own status' device, cleared below
    close();
    devicePoll_.stop();
    status_ = CaptureStatus{};
    status_.device = device;
    status_.description = device;
    if (device.empty())
        return status_;
    // Asked for only once an input is chosen: without music the program
    // never talks to the sound server.
    if (!devices_) {
        devices_ = new QMediaDevices(this);
        connect(devices_, &QMediaDevices::audioInputsChanged, this, &ProgramMusic::devicesChanged);
        // Qt does not always tell when an input goes (the sound server moves
        // the stream to another source instead), so the list is asked anew.
        devicePoll_.setInterval(DevicePollMilliseconds);
        connect(&devicePoll_, &QTimer::timeout, this, &ProgramMusic::devicesChanged);
    }
    devicePoll_.start();
    const QAudioDevice input = findInput(device);
    if (input.isNull()) {
        status_.state = CaptureStatus::State::Gone;
        return status_;
    }
    open(input);
    return status_;
}

void ProgramMusic::open(const QAudioDevice& device)
{
    status_.description = utf8(device.description());
    format_ = captureFormat(device);
    if (!format_.isValid() || format_.channelCount() < 1) {
        status_.state = CaptureStatus::State::Failed;
        return;
    }
    live_ = std::make_unique<LiveMusic>(format_.sampleRate(), program_.clock());
    source_ = std::make_unique<QAudioSource>(device, format_);
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
    connect(stream_, &QIODevice::readyRead, this, &ProgramMusic::read);
    sinceTick_.start();
    withoutTicks_.start();
    status_.state = CaptureStatus::State::Listening;
    status_.sampleRate = format_.sampleRate();
}

void ProgramMusic::close()
{
    withoutTicks_.stop();
    if (source_) {
        source_->disconnect(this);
        if (stream_)
            stream_->disconnect(this);
        source_->stop();
    }
    stream_ = nullptr;
    source_.reset();
    pending_.clear();
    live_.reset();  // ends the analysis' stream and joins its thread
}

void ProgramMusic::read()
{
    if (!stream_ || !live_)
        return;
    // Whole frames only: a frame cut in two would swap the channels after
    // it. The stream says nothing of what it holds before it is read.
    pending_.append(stream_->readAll());
    const qsizetype frameBytes = format_.bytesPerFrame();
    const qsizetype got = pending_.size() / frameBytes * frameBytes;
    if (got <= 0)
        return;
    buffer_.resize((static_cast<std::size_t>(got) + sizeof(float) - 1) / sizeof(float));  // aligned for every format
    std::memcpy(buffer_.data(), pending_.constData(), static_cast<std::size_t>(got));
    pending_.remove(0, got);
    const auto size = static_cast<std::size_t>(got);
    const int channels = format_.channelCount();
    PushedAudioSource& input = live_->input();
    switch (format_.sampleFormat()) {
    case QAudioFormat::UInt8:
        push<std::uint8_t>(input, buffer_.data(), size, channels);
        break;
    case QAudioFormat::Int16:
        push<std::int16_t>(input, buffer_.data(), size, channels);
        break;
    case QAudioFormat::Int32:
        push<std::int32_t>(input, buffer_.data(), size, channels);
        break;
    default:
        push<float>(input, buffer_.data(), size, channels);
        break;
    }
}

void ProgramMusic::beforeTick()
{
    sinceTick_.start();
    if (live_)
        live_->beforeTick(program_.engine().music());
}

double ProgramMusic::bpm() const { return live_ ? live_->feed().bpm() : 0.0; }

double ProgramMusic::level() const { return live_ ? live_->feed().level() : 0.0; }

void ProgramMusic::failed(CaptureStatus::State state)
{
    if (status_.state != CaptureStatus::State::Listening)
        return;
    close();
    status_.state = state;
    status_.sampleRate = 0;
}

void ProgramMusic::devicesChanged()
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
