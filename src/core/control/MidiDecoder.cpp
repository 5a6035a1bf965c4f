#include "control/MidiDecoder.h"

namespace tinctara {

namespace {

constexpr std::uint8_t SysExStart = 0xF0;
constexpr std::uint8_t SysExEnd = 0xF7;
constexpr std::uint8_t FirstRealTime = 0xF8;
constexpr std::uint8_t UniversalRealTime = 0x7F;
constexpr std::uint8_t ShowControlId = 0x02;
constexpr int LongestCue = 9;  // digits of the whole part that fit an int

std::size_t dataLength(std::uint8_t status)
{
    const int type = status & 0xF0;
    return type == 0xC0 || type == 0xD0 ? 1 : 2;
}

}  // namespace

std::optional<MidiEvent> MidiDecoder::push(std::uint8_t byte)
{
    if (byte >= FirstRealTime)
        return std::nullopt;
    if (byte < 0x80) {
        if (inSysEx_) {
            if (sysExLength_ < sysEx_.size())
                sysEx_[sysExLength_++] = byte;
            else
                sysExTooLong_ = true;
            return std::nullopt;
        }
        if (status_ == 0)
            return std::nullopt;
        data_[dataCount_++] = byte;
        if (dataCount_ < dataLength(status_))
            return std::nullopt;
        dataCount_ = 0;
        return channelMessage();
    }
    // A status byte: whatever was under way ends here, complete or not.
    dataCount_ = 0;
    if (inSysEx_) {
        inSysEx_ = false;
        if (byte == SysExEnd)
            return sysExTooLong_ ? std::nullopt : showControl();
    }
    // Channel messages keep their status for the data that follow; system
    // messages cancel it.
    status_ = byte < SysExStart ? byte : 0;
    if (byte == SysExStart) {
        inSysEx_ = true;
        sysExTooLong_ = false;
        sysExLength_ = 0;
    }
    return std::nullopt;
}

std::optional<MidiEvent> MidiDecoder::channelMessage() const
{
    MidiEvent event;
    event.channel = (status_ & 0x0F) + 1;
    event.number = data_[0];
    event.value = data_[1];
    switch (status_ & 0xF0) {
    case 0x80:
        event.kind = MidiEvent::Kind::NoteOff;
        return event;
    case 0x90:
        event.kind = event.value == 0 ? MidiEvent::Kind::NoteOff : MidiEvent::Kind::NoteOn;
        return event;
    case 0xB0:
        event.kind = MidiEvent::Kind::ControlChange;
        return event;
    case 0xC0:
        event.kind = MidiEvent::Kind::ProgramChange;
        event.value = 0;
        return event;
    default:  // aftertouch, pitch bend
        return std::nullopt;
    }
}

std::optional<MidiEvent> MidiDecoder::showControl() const
{
    // 7F <device> 02 <command format> <command> [cue [00 ...]]
    const std::uint8_t* body = sysEx_.data();
    if (sysExLength_ < 5 || body[0] != UniversalRealTime || body[2] != ShowControlId)
        return std::nullopt;
    if (device_ != AllCall && body[1] != device_ && body[1] != AllCall)
        return std::nullopt;
    MidiEvent event;
    switch (body[4]) {
    case 0x01:
        event.kind = MidiEvent::Kind::ShowGo;
        break;
    case 0x02:
        event.kind = MidiEvent::Kind::ShowStop;
        break;
    case 0x03:
        event.kind = MidiEvent::Kind::ShowResume;
        break;
    default:
        return std::nullopt;
    }
    // The cue number: ASCII digits and points up to 00 or the end; its whole
    // part is what the show can go to. A malformed one drops the message
    // rather than go to a cue nobody meant.
    std::size_t at = 5;
    int digits = 0;
    bool whole = true;
    int cue = 0;
    for (; at < sysExLength_ && body[at] != 0x00; ++at) {
        const std::uint8_t c = body[at];
        if (c == '.') {
            if (digits == 0)
                return std::nullopt;
            whole = false;
        } else if (c < '0' || c > '9') {
            return std::nullopt;
        } else if (whole) {
            if (++digits > LongestCue)
                return std::nullopt;
            cue = cue * 10 + (c - '0');
        }
    }
    if (digits > 0)
        event.cue = cue;
    return event;
}

}  // namespace tinctara
