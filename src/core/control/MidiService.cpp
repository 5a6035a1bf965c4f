#include "control/MidiService.h"

#include <string>

namespace tinctara {

namespace {

// A control change bound to anything but a fader acts when it rises to here,
// as a button that sends 127 pressed and 0 released does once.
constexpr int ControlPressed = 64;

std::uint8_t faderLevel(int value) { return static_cast<std::uint8_t>((value * 255 + 63) / 127); }

}  // namespace

void MidiService::configure(const MidiSettings& settings)
{
    // The tab hands new bindings over from inside a learned message: a
    // decoder that keeps its state keeps the rest of that input too.
    if (settings.deviceId != settings_.deviceId)
        decoder_ = MidiDecoder(static_cast<std::uint8_t>(settings.deviceId));
    settings_ = settings;
    sent_.assign(settings.bindings.size(), -1);
    high_.assign(settings.bindings.size(), false);
}

void MidiService::setFeedback(MidiFeedback* feedback)
{
    feedback_ = feedback;
    sent_.assign(settings_.bindings.size(), -1);
}

void MidiService::received(std::span<const std::uint8_t> bytes)
{
    decoder_.feed(bytes, [this](const MidiEvent& event) { handle(event); });
}

void MidiService::handle(const MidiEvent& event)
{
    using Kind = MidiEvent::Kind;
    switch (event.kind) {
    case Kind::NoteOn:
    case Kind::ControlChange:
    case Kind::ProgramChange:
        if (MidiLearnListener* listener = learner_) {
            learner_ = nullptr;
            listener->learned(event);
            return;
        }
        trigger(event);
        break;
    case Kind::ShowGo:
    case Kind::ShowStop:
    case Kind::ShowResume:
        showControl(event);
        break;
    case Kind::NoteOff:
        return;
    }
    showChanged();
}

void MidiService::trigger(const MidiEvent& event)
{
    MidiTrigger kind = MidiTrigger::Note;
    if (event.kind == MidiEvent::Kind::ControlChange)
        kind = MidiTrigger::Control;
    else if (event.kind == MidiEvent::Kind::ProgramChange)
        kind = MidiTrigger::Program;
    for (std::size_t index = 0; index < settings_.bindings.size(); ++index) {
        const MidiBinding& binding = settings_.bindings[index];
        if (binding.trigger != kind || binding.channel != event.channel || binding.key != event.number)
            continue;
        if (kind == MidiTrigger::Control && binding.action != ShowAction::Kind::Mix) {
            const bool high = event.value >= ControlPressed;
            const bool rose = high && !high_[index];
            high_[index] = high;
            if (!rose)
                continue;
        }
        perform(binding, event.value);
    }
}

void MidiService::perform(const MidiBinding& binding, int value)
{
    ShowAction action{binding.action, binding.number, {}, {}};
    if (binding.action == ShowAction::Kind::Mix) {
        // One fader of four: the other planes keep the mixer's levels, so
        // that four faders paint live together.
        if (binding.number < 1 || binding.number > Planes)
            return;
        action.number = 0;
        action.levels = model_.MixColour;
        action.levels[static_cast<std::size_t>(binding.number - 1)] = faderLevel(value);
    } else if (binding.action == ShowAction::Kind::Jump) {
        action.text = std::to_string(binding.number);
    }
    control_.perform(action);
}

void MidiService::showControl(const MidiEvent& event)
{
    using Kind = ShowAction::Kind;
    if (control_.refusedNow())
        return;
    if (event.kind == MidiEvent::Kind::ShowStop) {
        control_.perform({Kind::Stop, 0, {}, {}});
        return;
    }
    if (event.kind == MidiEvent::Kind::ShowGo && event.cue >= 0) {
        // A cue the sequence does not have starts nothing.
        if (event.cue < 1 || event.cue > model_.StepCount)
            return;
        if (!control_.perform({Kind::Jump, 0, {}, std::to_string(event.cue)}).done)
            return;
    }
    control_.perform({Kind::Play, 0, {}, {}});
}

void MidiService::showChanged()
{
    if (!feedback_)
        return;
    for (std::size_t index = 0; index < settings_.bindings.size(); ++index) {
        const MidiBinding& binding = settings_.bindings[index];
        if (binding.trigger != MidiTrigger::Note)
            continue;
        const std::optional<bool> on = state(binding);
        if (!on)
            continue;
        const int velocity = *on ? FeedbackOn : 0;
        if (sent_[index] == velocity)
            continue;
        sent_[index] = velocity;
        feedback_->noteOn(binding.channel, binding.key, velocity);
    }
}

std::optional<bool> MidiService::state(const MidiBinding& binding) const
{
    const bool playing = model_.hasState(StateFlag::SequencePlaying);
    switch (binding.action) {
    case ShowAction::Kind::Play:
        return playing;
    case ShowAction::Kind::Stop:
        return !playing;
    case ShowAction::Kind::All:
        return allSelected();
    case ShowAction::Kind::Memory:
        return selectionIsMemory(binding.number);
    case ShowAction::Kind::Tap:
        return binding.number >= 1 && binding.number <= model_.ElementCount &&
               model_.SelectionFlags[static_cast<std::size_t>(binding.number - 1)] == 1;
    default:
        return std::nullopt;
    }
}

bool MidiService::allSelected() const
{
    for (int index = 0; index < model_.ElementCount; ++index)
        if (model_.SelectionFlags[static_cast<std::size_t>(index)] != 1)
            return false;
    return model_.ElementCount > 0;
}

bool MidiService::selectionIsMemory(int memory) const
{
    // An empty selection matches every unused memory; none of them is lit for it.
    if (memory < 1 || memory > SelectionMemories)
        return false;
    bool any = false;
    for (int index = 0; index < model_.ElementCount; ++index) {
        const bool selected = model_.SelectionFlags[static_cast<std::size_t>(index)] == 1;
        const bool stored =
            model_.SelectionMemory[static_cast<std::size_t>(ShowModel::selectionMemoryIndex(index + 1, memory))] == 1;
        if (selected != stored)
            return false;
        any = any || selected;
    }
    return any;
}

}  // namespace tinctara
