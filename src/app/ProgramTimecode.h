#pragma once

#include "AudioCapture.h"
#include "timecode/ArtTimecodeListener.h"
#include "timecode/ArtTimecodeSender.h"
#include "timecode/ChasedPlayback.h"
#include "timecode/TimecodeChaser.h"
#include "timecode/TimecodeControl.h"
#include "timecode/TimecodeLeader.h"
#include "timecode/TimecodeReceiver.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tinctara {

class MidiInput;
class Program;

// Timecode in the program: the chosen source heard on the UI thread, the
// sequence chased in the tick, and Art-Net and MIDI timecode sent from it.
// With no source and no sending the tick goes as it always went.
class ProgramTimecode : public TimecodeControl {
public:
    static constexpr int LeadPollMilliseconds = 5;
    // A frame of LTC is 33 to 42 ms: a read every 10 ms stamps it well.
    static constexpr int LtcBufferMilliseconds = 10;
    static constexpr const char* LtcNoInput = "LTC: Kein Audioeingang gewählt.";

    // `artNetPort`: where Art-Net timecode is listened for and sent to
    // (tests give a free one).
    explicit ProgramTimecode(Program& program, std::uint16_t artNetPort = ArtNetPort);
    ~ProgramTimecode() override;

    // The stored settings. A source that cannot be opened says why on
    // standard error and the program goes on without timecode.
    void startFromSettings();

    // Whether the tick's grid requests go through serveRequest.
    bool active() const { return settings_.source != TimecodeSource::None || leading(); }
    // Serves the grid request waiting: chased, or `ticks` ticks as the
    // music preview paced them; the leader hears of it.
    void serveRequest(int ticks);

    // TimecodeControl
    std::string apply(const TimecodeSettings& settings) override;
    const TimecodeSettings& settings() const override { return settings_; }
    TimecodeStatus status() const override;

private:
    bool leading() const { return settings_.sendArtNet || settings_.sendMtc; }
    std::string openSource();
    std::string openLeading();
    void closeSource();
    // LTC: the read's frames mixed to mono and decoded.
    void ltcFrames(const InterleavedSamples& samples, int channels, int sampleRate);
    // Why LTC is not heard from the chosen input; empty while it is.
    std::string ltcProblem() const;
    std::string problem() const { return problem_.empty() ? ltcProblem() : problem_; }
    // The MIDI client, started for this run when timecode needs it.
    MidiInput* midi();
    static double nowMs();

    Program& program_;
    std::uint16_t artNetPort_;
    TimecodeSettings settings_;
    TimecodeChaser chaser_;
    TimecodeReceiver receiver_{chaser_};
    ArtTimecodeListener listener_{receiver_};
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<ChasedPlayback> playback_;
    TimecodeLeader leader_;
    ArtTimecodeSender artOut_;
    QTimer leadPoll_;
    // The index since PLAY of the tick shown, while a sequence plays.
    std::optional<std::int64_t> playTick_;
    std::string problem_;
    // Kept across reads: a read allocates nothing once it has been this long.
    std::vector<float> ltcMono_;
    // Last: it hands samples to the receiver until it is closed.
    AudioCapture ltcInput_{[this](const InterleavedSamples& samples, int channels, int sampleRate) {
                               ltcFrames(samples, channels, sampleRate);
                           },
                           {},
                           LtcBufferMilliseconds};
};

}  // namespace tinctara
