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
        sequencer_->read([this](std::span<const std::uint8_t> bytes) {
            if (timecodeTap_)
                timecode_.feed(bytes, timecodeTap_);
            service_.received(bytes);
        });
}

void MidiInput::sendBytes(std::span<const std::uint8_t> bytes)
{
    if (sequencer_)
        sequencer_->send(bytes);
}

void MtcMessages::feed(std::span<const std::uint8_t> bytes, const Sink& sink)
{
    constexpr std::uint8_t QuarterFrame = 0xF1;
    constexpr std::uint8_t SysExStart = 0xF0;
    constexpr std::uint8_t SysExEnd = 0xF7;
    constexpr std::uint8_t RealTimeFirst = 0xF8;
    // What a full frame starts with, the device aside (index 2).
    constexpr std::array<std::uint8_t, 5> FullFrameHead{SysExStart, 0x7F, 0x00, 0x01, 0x01};

    for (const std::uint8_t byte : bytes) {
        if (byte >= RealTimeFirst)
            continue;
        if (byte == QuarterFrame || byte == SysExStart) {
            message_[0] = byte;
            length_ = 1;
            continue;
        }
        if (length_ == 0)
            continue;
        const bool quarterFrame = message_[0] == QuarterFrame;
        if (byte & 0x80) {  // another status ends the message
            if (!quarterFrame && byte == SysExEnd && length_ == FullFrameLength - 1) {
                message_[length_++] = byte;
                sink(std::span<const std::uint8_t>(message_.data(), length_));
            }
            length_ = 0;
            continue;
        }
        const bool fits = quarterFrame
                              ? length_ < 2
                              : length_ < FullFrameLength - 1 &&
                                    (length_ == 2 || length_ >= FullFrameHead.size() || byte == FullFrameHead[length_]);
        if (!fits) {
            length_ = 0;
            continue;
        }
        message_[length_++] = byte;
        if (quarterFrame) {
            sink(std::span<const std::uint8_t>(message_.data(), length_));
            length_ = 0;
        }
    }
}

}  // namespace tinctara
