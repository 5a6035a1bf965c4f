#include "windows/ControlOptionsPresenter.h"

#include "dmx/NetworkOutput.h"
#include "text/Text.h"
#include "windows/RemoteOptionsPresenter.h"

#include <algorithm>
#include <optional>

namespace tinctara {

namespace {

using Kind = ShowAction::Kind;

// The learn table's action choice, in the order of its list. A name ending in
// a placeholder letter takes a number, which replaces the letter in the table.
struct ActionChoice {
    const char* text;
    Kind kind;
    int plane;  // Mix: the fader's plane
};

constexpr ActionChoice ActionChoices[] = {
    {"PLAY", Kind::Play, 0},           {"STOP", Kind::Stop, 0},
    {"Zurück", Kind::Back, 0},         {"Vor", Kind::Forward, 0},
    {"Alles markieren", Kind::All, 0}, {"Nichts markieren", Kind::None, 0},
    {"Element N", Kind::Tap, 0},       {"Benutzerfarbe K", Kind::User, 0},
    {"Speicher K", Kind::Memory, 0},   {"Schritt N", Kind::Jump, 0},
    {"Regler Rot", Kind::Mix, 1},      {"Regler Grün", Kind::Mix, 2},
    {"Regler Blau", Kind::Mix, 3},     {"Regler Weiß", Kind::Mix, 4},
    {"Tap", Kind::TapTempo, 0},  // the tempo, as the sequencer's Tap
};

bool numbered(Kind kind) { return kind != Kind::Mix && bindingNumberLimit(kind) > 0; }

bool validDestination(const std::string& text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    return parseIpv4(std::string_view(text).substr(0, colon)) &&
           numberInRange(std::string_view(text).substr(colon + 1), 1, 65535);
}

std::optional<MidiTrigger> triggerOf(const MidiEvent& event)
{
    switch (event.kind) {
    case MidiEvent::Kind::NoteOn:
        return MidiTrigger::Note;
    case MidiEvent::Kind::ControlChange:
        return MidiTrigger::Control;
    case MidiEvent::Kind::ProgramChange:
        return MidiTrigger::Program;
    default:
        return std::nullopt;
    }
}

bool sameMessage(const MidiBinding& a, const MidiBinding& b)
{
    return a.trigger == b.trigger && a.channel == b.channel && a.key == b.key;
}

std::string deviceIdText(int id)
{
    return id == MidiDecoder::AllCall ? ControlOptionsText::AllDevices : std::to_string(id);
}

std::string countersText(const OscCounters& counters)
{
    std::uint64_t dropped = counters.limited;
    for (const std::uint64_t count : counters.dropped)
        dropped += count;
    return "Empfangen: " + std::to_string(counters.received) + ", ausgeführt: " + std::to_string(counters.carriedOut) +
           ", verworfen: " + std::to_string(dropped);
}

}  // namespace

std::string bindingMessageText(const MidiBinding& binding)
{
    const char* trigger = binding.trigger == MidiTrigger::Note      ? "Note "
                          : binding.trigger == MidiTrigger::Control ? "Regler "
                                                                    : "Programm ";
    return trigger + std::to_string(binding.key) + ", Kanal " + std::to_string(binding.channel);
}

std::string bindingActionText(const MidiBinding& binding)
{
    for (const ActionChoice& choice : ActionChoices) {
        if (choice.kind != binding.action || (choice.kind == Kind::Mix && choice.plane != binding.number))
            continue;
        std::string text = choice.text;
        if (numbered(choice.kind)) {
            text.pop_back();
            text += std::to_string(binding.number);
        }
        return text;
    }
    return "?";
}

void ControlOptionsPresenter::Form_Load()
{
    if (osc_)
        loadOsc();
    else
        view_.disableOsc(ControlOptionsText::OscMissing);
    if (midi_)
        loadMidi();
    else
        view_.disableMidi(ControlOptionsText::MidiMissing);
}

void ControlOptionsPresenter::Form_Unload()
{
    if (learning_)
        endLearning();
}

// ---- OSC ----

void ControlOptionsPresenter::loadOsc()
{
    oscSettings_ = loadOscSettings(store_);
    if (osc_->running())
        oscSettings_ = osc_->current();  // started from the command line, perhaps
    std::vector<std::string> addresses = osc_->addresses();
    if (std::find(addresses.begin(), addresses.end(), oscSettings_.address) == addresses.end())
        addresses.push_back(oscSettings_.address);
    view_.setOscAddresses(addresses, oscSettings_.address);
    view_.setOscPort(std::to_string(oscSettings_.port));
    view_.setFeedbackPort(std::to_string(oscSettings_.feedbackPort));
    view_.setFeedbackDestination(oscSettings_.feedbackDestination);
    showOsc({});
}

void ControlOptionsPresenter::showOsc(const std::string& problem)
{
    const bool on = osc_->running();
    view_.setOscOn(on);
    view_.setOscWarningVisible(!isLoopbackAddress(oscSettings_.address));
    if (!problem.empty()) {
        view_.setOscStatus(problem);
    } else if (on) {
        const OscSettings now = osc_->current();
        view_.setOscStatus("OSC empfängt auf " + now.address + ":" + std::to_string(now.port) + ".");
    } else {
        view_.setOscStatus(ControlOptionsText::OscOff);
    }
    view_.setOscCounters(on ? countersText(osc_->counters()) : std::string());
}

std::string ControlOptionsPresenter::applyOsc()
{
    std::string problem;
    if (oscSettings_.enabled) {
        problem = osc_->start(oscSettings_);
        if (!problem.empty())
            oscSettings_.enabled = false;  // what cannot listen now is not started at the next start either
    } else if (osc_->running()) {
        osc_->stop();
    }
    storeOscSettings(store_, oscSettings_);
    return problem;
}

void ControlOptionsPresenter::tmrCounters_Timer()
{
    if (osc_ && osc_->running())
        view_.setOscCounters(countersText(osc_->counters()));
}

void ControlOptionsPresenter::chkOsc_Click(bool on)
{
    if (!osc_)
        return;
    oscSettings_.enabled = on;
    showOsc(applyOsc());
}

void ControlOptionsPresenter::cboOscAddress_Click(const std::string& address)
{
    if (!osc_ || address == oscSettings_.address)
        return;
    oscSettings_.address = address;
    oscSettings_.enabled = osc_->running();
    showOsc(applyOsc());
}

void ControlOptionsPresenter::changeOscPort(const std::string& text, int OscSettings::*port,
                                            void (ControlOptionsView::*showPort)(std::string_view))
{
    if (!osc_)
        return;
    const auto value = listeningPort(text);
    if (!value) {
        (view_.*showPort)(std::to_string(oscSettings_.*port));
        view_.setOscStatus(RemoteOptionsText::BadPort);
        return;
    }
    if (*value == oscSettings_.*port)
        return;
    oscSettings_.*port = *value;
    oscSettings_.enabled = osc_->running();
    showOsc(applyOsc());
}

void ControlOptionsPresenter::txtOscPort_LostFocus(const std::string& text)
{
    changeOscPort(text, &OscSettings::port, &ControlOptionsView::setOscPort);
}

void ControlOptionsPresenter::txtFeedbackPort_LostFocus(const std::string& text)
{
    changeOscPort(text, &OscSettings::feedbackPort, &ControlOptionsView::setFeedbackPort);
}

void ControlOptionsPresenter::txtFeedbackDestination_LostFocus(const std::string& text)
{
    if (!osc_)
        return;
    if (!text.empty() && !validDestination(text)) {
        view_.setFeedbackDestination(oscSettings_.feedbackDestination);
        view_.setOscStatus(ControlOptionsText::BadDestination);
        return;
    }
    if (text == oscSettings_.feedbackDestination)
        return;
    oscSettings_.feedbackDestination = text;
    oscSettings_.enabled = osc_->running();
    showOsc(applyOsc());
}

// ---- MIDI ----

void ControlOptionsPresenter::loadMidi()
{
    midiSettings_ = loadMidiSettings(store_);
    if (midi_->running())
        midiSettings_ = midi_->current();
    ports_ = midi_->ports();
    if (!midiSettings_.port.empty() && std::find(ports_.begin(), ports_.end(), midiSettings_.port) == ports_.end())
        ports_.push_back(midiSettings_.port);  // not there now, still the one to connect from
    std::vector<std::string> shown{ControlOptionsText::NoPort};
    shown.insert(shown.end(), ports_.begin(), ports_.end());
    const auto chosen = std::find(ports_.begin(), ports_.end(), midiSettings_.port);
    view_.setMidiPorts(shown, midiSettings_.port.empty() ? 0 : static_cast<int>(chosen - ports_.begin()) + 1);
    view_.setDeviceId(deviceIdText(midiSettings_.deviceId));
    std::vector<std::string> actions;
    for (const ActionChoice& choice : ActionChoices)
        actions.emplace_back(choice.text);
    view_.setActions(actions);
    cboAction_Click(action_);
    showBindings(-1);
    showMidi({});
}

void ControlOptionsPresenter::showMidi(const std::string& problem)
{
    const bool on = midi_->running();
    view_.setMidiOn(on);
    if (!problem.empty())
        view_.setMidiStatus(problem);
    else if (!on)
        view_.setMidiStatus(ControlOptionsText::MidiOff);
    else if (midi_->current().port.empty())
        view_.setMidiStatus("MIDI empfängt; kein Port verbunden.");
    else
        view_.setMidiStatus("MIDI empfängt von " + midi_->current().port + ".");
}

void ControlOptionsPresenter::showBindings(int current)
{
    std::vector<std::array<std::string, 2>> rows;
    for (const MidiBinding& binding : midiSettings_.bindings)
        rows.push_back({bindingActionText(binding), bindingMessageText(binding)});
    view_.setBindings(rows, current);
}

std::string ControlOptionsPresenter::applyMidi()
{
    std::string problem;
    if (midiSettings_.enabled) {
        problem = midi_->start(midiSettings_);
        if (!problem.empty())
            midiSettings_.enabled = false;
    } else if (midi_->running()) {
        midi_->stop();
    }
    if (!midi_->running() && learning_)
        endLearning();  // nothing more can come
    storeMidiSettings(store_, midiSettings_);
    return problem;
}

void ControlOptionsPresenter::chkMidi_Click(bool on)
{
    if (!midi_)
        return;
    midiSettings_.enabled = on;
    showMidi(applyMidi());
}

void ControlOptionsPresenter::cboMidiPort_Click(int index)
{
    if (!midi_ || index < 0 || index > static_cast<int>(ports_.size()))
        return;
    const std::string port = index == 0 ? std::string() : ports_[static_cast<std::size_t>(index - 1)];
    if (port == midiSettings_.port)
        return;
    midiSettings_.port = port;
    midiSettings_.enabled = midi_->running();
    showMidi(applyMidi());
}

void ControlOptionsPresenter::txtDeviceId_LostFocus(const std::string& text)
{
    if (!midi_)
        return;
    const auto id = text == ControlOptionsText::AllDevices ? std::optional<int>(MidiDecoder::AllCall)
                                                           : numberInRange(text, 0, MidiDecoder::AllCall);
    view_.setDeviceId(deviceIdText(id.value_or(midiSettings_.deviceId)));
    if (!id) {
        view_.setMidiStatus(ControlOptionsText::BadDeviceId);
        return;
    }
    if (*id == midiSettings_.deviceId)
        return;
    midiSettings_.deviceId = *id;
    midiSettings_.enabled = midi_->running();
    showMidi(applyMidi());
}

void ControlOptionsPresenter::cboAction_Click(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(ActionChoices)))
        return;
    action_ = index;
    view_.setActionNumberEnabled(numbered(ActionChoices[index].kind));
}

void ControlOptionsPresenter::endLearning()
{
    learning_ = false;
    midi_->learn(nullptr);
    view_.setLearning(false);
}

void ControlOptionsPresenter::cmdLearn_Click(const std::string& number)
{
    if (!midi_)
        return;
    if (learning_) {
        endLearning();
        view_.setMidiStatus(ControlOptionsText::LearnCancelled);
        return;
    }
    view_.setLearning(false);  // until it really waits
    if (!midi_->running()) {
        view_.setMidiStatus(ControlOptionsText::LearnNeedsMidi);
        return;
    }
    const ActionChoice& choice = ActionChoices[action_];
    pending_ = MidiBinding{choice.kind, choice.plane};
    if (numbered(choice.kind)) {
        const int limit = bindingNumberLimit(choice.kind);
        const auto value = numberInRange(number, 1, limit);
        if (!value) {
            view_.setMidiStatus("Die Nummer muss zwischen 1 und " + std::to_string(limit) + " liegen.");
            return;
        }
        pending_.number = *value;
    }
    learning_ = true;
    midi_->learn(this);
    view_.setLearning(true);
    view_.setMidiStatus(ControlOptionsText::Learning);
}

void ControlOptionsPresenter::learned(const MidiEvent& event)
{
    const auto trigger = triggerOf(event);
    if (!learning_ || !trigger)
        return;
    endLearning();
    if (pending_.action == Kind::Mix && *trigger != MidiTrigger::Control) {
        view_.setMidiStatus(ControlOptionsText::FaderNeedsControl);
        return;
    }
    MidiBinding binding = pending_;
    binding.trigger = *trigger;
    binding.channel = event.channel;
    binding.key = event.number;
    auto& bindings = midiSettings_.bindings;
    const auto same = std::find_if(bindings.begin(), bindings.end(),
                                   [&binding](const MidiBinding& other) { return sameMessage(binding, other); });
    std::string status = "Gelernt: " + bindingMessageText(binding) + " → " + bindingActionText(binding);
    if (same != bindings.end()) {
        if (*same != binding)
            status += " (statt " + bindingActionText(*same) + ")";
        *same = binding;  // one message does one thing
    } else if (bindings.size() >= MidiBindingLimit) {
        view_.setMidiStatus("Die Tabelle ist voll: höchstens " + std::to_string(MidiBindingLimit) + " Zuordnungen.");
        return;
    } else {
        bindings.push_back(binding);
    }
    const int row = static_cast<int>(std::find(bindings.begin(), bindings.end(), binding) - bindings.begin());
    midiSettings_.enabled = midi_->running();
    const std::string problem = applyMidi();
    showBindings(row);
    showMidi(problem);
    if (problem.empty())
        view_.setMidiStatus(status + ".");
}

void ControlOptionsPresenter::cmdRemove_Click(int row)
{
    if (!midi_)
        return;
    auto& bindings = midiSettings_.bindings;
    if (row < 0 || row >= static_cast<int>(bindings.size())) {
        view_.setMidiStatus(ControlOptionsText::NoRow);
        return;
    }
    const MidiBinding removed = bindings[static_cast<std::size_t>(row)];
    bindings.erase(bindings.begin() + row);
    midiSettings_.enabled = midi_->running();
    const std::string problem = applyMidi();
    showBindings(std::min(row, static_cast<int>(bindings.size()) - 1));
    showMidi(problem);
    if (problem.empty())
        view_.setMidiStatus("Entfernt: " + bindingMessageText(removed) + " → " + bindingActionText(removed) + ".");
}

}  // namespace tinctara
