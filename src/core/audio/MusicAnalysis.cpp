#include "audio/MusicAnalysis.h"

#include "audio/SoundFileSource.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>

namespace tinctara {

struct MusicAnalysis::Aubio {
    aubio_tempo_t* tempo = nullptr;
    aubio_onset_t* onset = nullptr;
    fvec_t* hop = nullptr;
    fvec_t* tempoOut = nullptr;
    fvec_t* onsetOut = nullptr;

    ~Aubio()
    {
        if (tempo != nullptr) {
            del_aubio_tempo(tempo);
        }
        if (onset != nullptr) {
            del_aubio_onset(onset);
        }
        for (fvec_t* v : {hop, tempoOut, onsetOut}) {
            if (v != nullptr) {
                del_fvec(v);
            }
        }
    }
};

MusicAnalysis::MusicAnalysis(int sampleRate) : rate_(sampleRate), aubio_(std::make_unique<Aubio>())
{
    const auto rate = static_cast<uint_t>(sampleRate);
    aubio_->tempo = new_aubio_tempo("default", MusicWindow, MusicHop, rate);
    aubio_->onset = new_aubio_onset("default", MusicWindow, MusicHop, rate);
    aubio_->hop = new_fvec(MusicHop);
    aubio_->tempoOut = new_fvec(1);
    aubio_->onsetOut = new_fvec(1);
}

MusicAnalysis::~MusicAnalysis() = default;

void MusicAnalysis::feed(std::span<const float> samples, MusicEventSink& sink)
{
    while (!samples.empty()) {
        const std::size_t take = std::min(samples.size(), MusicHop - filled_);
        std::copy_n(samples.begin(), take, aubio_->hop->data + filled_);
        filled_ += take;
        samples = samples.subspan(take);
        if (filled_ == MusicHop) {
            analyseHop(sink);
            filled_ = 0;
        }
    }
}

void MusicAnalysis::analyseHop(MusicEventSink& sink)
{
    const double rate = rate_;
    double energy = 0.0;
    for (std::size_t i = 0; i < MusicHop; ++i) {
        energy += static_cast<double>(aubio_->hop->data[i]) * aubio_->hop->data[i];
    }
    aubio_tempo_do(aubio_->tempo, aubio_->hop, aubio_->tempoOut);
    aubio_onset_do(aubio_->onset, aubio_->hop, aubio_->onsetOut);
    // A hop's level is stamped with its start.
    MusicEvent level{MusicEventKind::Level, static_cast<double>(hopsDone_ * MusicHop) / rate,
                     static_cast<float>(std::min(1.0, std::sqrt(energy / MusicHop))), 0.0F};
    ++hopsDone_;
    sink.musicEvent(level);
    if (aubio_->tempoOut->data[0] != 0.0F) {
        sink.musicEvent(
            {MusicEventKind::Beat, aubio_tempo_get_last(aubio_->tempo) / rate, 0.0F, static_cast<float>(bpm())});
    }
    if (aubio_->onsetOut->data[0] != 0.0F) {
        sink.musicEvent({MusicEventKind::Onset, aubio_onset_get_last(aubio_->onset) / rate, 0.0F, 0.0F});
    }
}

double MusicAnalysis::bpm() const { return aubio_tempo_get_bpm(aubio_->tempo); }

double MusicAnalysis::beatPeriodSeconds() const { return aubio_tempo_get_period_s(aubio_->tempo); }

namespace {

class FileAnalysisSink final : public MusicEventSink {
public:
    explicit FileAnalysisSink(FileAnalysis& result) : result_(result) {}
    void musicEvent(const MusicEvent& event) override
    {
        switch (event.kind) {
        case MusicEventKind::Beat:
            result_.beats.push_back(event.seconds);
            break;
        case MusicEventKind::Onset:
            result_.onsets.push_back(event.seconds);
            break;
        case MusicEventKind::Level:
            result_.levels.push_back(event.level);
            break;
        }
    }

private:
    FileAnalysis& result_;
};

}  // namespace

FileAnalysis analyseSource(AudioSource& source)
{
    FileAnalysis result;
    result.sampleRate = source.sampleRate();
    result.levelHopSeconds = static_cast<double>(MusicHop) / result.sampleRate;
    MusicAnalysis analysis(result.sampleRate);
    FileAnalysisSink sink(result);
    std::vector<float> block(8 * MusicHop);
    std::size_t total = 0;
    while (!source.ended()) {
        const std::size_t got = source.read(block);
        total += got;
        analysis.feed(std::span<const float>(block).first(got), sink);
        if (got == 0) {
            break;
        }
    }
    result.error = source.error();
    result.seconds = static_cast<double>(total) / result.sampleRate;
    result.bpm = analysis.bpm();
    result.beatPeriodSeconds = analysis.beatPeriodSeconds();
    // aubio predicts each beat a whole number of hops after the last (about
    // 1 BPM apart at 120) and then pulls it back onto the music, so single
    // distances jitter; eight beats together keep the tempo to a fraction of
    // a BPM, and the median of those spans is the tempo kept longest.
    constexpr std::size_t Span = 8;
    if (result.beats.size() > Span) {
        std::vector<double> periods;
        for (std::size_t i = Span; i < result.beats.size(); ++i) {
            periods.push_back((result.beats[i] - result.beats[i - Span]) / Span);
        }
        const auto middle = periods.begin() + static_cast<std::ptrdiff_t>(periods.size() / 2);
        std::nth_element(periods.begin(), middle, periods.end());
        result.beatPeriodSeconds = *middle;
        result.bpm = 60.0 / result.beatPeriodSeconds;
    }
    return result;
}

FileAnalysis analyseFile(const std::string& path)
{
    auto opened = SoundFileSource::open(path);
    if (auto* error = std::get_if<std::string>(&opened)) {
        FileAnalysis result;
        result.error = *error;
        return result;
    }
    return analyseSource(*std::get<std::unique_ptr<SoundFileSource>>(opened));
}

}  // namespace tinctara
