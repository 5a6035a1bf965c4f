#include "timecode/TimecodeChaser.h"

#include <algorithm>
#include <cmath>

namespace tinctara {

namespace {

double labelMilliseconds(std::int64_t frames, TimecodeRate rate)
{
    return static_cast<double>(frames) * frameMilliseconds(rate);
}

}  // namespace

void TimecodeChaser::configure(const TimecodeSettings& settings)
{
    *this = TimecodeChaser{};
    settings_ = settings;
}

double TimecodeChaser::offsetMs() const
{
    return labelMilliseconds(toFrameCount(settings_.offset, settings_.rate).value_or(0), settings_.rate);
}

void TimecodeChaser::heard(const Timecode& time, TimecodeRate rate, double atMs, bool locate)
{
    const auto frames = toFrameCount(time, rate);
    if (!frames || !std::isfinite(atMs))
        return;
    const double ms = labelMilliseconds(*frames, rate);
    const double frame = frameMilliseconds(rate);
    if (label_) {
        // The same label again: the sender paused. The sequence runs on for
        // the freewheel frames as if nothing came.
        if (ms == labelMs_ && rate == labelRate_ && !locate)
            return;
        const bool wasRunning = running(atMs);
        const double expected = wasRunning ? position(atMs).value_or(labelMs_) : labelMs_;
        const bool backwardsStep = ms < labelMs_ && labelMs_ - ms <= 2.5 * frame;
        if (std::abs(ms - expected) > 2.0 * frame + frame / 2.0 && !backwardsStep) {
            jumped_ = true;
            forgetLags();
        }
        // Labels again after they stopped: the lags before say nothing of now.
        if (!wasRunning)
            forgetLags();
        direction_ = backwardsStep ? Direction::Backwards : Direction::Forwards;
        moveInterval_ = wasRunning ? std::clamp(atMs - movedAt_, frame, 4.0 * frame) : frame;
    } else {
        jumped_ = true;
        moveInterval_ = frame;
        direction_ = Direction::Forwards;
    }
    movedAt_ = atMs;
    locate_ = locate;
    if (locate) {
        // Standing: the freewheel is over before it began.
        jumped_ = true;
        forgetLags();
        direction_ = Direction::Forwards;
        movedAt_ = atMs - moveInterval_ - LateFrames * frame - settings_.freewheelFrames * frame;
    }
    label_ = time;
    labelRate_ = rate;
    labelMs_ = ms;
    labelAt_ = atMs;
    if (direction_ == Direction::Backwards) {
        forgetLags();
        return;
    }
    lags_[static_cast<std::size_t>(nextLag_)] = atMs - ms;
    nextLag_ = (nextLag_ + 1) % LagWindow;
    lagsFilled_ = std::min(lagsFilled_ + 1, LagWindow);
}

// The last label counts as fresh for the time to the next (two frames for
// MIDI's quarter frames) and LateFrames more; the freewheel frames come
// after that.
bool TimecodeChaser::running(double nowMs) const
{
    if (!label_)
        return false;
    const double frame = frameMilliseconds(labelRate_);
    return nowMs <= movedAt_ + moveInterval_ + LateFrames * frame + settings_.freewheelFrames * frame;
}

bool TimecodeChaser::freewheeling(double nowMs) const
{
    return running(nowMs) && nowMs > movedAt_ + moveInterval_ + LateFrames * frameMilliseconds(labelRate_);
}

std::optional<double> TimecodeChaser::position(double nowMs) const
{
    if (!label_)
        return std::nullopt;
    const double frame = frameMilliseconds(labelRate_);
    // Once the freewheel is over, the time stands where it ran out.
    const double end = movedAt_ + moveInterval_ + LateFrames * frame + settings_.freewheelFrames * frame;
    const double at = std::min(nowMs, end);
    if (direction_ == Direction::Backwards || lagsFilled_ == 0)
        return labelMs_ + (direction_ == Direction::Backwards ? -1.0 : 1.0) * (at - labelAt_);
    const double lag = *std::min_element(lags_.begin(), lags_.begin() + lagsFilled_);
    return at - lag;
}

void TimecodeChaser::forgetLags()
{
    lagsFilled_ = 0;
    nextLag_ = 0;
}

void TimecodeChaser::forgetPlayback()
{
    shown_.reset();
    started_ = false;
}

ChaseAction TimecodeChaser::next(double nowMs, bool playing)
{
    if (settings_.source == TimecodeSource::None)
        return {};
    if (shown_ && !playing) {
        // STOP pressed while the timecode ran: the operator's word stands.
        shown_.reset();
        stoppedByOperator_ = true;
    }
    if (!label_)
        return {};
    if (!running(nowMs) && !(locate_ && jumped_ && settings_.mode == TimecodeMode::Chase)) {
        stoppedByOperator_ = false;
        if (shown_ && settings_.mode == TimecodeMode::Chase)
            return {ChaseAction::Kind::Hold, 0, *shown_};
        return {};
    }
    const double relative = *position(nowMs) - offsetMs();
    if (relative < 0.0) {
        stoppedByOperator_ = false;
        jumped_ = false;
        forgetPlayback();
        if (!beforeOffset_) {
            beforeOffset_ = true;
            return {ChaseAction::Kind::Zero, 1, 0};
        }
        return {};
    }
    beforeOffset_ = false;
    if (stoppedByOperator_ && !jumped_)
        return {};
    stoppedByOperator_ = false;
    if (settings_.mode == TimecodeMode::StartAt)
        return startAt(relative);
    return chase(relative, direction_ == Direction::Backwards);
}

ChaseAction TimecodeChaser::startAt(double relativeMs)
{
    jumped_ = false;
    if (started_)
        return {};
    started_ = true;
    return {ChaseAction::Kind::Start, 1, std::llround(relativeMs / TickMs)};
}

ChaseAction TimecodeChaser::chase(double relativeMs, bool backwards)
{
    const double at = relativeMs / TickMs;
    const std::int64_t nearest = std::llround(at);
    if (!shown_) {
        jumped_ = false;
        shown_ = nearest;
        return {ChaseAction::Kind::Start, 1, nearest};
    }
    // The tick run now shows *shown_ + 1.
    const double ahead = at - static_cast<double>(*shown_ + 1);
    if (jumped_ || backwards || std::abs(ahead) >= SeekTicks) {
        jumped_ = false;
        shown_ = nearest;
        return {ChaseAction::Kind::Seek, 1, nearest};
    }
    const int ticks = ahead >= 1.0 ? 2 : ahead <= -1.0 ? 0 : 1;
    *shown_ += ticks;
    return {ChaseAction::Kind::Run, ticks, *shown_};
}

TimecodeStatus TimecodeChaser::status(double nowMs) const
{
    TimecodeStatus status;
    if (settings_.source == TimecodeSource::None)
        return status;
    status.state = ChaseState::Waiting;
    if (!label_)
        return status;
    status.rate = labelRate_;
    const double frame = frameMilliseconds(labelRate_);
    status.time = fromFrameCount(static_cast<std::int64_t>(std::floor(*position(nowMs) / frame + 1e-6)), labelRate_);
    // Known from the label itself, before the next tick has acted on it.
    if (beforeOffset_ || *position(nowMs) < offsetMs())
        status.state = ChaseState::BeforeOffset;
    else if (settings_.mode == TimecodeMode::StartAt && started_)
        status.state = ChaseState::Started;
    else if (!running(nowMs))
        status.state = ChaseState::Held;
    else if (freewheeling(nowMs))
        status.state = ChaseState::Freewheel;
    else
        status.state = ChaseState::Chasing;
    return status;
}

}  // namespace tinctara
