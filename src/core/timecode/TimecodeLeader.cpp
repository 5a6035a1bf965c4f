#include "timecode/TimecodeLeader.h"

#include <algorithm>
#include <cmath>

namespace tinctara {

namespace {

// A tick that comes early after a late one moves the clock on by up to a
// tick, which at 30 fps passes over a frame: its label still goes, just
// after the one before. Further behind (a held poll) only the newest counts.
constexpr std::int64_t MaxFramesBehind = 2;
// A receiver locks again on a full frame faster than on a burst of stale
// quarter frames: more than two frames behind, start anew.
constexpr std::int64_t MaxQuartersBehind = 8;

}  // namespace

TimecodeLeader::TimecodeLeader(const Timecode& offset, TimecodeRate rate) : encoder_(offset, rate)
{
    configure(offset, rate);
}

void TimecodeLeader::configure(const Timecode& offset, TimecodeRate rate)
{
    offset_ = offset;
    rate_ = rate;
    offsetFrame_ = toFrameCount(offset, rate).value_or(0);
    num_ = isDropFrame(rate) ? 30.0 : labelFramesPerSecond(rate);
    den_ = isDropFrame(rate) ? 1001.0 : 1000.0;
    if (playing_)
        jumped_ = true;
}

void TimecodeLeader::ticked(std::optional<std::int64_t> tickSincePlay, double atMs)
{
    if (!tickSincePlay) {
        playing_ = false;
        sent_.reset();
        return;
    }
    if (!playing_ || *tickSincePlay != tick_ + 1)
        jumped_ = true;
    playing_ = true;
    tick_ = *tickSincePlay;
    tickAt_ = atMs;
}

double TimecodeLeader::position(double nowMs) const
{
    return static_cast<double>(tick_) * TickMs + std::clamp(nowMs - tickAt_, 0.0, TickMs);
}

Timecode TimecodeLeader::label(std::int64_t frame) const { return fromFrameCount(offsetFrame_ + frame, rate_); }

TimecodeLeader::Due TimecodeLeader::next(double nowMs)
{
    if (!playing_)
        return {};
    const double ms = position(nowMs);
    const auto frame = static_cast<std::int64_t>(std::floor(ms * num_ / den_));
    if (jumped_) {
        jumped_ = false;
        nextArtFrame_ = frame;
        fullFramePending_ = true;
    }

    Due due;
    if (frame - nextArtFrame_ > MaxFramesBehind)
        nextArtFrame_ = frame;
    if (frame >= nextArtFrame_) {
        sent_ = label(nextArtFrame_++);
        due.kind = Due::Kind::Art;
        due.art = {*sent_, rate_, 0};
        return due;
    }

    const std::int64_t quartersDue =
        static_cast<std::int64_t>(std::floor(ms * 4 * num_ / den_)) - 4 * quarterStart_ + 1;
    if (!fullFramePending_ && quartersDue - quartersSent_ > MaxQuartersBehind)
        fullFramePending_ = true;
    if (fullFramePending_) {
        // The locate names the frame running now; quarter frames start with the next.
        fullFramePending_ = false;
        quarterStart_ = frame + 1;
        quartersSent_ = 0;
        encoder_ = MtcEncoder(label(frame + 1), rate_);
        due.kind = Due::Kind::Mtc;
        due.bytes = mtcFullFrame(label(frame), rate_);
        due.size = due.bytes.size();
        return due;
    }
    if (quartersSent_ < quartersDue) {
        ++quartersSent_;
        const auto quarter = encoder_.nextQuarterFrame();
        due.kind = Due::Kind::Mtc;
        std::copy(quarter.begin(), quarter.end(), due.bytes.begin());
        due.size = quarter.size();
    }
    return due;
}

}  // namespace tinctara
