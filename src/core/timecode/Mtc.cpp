#include "timecode/Mtc.h"

namespace tinctara {

namespace {

constexpr std::uint8_t QuarterFrameStatus = 0xF1;
constexpr std::uint8_t SysExStart = 0xF0;
constexpr std::uint8_t SysExEnd = 0xF7;
constexpr std::uint8_t RealTimeFirst = 0xF8;
constexpr std::int64_t FramesPerSequence = 2;

// The nibble piece `piece` carries of `time`.
std::uint8_t pieceOf(const Timecode& time, TimecodeRate rate, int piece)
{
    switch (piece) {
    case 0:
        return static_cast<std::uint8_t>(time.frames & 0x0F);
    case 1:
        return (time.frames >> 4) & 0x01;
    case 2:
        return time.seconds & 0x0F;
    case 3:
        return (time.seconds >> 4) & 0x03;
    case 4:
        return time.minutes & 0x0F;
    case 5:
        return (time.minutes >> 4) & 0x03;
    case 6:
        return time.hours & 0x0F;
    default:
        return static_cast<std::uint8_t>(((time.hours >> 4) & 0x01) | (timecodeRateCode(rate) << 1));
    }
}

Timecode moved(const Timecode& time, TimecodeRate rate, std::int64_t frames)
{
    return fromFrameCount(*toFrameCount(time, rate) + frames, rate);
}

}  // namespace

std::optional<MtcTime> MtcDecoder::push(std::uint8_t byte)
{
    if (byte >= RealTimeFirst)
        return std::nullopt;
    if (byte & 0x80) {
        if (state_ == State::SysEx && byte == SysExEnd) {
            state_ = State::Idle;
            return fullFrame();
        }
        state_ = byte == QuarterFrameStatus ? State::QuarterFrame : byte == SysExStart ? State::SysEx : State::Idle;
        sysExLength_ = 0;
        sysExTooLong_ = false;
        return std::nullopt;
    }
    switch (state_) {
    case State::QuarterFrame:
        state_ = State::Idle;
        return quarterFrame(byte);
    case State::SysEx:
        if (sysExLength_ < sysEx_.size())
            sysEx_[sysExLength_++] = byte;
        else
            sysExTooLong_ = true;
        break;
    case State::Idle:
        break;
    }
    return std::nullopt;
}

std::optional<MtcTime> MtcDecoder::quarterFrame(std::uint8_t data)
{
    const int piece = data >> 4;  // 0..7: a data byte's top bit is clear
    pieces_[piece] = data & 0x0F;

    MtcDirection step = MtcDirection::Unknown;
    if (lastPiece_ >= 0 && piece == (lastPiece_ + 1) % 8)
        step = MtcDirection::Forwards;
    else if (lastPiece_ >= 0 && piece == (lastPiece_ + 7) % 8)
        step = MtcDirection::Backwards;
    lastPiece_ = piece;
    if (step == MtcDirection::Unknown) {
        run_ = 1;
        direction_ = MtcDirection::Unknown;
        return std::nullopt;
    }
    // A turn keeps only this piece: the others belong to labels of the old way.
    run_ = direction_ == MtcDirection::Unknown || step == direction_ ? run_ + 1 : 1;
    direction_ = step;

    const bool forwards = direction_ == MtcDirection::Forwards;
    if (run_ < 8 || piece != (forwards ? 7 : 0))
        return std::nullopt;

    const std::uint8_t rateCode = (pieces_[7] >> 1) & 0x03;
    MtcTime t;
    t.rate = *rateOfTimecodeCode(rateCode);
    t.carried = {((pieces_[7] & 0x01) << 4) | pieces_[6], (pieces_[5] << 4) | pieces_[4],
                 (pieces_[3] << 4) | pieces_[2], (pieces_[1] << 4) | pieces_[0]};
    if (!isValid(t.carried, t.rate))
        return std::nullopt;
    t.direction = direction_;
    t.time = moved(t.carried, t.rate, forwards ? FramesPerSequence : -FramesPerSequence);
    return t;
}

std::optional<MtcTime> MtcDecoder::fullFrame() const
{
    if (sysExTooLong_ || sysExLength_ != SysExLength || sysEx_[0] != 0x7F || sysEx_[2] != 0x01 || sysEx_[3] != 0x01)
        return std::nullopt;
    MtcTime t;
    t.rate = *rateOfTimecodeCode((sysEx_[4] >> 5) & 0x03);
    t.carried = {sysEx_[4] & 0x1F, sysEx_[5], sysEx_[6], sysEx_[7]};
    if (!isValid(t.carried, t.rate))
        return std::nullopt;
    t.time = t.carried;
    t.fullFrame = true;
    return t;
}

MtcEncoder::MtcEncoder(const Timecode& start, TimecodeRate rate, MtcDirection direction)
    : frame_(toFrameCount(start, rate).value_or(0)), rate_(rate), forwards_(direction != MtcDirection::Backwards)
{
}

std::array<std::uint8_t, 2> MtcEncoder::nextQuarterFrame()
{
    const int piece = forwards_ ? sent_ : 7 - sent_;
    const std::uint8_t nibble = pieceOf(fromFrameCount(frame_, rate_), rate_, piece);
    if (++sent_ == 8) {
        sent_ = 0;
        frame_ += forwards_ ? FramesPerSequence : -FramesPerSequence;
    }
    return {QuarterFrameStatus, static_cast<std::uint8_t>((piece << 4) | nibble)};
}

std::array<std::uint8_t, 10> mtcFullFrame(const Timecode& time, TimecodeRate rate, std::uint8_t device)
{
    return {SysExStart,
            0x7F,
            static_cast<std::uint8_t>(device & 0x7F),
            0x01,
            0x01,
            static_cast<std::uint8_t>((timecodeRateCode(rate) << 5) | (time.hours & 0x1F)),
            static_cast<std::uint8_t>(time.minutes & 0x7F),
            static_cast<std::uint8_t>(time.seconds & 0x7F),
            static_cast<std::uint8_t>(time.frames & 0x7F),
            SysExEnd};
}

}  // namespace tinctara
