#include "control/MidiInput.h"

#include "control/AlsaSequencer.h"

namespace tinctara {

MidiInput::MidiInput(const ShowModel& model, ShowControl& control, MidiSequencerOpener open)
    : open_(open ? std::move(open) : MidiSequencerOpener(AlsaSequencer::open)), service_(model, control)
{
}

MidiInput::~MidiInput() { service_.setFeedback(nullptr); }

std::string MidiInput::start(const MidiSettings& settings)
{
    const std::string connected = running() ? service_.settings().port : std::string();
    if (!sequencer_) {
        std::string problem;
        sequencer_ = open_(problem);
        if (!sequencer_)
            return problem;
    }
    service_.configure(settings);
    service_.setFeedback(sequencer_.get());
    std::string problem;
    if (!settings.port.empty() && settings.port != connected)
        problem = sequencer_->connectFrom(settings.port);
    // Every feedback note once, so that a controller shows the state from the start.
    service_.showChanged();
    return problem;
}

void MidiInput::stop()
{
    service_.learn(nullptr);
    service_.setFeedback(nullptr);
    sequencer_.reset();
}

MidiSettings MidiInput::current() const
{
    MidiSettings settings = service_.settings();
    settings.enabled = running();
    return settings;
}

std::vector<std::string> MidiInput::ports() const
{
    if (sequencer_)
        return sequencer_->readablePorts();
    // A client of its own for a moment, so that a port can be chosen before starting.
    std::string problem;
    const std::unique_ptr<MidiSequencer> lister = open_(problem);
    return lister ? lister->readablePorts() : std::vector<std::string>{};
}

void MidiInput::ready()
{
    if (sequencer_)
        sequencer_->read([this](std::span<const std::uint8_t> bytes) { service_.received(bytes); });
}

}  // namespace tinctara
