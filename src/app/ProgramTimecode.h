#pragma once

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

namespace tinctara {

class MidiInput;
class Program;

// Timecode in the program: the chosen source heard on the UI thread, the
// sequence chased in the tick, and Art-Net and MIDI timecode sent from it.
// With no source and no sending the tick goes as it always went.
class ProgramTimecode : public TimecodeControl {
public:
    static constexpr int LeadPollMilliseconds = 5;
    static constexpr const char* LtcNotYet = "LTC vom Audioeingang ist noch nicht verfügbar.";

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
};

}  // namespace tinctara
