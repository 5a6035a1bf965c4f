#include "MusicPreview.h"

#include <chrono>

#include "model/SequencePlayback.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <cstring>
#include <variant>

namespace tinctara {

namespace {

// The sink is topped up this often; well inside the 200 ms it holds.
constexpr int FillIntervalMs = 10;

}  // namespace

MusicPreview::MusicPreview(ShowModel& model, SequencerPresenter& sequencer) : model_(model), sequencer_(sequencer)
{
    fillTimer_.setTimerType(Qt::PreciseTimer);
    fillTimer_.setInterval(FillIntervalMs);
    QObject::connect(&fillTimer_, &QTimer::timeout, [this] { fill(); });
}

MusicPreview::~MusicPreview()
{
    // The program is closing: the song stops, the show is left as it is.
    fillTimer_.stop();
    if (sink_)
        sink_->stop();
}

std::string MusicPreview::start(const std::string& songPath)
{
    if (running())
        stop();
    if (!model_.hasState(StateFlag::SequencePresent))
        return NoSequenceProgrammed;
    SongOpened opened = SongReader::open(songPath);
    if (auto* error = std::get_if<std::string>(&opened))
        return *error;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return NoAudioOutput;
    auto song = std::move(std::get<std::unique_ptr<SongReader>>(opened));
    QAudioFormat format;
    format.setSampleRate(song->sampleRate());
    format.setChannelCount(song->channels());
    format.setSampleFormat(QAudioFormat::Int16);
    auto sink = std::make_unique<QAudioSink>(device, format);
    sink->setBufferSize(format.bytesForDuration(std::int64_t{QueuedMs} * 1000));

    // Step 1 from the start, as the operator's ZERO and PLAY give it.
    sequencer_.cmdSequence_MouseDown(Zero);
    sequencer_.cmdSequence_Click(Zero);
    sequencer_.cmdSequence_MouseDown(PlayButton);
    sequencer_.cmdSequence_Click(PlayButton);

    QIODevice* output = sink->start();
    if (output == nullptr || sink->error() == QAudio::OpenError) {
        sink->stop();
        if (model_.hasState(StateFlag::SequencePlaying)) {
            sequencer_.cmdSequence_MouseDown(StopButton);
            sequencer_.cmdSequence_Click(StopButton);
        }
        return NoAudioOutput;
    }
    song_ = std::move(song);
    sink_ = std::move(sink);
    device_ = output;
    format_ = format;
    pacer_ = PreviewPacer{};
    pending_.clear();
    chunk_.assign(static_cast<std::size_t>(format.bytesForDuration(FillIntervalMs * 4000)) / sizeof(std::int16_t), 0);
    fill();
    fillTimer_.start();
    return {};
}

void MusicPreview::stop() { end(true); }

void MusicPreview::end(bool stopSequence)
{
    if (!running())
        return;
    fillTimer_.stop();
    sink_->stop();
    sink_.reset();
    device_ = nullptr;
    song_.reset();
    pending_.clear();
    if (stopSequence && model_.hasState(StateFlag::SequencePlaying)) {
        sequencer_.cmdSequence_MouseDown(StopButton);
        sequencer_.cmdSequence_Click(StopButton);
    }
    if (ended_)
        ended_();
}

int MusicPreview::ticksNow()
{
    if (!running())
        return 1;
    // STOP (or anything else that ended playback) ends the song with it.
    if (!model_.hasState(StateFlag::SequencePlaying)) {
        end(false);
        return 1;
    }
    // Topped up first: the sink asks for audio in chunks of tens of ms, and
    // a reading between its request and our answer would count the chunk
    // it asked for as heard.
    fill();
    if (!running())
        return 1;
    const double nowMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
    return pacer_.ticksFor(heardMs(), nowMs);
}

// What has been heard: what the sink took from us (processedUSecs) less what
// still waits in its buffer (bufferSize - bytesFree). The assumption is that
// the buffer is all that lies between us and the loudspeaker; the device's
// own latency behind it (a few ms on a sound server) is not counted, so the
// lights lead the music by that much at most.
double MusicPreview::heardMs() const
{
    if (!sink_)
        return 0.0;
    const qint64 queued = std::max<qint64>(0, sink_->bufferSize() - sink_->bytesFree());
    const qint64 heardUs = sink_->processedUSecs() - format_.durationForBytes(static_cast<qint32>(queued));
    return static_cast<double>(heardUs) / 1000.0;
}

void MusicPreview::fill()
{
    if (!running())
        return;
    const QAudio::Error error = sink_->error();
    if (error == QAudio::OpenError || error == QAudio::IOError || error == QAudio::FatalError) {
        stop();
        return;
    }
    const auto frameBytes = static_cast<qint64>(song_->bytesPerFrame());
    qint64 room = sink_->bytesFree();
    while (room >= frameBytes) {
        if (pending_.empty()) {
            const std::size_t samples = std::min<std::size_t>(chunk_.size(), static_cast<std::size_t>(room) / 2);
            const std::size_t frames = song_->read(std::span<std::int16_t>(chunk_).first(samples));
            if (frames == 0)
                break;
            const std::size_t bytes = frames * song_->bytesPerFrame();
            pending_.resize(bytes);
            std::memcpy(pending_.data(), chunk_.data(), bytes);
        }
        const qint64 written = device_->write(pending_.data(), static_cast<qint64>(pending_.size()));
        if (written <= 0)
            break;
        pending_.erase(pending_.begin(), pending_.begin() + written);
        room -= written;
    }
    // The song is over when all of it was handed over and heard.
    if (song_->ended() && pending_.empty()) {
        const double songMs = 1000.0 * static_cast<double>(song_->framesRead()) / song_->sampleRate();
        if (sink_->state() == QAudio::IdleState || heardMs() >= songMs)
            stop();
    }
}

}  // namespace tinctara
