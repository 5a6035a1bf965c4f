#pragma once

#include "CliOptions.h"
#include "model/SequencePlayback.h"
#include "timecode/ArtTimecodeListener.h"
#include "timecode/ChasedPlayback.h"
#include "timecode/TimecodeReceiver.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tinctara {
class SoundFileSource;
}

namespace tinctara::cli {

class CliOutput;

// What play's timecode options ask for; source None: the sequence runs on its own tick.
struct TimecodeOptions {
    TimecodeSettings settings;
    std::uint16_t port = ArtNetPort;
    std::string ltcFile;
};

std::vector<std::string> withTimecodeOptions(std::vector<std::string> valued);
// --timecode and the options that go with it; `midi`: whether --midi was
// given (MIDI timecode comes in by its client).
TimecodeOptions readTimecodeOptions(const Options& parsed, bool midi);

// The monotonic clock labels and grid requests are timed by, in ms.
double monotonicMs();

// Timecode followed by play: the chaser, the door the timecode comes in by
// and the sequence played under it.
class CliTimecode {
public:
    CliTimecode(const TimecodeOptions& options, const Sequencer& sequencer, OutputEngine& engine);
    ~CliTimecode();
    CliTimecode(const CliTimecode&) = delete;
    CliTimecode& operator=(const CliTimecode&) = delete;

    // Opens the Art-Net port or the LTC file and has `output` serve it
    // between ticks; false, with the reason on `err`, when it cannot. An LTC
    // file is heard from here on, as a sound card would hand it over.
    bool start(CliOutput& output, std::ostream& err);
    // MIDI timecode comes in here, as the MIDI client reads it.
    TimecodeReceiver& receiver() { return receiver_; }
    // A grid request taken: what the chaser says now, with whatever
    // timecode came meanwhile heard first.
    void serve();
    // The chase state at the last request served, by its name ("before
    // offset"), when it changed since the last call; null otherwise.
    const char* changedState();

private:
    // The Art-Net datagrams waiting and the LTC file's 10 ms buffers whose
    // time has come.
    void hearWaiting(double nowMs);
    void hearLtc(double nowMs);

    TimecodeOptions options_;
    const ShowModel& model_;
    TimecodeChaser chaser_;
    TimecodeReceiver receiver_{chaser_};
    ChasedPlayback playback_;
    std::optional<ArtTimecodeListener> artNet_;
    std::unique_ptr<SoundFileSource> ltc_;
    int ltcTimer_ = -1;
    double ltcStartMs_ = 0.0;
    std::int64_t ltcHeard_ = 0;  // samples
    std::vector<float> ltcBuffer_;
    ChaseState state_ = ChaseState::Off;
    ChaseState shownState_ = ChaseState::Off;
};

}  // namespace tinctara::cli
