#pragma once

#include "audio/PreviewPacer.h"
#include "audio/SongReader.h"
#include "model/ShowModel.h"
#include "windows/SequencerPresenter.h"

#include <QAudioFormat>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAudioSink;
class QIODevice;

namespace tinctara {

// "Vorschau mit Musik": a song plays on the default audio output while the
// sequence plays from step 1, its ticks paced by the song's audio clock
// (PreviewPacer) so that lights and music stay together.
class MusicPreview {
public:
    static constexpr const char* NoAudioOutput = "Kein Audioausgang für die Vorschau.";
    // Audio queued in the sink ahead of what is heard.
    static constexpr int QueuedMs = 200;

    MusicPreview(ShowModel& model, SequencerPresenter& sequencer);
    ~MusicPreview();
    MusicPreview(const MusicPreview&) = delete;
    MusicPreview& operator=(const MusicPreview&) = delete;

    // Starts the song and the sequence from step 1 (ZERO, then PLAY);
    // empty, or why nothing started. A preview running is stopped first.
    std::string start(const std::string& songPath);
    // Stops the song and the sequence (as STOP does).
    void stop();
    bool running() const { return sink_ != nullptr; }
    // Called when the song is over or the preview was stopped.
    void onEnded(std::function<void()> ended) { ended_ = std::move(ended); }

    // Asked once per grid request by the program's tick: the ticks to run
    // now (1 while no preview runs).
    int ticksNow();

    // The audio clock: ms of the song heard so far (0 before and after).
    double heardMs() const;
    // The last preview's pacing, kept after it ended.
    const PreviewPacer& pacer() const { return pacer_; }

private:
    void fill();
    // Ends the preview; `stopSequence`: press STOP if the sequence plays.
    void end(bool stopSequence);

    ShowModel& model_;
    SequencerPresenter& sequencer_;
    std::unique_ptr<SongReader> song_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* device_ = nullptr;
    QAudioFormat format_;
    QTimer fillTimer_;
    std::vector<std::int16_t> chunk_;
    // Read from the song but not yet taken by the sink.
    std::vector<char> pending_;
    PreviewPacer pacer_;
    std::function<void()> ended_;
};

}  // namespace tinctara
