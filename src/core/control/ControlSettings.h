#pragma once

#include "control/MidiDecoder.h"
#include "control/ShowAction.h"
#include "platform/Environment.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tinctara {

// OSC over UDP: off until turned on. Kept in the per-user settings store,
// group "Osc"; TINCTARA.ini keeps its historic layout.
struct OscSettings {
    bool enabled = false;
    std::string address = "127.0.0.1";  // where it listens
    int port = 8000;
    int feedbackPort = 9000;          // where every recent sender hears back
    std::string feedbackDestination;  // "ADDR:PORT" that always hears back; empty: none
    friend bool operator==(const OscSettings&, const OscSettings&) = default;
};

// What a learned MIDI message is bound to, and the message.
enum class MidiTrigger { Note, Control, Program };

struct MidiBinding {
    // The action it carries out. Mix stands for one fader of the colour mixer:
    // `number` is the plane (1..4), and a control change's value (0..127)
    // moves it over 0..255.
    ShowAction::Kind action = ShowAction::Kind::Play;
    int number = 0;  // Tap, User, Memory, Jump: the number; Mix: the plane
    MidiTrigger trigger = MidiTrigger::Note;
    int channel = 1;  // 1..16
    int key = 0;      // the note, controller or program, 0..127
    friend bool operator==(const MidiBinding&, const MidiBinding&) = default;
};

inline constexpr std::size_t MidiBindingLimit = 128;

// MIDI through the sequencer: off until turned on; group "Midi".
struct MidiSettings {
    bool enabled = false;
    std::string port;                     // the port to connect from at start ("Client:Port"); empty: none
    int deviceId = MidiDecoder::AllCall;  // show control device ID; 127: all-call
    std::vector<MidiBinding> bindings;    // at most MidiBindingLimit, in the learn table's order
    friend bool operator==(const MidiSettings&, const MidiSettings&) = default;
};

// Values out of range fall back to their defaults; a binding that cannot be
// read is left out.
OscSettings loadOscSettings(SettingsStore& store);
void storeOscSettings(SettingsStore& store, const OscSettings& settings);
MidiSettings loadMidiSettings(SettingsStore& store);
void storeMidiSettings(SettingsStore& store, const MidiSettings& settings);

// The bindings as one line of the store ("play,0,note,1,60;mix,1,cc,1,7")
// and back; entries that cannot be read are skipped.
std::string bindingsText(const std::vector<MidiBinding>& bindings);
std::vector<MidiBinding> parseBindings(const std::string& text);

// True for 127.x.x.x: listening there needs no warning.
bool isLoopbackAddress(const std::string& address);

// What an OSC listener counts, for the options window.
struct OscCounters {
    std::uint64_t received = 0;              // datagrams
    std::uint64_t carriedOut = 0;            // actions
    std::uint64_t limited = 0;               // datagrams over a sender's rate
    std::array<std::uint64_t, 6> dropped{};  // by OscDrop
};

// Starting and stopping OSC, for the options window and start-up.
class OscControl {
public:
    virtual ~OscControl() = default;
    // Empty when it listens now, else the reason in German. A running
    // listener is stopped first.
    virtual std::string start(const OscSettings& settings) = 0;
    virtual void stop() = 0;
    virtual bool running() const = 0;
    virtual OscSettings current() const = 0;
    // The addresses it may listen on: 127.0.0.1 and the machine's own.
    virtual std::vector<std::string> addresses() const = 0;
    virtual OscCounters counters() const = 0;
};

// Where the next learnable message goes while the learn table waits for one.
class MidiLearnListener {
public:
    virtual ~MidiLearnListener() = default;
    // A note on, control change or program change, on the UI thread.
    virtual void learned(const MidiEvent& event) = 0;
};

// Starting and stopping MIDI input, for the options window and start-up.
class MidiControl {
public:
    virtual ~MidiControl() = default;
    // Empty when the sequencer client runs now, else the reason in German.
    // Takes the bindings and device ID as they are; a running client keeps
    // its connections.
    virtual std::string start(const MidiSettings& settings) = 0;
    virtual void stop() = 0;
    virtual bool running() const = 0;
    virtual MidiSettings current() const = 0;
    // The ports a controller may be connected from ("Client:Port").
    virtual std::vector<std::string> ports() const = 0;
    // The next note on, control or program change goes to `listener` and
    // carries out nothing; null ends learning.
    virtual void learn(MidiLearnListener* listener) = 0;
};

}  // namespace tinctara
