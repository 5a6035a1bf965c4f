#pragma once

#include "engine/MusicSync.h"
#include "platform/Environment.h"

#include <string>
#include <vector>

namespace tinctara {

// Live audio and the Pegel master as the user chose them. Kept in the
// per-user settings store, group "Music"; TINCTARA.ini keeps its historic
// layout.
struct MusicOptions {
    std::string device;  // the capture device's id; empty: no live audio
    bool level = false;
    int depth = 100;  // 0..100
    int attackTicks = 0;
    int releaseTicks = 10;
    friend bool operator==(const MusicOptions&, const MusicOptions&) = default;
};

inline constexpr int MusicEnvelopeTicksMax = 200;

// Where everything music keeps per user: this tab's options, the sequencer's
// beat row and the effects window's song.
inline constexpr const char* MusicSettingsApplication = "TINCTARA";
inline constexpr const char* MusicSettingsGroup = "Music";

// A value out of range or unreadable falls back to its default.
MusicOptions loadMusicOptions(SettingsStore& store);
void storeMusicOptions(SettingsStore& store, const MusicOptions& options);
// The Pegel fields into the tick's music settings; the beat fields stay as
// they are.
void applyLevelOptions(MusicSync& music, const MusicOptions& options);

// An audio input as the system names it.
struct AudioInputDevice {
    std::string id;
    std::string description;
    friend bool operator==(const AudioInputDevice&, const AudioInputDevice&) = default;
};

// What the live capture is doing.
struct CaptureStatus {
    enum class State { Off, Listening, Failed, Gone };
    State state = State::Off;
    std::string device;       // the id
    std::string description;  // as shown; the id when the system never named it
    int sampleRate = 0;       // while listening
    friend bool operator==(const CaptureStatus&, const CaptureStatus&) = default;
};

// Capturing an audio input into the tick, for the options window and start-up.
class MusicCapture {
public:
    virtual ~MusicCapture() = default;
    // Listens on the device from now on (a running capture stops first); an
    // empty id stops listening.
    virtual CaptureStatus start(const std::string& device) = 0;
    // Also changes when a device fails or goes away while it is heard.
    virtual CaptureStatus status() const = 0;
    // For the display: the tempo heard (0 while not known) and the level 0..1.
    virtual double bpm() const = 0;
    virtual double level() const = 0;
};

}  // namespace tinctara
