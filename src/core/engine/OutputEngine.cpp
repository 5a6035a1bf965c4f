#include "engine/OutputEngine.h"

#include "model/ShowOperations.h"
#include "model/StatusTexts.h"
#include "text/Text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

namespace tinctara {

namespace {

// A blend time of 0 can only come from a file; such a fade is one tick long.
std::uint16_t effectiveBlendTime(std::uint16_t blendTime) { return blendTime == 0 ? 1 : blendTime; }

// Decimal text of a counter into a fixed buffer: labels change every tick and
// a tick must not allocate.
template <std::size_t N>
const char* labelText(char (&buffer)[N], std::string_view prefix, long value)
{
    char digits[24];
    const auto count = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
    const std::size_t head = std::min(prefix.size(), N - 1);
    const std::size_t tail = std::min(count, N - 1 - head);  // cut as snprintf would
    std::memcpy(buffer, prefix.data(), head);
    std::memcpy(buffer + head, digits, tail);
    buffer[head + tail] = '\0';
    return buffer;
}

}  // namespace

OutputEngine::OutputEngine(ShowModel& model, ShowView& view, OutputTimer& timer, OutputDevices devices)
    : model_(model), view_(view), timer_(timer), devices_(devices), isaCard_(devices.ports, model.CardBaseAddress),
      byteFrame_(model.DmxFrame), wideFrame_(model.DmxFrameWide),
      ownSender_(devices.sender
                     ? nullptr
                     : std::make_unique<DmxSender>(SenderDevices{devices.usb, devices.cardLibrary, devices.network})),
      sender_(devices.sender ? *devices.sender : *ownSender_)
{
}

void OutputEngine::RequestedTicks(int count)
{
    if (!takeTickRequest())
        return;
    for (int tick = 0; tick < count; ++tick)
        AutoXmit();
}

bool OutputEngine::takeTickRequest() { return sender_.takeTickRequest() && sender_.isEnabled(); }

// The frame goes to the sender, which puts it on the wire at its next grid
// point; ticks of kinds it does not serve take back what it holds.
void OutputEngine::handOver(InterfaceKind type)
{
    if (type == Interface::NoInterface)
        sender_.withdraw();
    else
        sender_.publish(type, model_);
    if (ownSender_)
        sender_.sendNow();
}

void OutputEngine::mergeInput(const DmxInputFrame* input, InputMerge merge)
{
    input_ = input;
    merge_ = merge;
}

FrameDestination& OutputEngine::destinationOf(FrameShape shape)
{
    switch (shape) {
    case FrameShape::CardMemory:
        return isaCard_;
    case FrameShape::Bytes:
        return byteFrame_;
    case FrameShape::Wide:
        return wideFrame_;
    case FrameShape::None:
        break;
    }
    return noDestination_;
}

void OutputEngine::AutoXmit()
{
    music_.tick(model_.hasState(StateFlag::SequencePlaying));
    const InterfaceKind type = model_.InterfaceType;
    if (type != builtForType_ || sender_.openCount() != builtForOpen_) {
        frameBuilt_ = false;
        builtForType_ = type;
        builtForOpen_ = sender_.openCount();
    }
    const OutputPort& port = portFor(type);
    const bool sentBySender = port.shape() == FrameShape::Bytes || port.shape() == FrameShape::Wide;
    // Kinds the sender does not serve take back what it holds, so that a
    // stale frame is never repeated to the wrong device.
    if (!sentBySender)
        handOver(Interface::NoInterface);
    if (port.shape() == FrameShape::None) {
        if (port.playsOnTheWall())
            OhneKarte();
        return;
    }
    if (!port.ready(model_)) {
        OhneKarte();
        return;
    }
    port.beforeFrame(model_, devices_.ports);
    FrameDestination& destination = leaving(destinationOf(port.shape()));
    if (merging()) {
        if (merger_.shape() != port.shape())
            stopMerging(port.shape());
        buildFrame(merger_.prepare(port, model_, devices_.ports));
        merger_.merge(*input_, merge_, destination);
    } else {
        stopMerging(port.shape());
        buildFrame(destination);
    }
    refreshMonitorRows(port);
    if (port.afterFrame(model_, view_, timer_, devices_.ports))
        handOver(type);
}

// Where frames are sent, test mode freezes a playing sequence.
void OutputEngine::buildFrame(FrameDestination& destination)
{
    const bool testMode = model_.hasState(StateFlag::TestMode);
    if (model_.hasState(StateFlag::SequencePlaying) && !testMode)
        MitKarte(destination);
    else if (testMode)
        BuildTestFrame(model_, destination);
    else
        MitKarteHold(model_, destination);
    frameBuilt_ = true;
}

// Applied last, to the merged frame as well. The test levels go out as they
// are: the test window checks the lamps.
FrameDestination& OutputEngine::leaving(FrameDestination& destination)
{
    if (!music_.levelOn() || model_.hasState(StateFlag::TestMode))
        return destination;
    return scaled_.around(destination);
}

// The test levels go out as they are: the test window checks the lamps.
bool OutputEngine::merging() const
{
    return input_ && merge_ != InputMerge::Off && input_->live && !model_.hasState(StateFlag::TestMode);
}

void OutputEngine::stopMerging(FrameShape current)
{
    if (!merger_.holding())
        return;
    const FrameShape merged = merger_.shape();
    const bool cardGone = merged == FrameShape::CardMemory && current != FrameShape::CardMemory;
    merger_.release(cardGone ? noDestination_ : destinationOf(merged), model_);
}

void OutputEngine::refreshMonitorRows(const OutputPort& port)
{
    if (!model_.hasState(StateFlag::DmxMonitorOn))
        return;
    for (int row = 0; row < MonitorRows; ++row) {
        const int channel = (*monitored_)[row];
        // A row whose channel field holds no valid channel keeps its old value.
        if (channel < 1 || channel > DmxChannels)
            continue;
        view_.setMonitorValue(row, port.readBack(model_, devices_.ports, channel));
    }
}

void OutputEngine::MitKarte(FrameDestination& destination) { advanceSequence(destination, true); }

void OutputEngine::OhneKarte() { advanceSequence(noDestination_, false); }

void OutputEngine::advanceSequence(FrameDestination& destination, bool withInterface)
{
    // Without an interface the hold build writes nothing, so a stopped show
    // has nothing to do.
    if (!model_.hasState(StateFlag::SequencePlaying))
        return;
    if (seekTimeline_) {
        applySeek(destination, withInterface);
        return;
    }

    char label[32];
    if (holding()) {
        if (withInterface)
            MitKarteHold(model_, destination);
        if (awaitingBeat_) {
            view_.setSequencerLabel(labelText(label, StatusText::HoldLabel, music_.beatsToStep()));
            return;
        }
        --model_.HoldCounter;
        view_.setSequencerLabel(labelText(label, StatusText::HoldLabel, model_.HoldCounter + 1L));
        return;
    }

    if (model_.BlendCounter != 0) {
        MitKarteBlend(model_, view_, destination);
    } else {
        // Load the next step. A step 0 can only come from a half-made state;
        // it is read as step 1 so that no table is indexed below its start.
        const int step = std::max<int>(model_.CurrentStep, 1);
        const std::uint16_t ownBlend = effectiveBlendTime(model_.blendTime(step));
        awaitingBeat_ = music_.beatOn();
        model_.BlendTime = awaitingBeat_ ? music_.blendTicks(ownBlend) : ownBlend;
        model_.BlendCounter = model_.BlendTime + 1;
        model_.HoldCounter = awaitingBeat_ ? 0 : model_.holdTime(step);
        model_.CurrentStep = static_cast<std::uint8_t>(step < model_.StepCount ? step + 1 : 1);
        BlendeBerechnen();
        // A load tick builds nothing, so the interface repeats its last frame;
        // one that has none of the show yet gets the wall's picture instead
        // of levels nobody built.
        if (withInterface && !frameBuilt_)
            MitKarteHold(model_, destination);
    }
    --model_.BlendCounter;
    view_.setSequencerLabel(labelText(label, StatusText::BlendLabel, model_.BlendCounter));
}

bool OutputEngine::holding()
{
    if (!awaitingBeat_)
        return model_.HoldCounter > 0;
    // A step loaded on Beat holds until its beat; with Beat switched off
    // meanwhile, or after PLAY and STOP reset the counters, it holds no more.
    if (music_.beatOn() && model_.BlendCounter != 0 && !music_.takeStepBeat())
        return true;
    awaitingBeat_ = false;
    return false;
}

bool OutputEngine::seekTo(SequenceTimeline& timeline, std::int64_t tick)
{
    if (!model_.hasState(StateFlag::SequencePlaying) || music_.beatOn() || tick < 0 || timeline.empty())
        return false;
    seekTimeline_ = &timeline;
    seekTick_ = tick;
    AutoXmit();
    seekTimeline_ = nullptr;
    return true;
}

// The step's fade starts from the picture its load found on the wall; only
// the ticks of this one fade are replayed.
void OutputEngine::applySeek(FrameDestination& destination, bool withInterface)
{
    SequenceTimeline& timeline = *seekTimeline_;
    const TimelinePosition at = timeline.at(seekTick_);
    const std::vector<std::uint8_t>& picture = timeline.pictureAtLoad(at.loop, at.step);
    const int next = at.step < timeline.stepCount() ? at.step + 1 : 1;
    const std::uint8_t* target = timeline.stepColours(next);
    const std::uint16_t fade = timeline.fadeTicks(at.step);
    const std::uint16_t hold = timeline.holdTicks(at.step);
    const std::int64_t faded = std::max<std::int64_t>(at.tickInStep - hold, 0);

    awaitingBeat_ = false;
    model_.BlendTime = fade;
    model_.CurrentStep = static_cast<std::uint8_t>(next);
    model_.HoldCounter = static_cast<std::int32_t>(std::max<std::int64_t>(hold - at.tickInStep, 0));
    model_.BlendCounter = static_cast<std::int32_t>(fade - faded);
    showStepTimes();
    const int elements = std::min(model_.elementsInUse(), timeline.elements());
    for (int element = 1; element <= elements; ++element) {
        for (int plane = Red; plane <= White; ++plane) {
            const int i = ShowModel::blendIndex(element, plane);
            const float increment = blendIncrement(picture[i], target[i], fade);
            const float level = fadedLevel(picture[i], increment, faded);
            model_.BlendIncrements[i] = increment;
            model_.BlendLevels[i] = level;
            model_.colour(plane, element) = faded == 0 ? picture[i] : roundedLevel(level);
        }
        ShowElementColour(model_, view_, element - 1);
    }
    if (withInterface)
        MitKarteHold(model_, destination);

    char label[32];
    const bool inHold = at.tickInStep > 0 && at.tickInStep <= hold;
    if (inHold)
        view_.setSequencerLabel(labelText(label, StatusText::HoldLabel, model_.HoldCounter + 1L));
    else
        view_.setSequencerLabel(labelText(label, StatusText::BlendLabel, model_.BlendCounter));
}

void OutputEngine::showStepTimes()
{
    char field[16];
    const int step = model_.CurrentStep;
    view_.setSequencerField(0, labelText(field, " ", step));
    view_.setSequencerField(1, labelText(field, " ", model_.blendTime(step)));
    view_.setSequencerField(2, labelText(field, " ", model_.holdTime(step)));
}

void OutputEngine::BlendeBerechnen()
{
    showStepTimes();
    const int step = model_.CurrentStep;
    const int elements = model_.elementsInUse();
    for (int element = 1; element <= elements; ++element) {
        for (int plane = Red; plane <= White; ++plane) {
            const int i = ShowModel::blendIndex(element, plane);
            const std::uint8_t from = model_.colour(plane, element);
            model_.BlendLevels[i] = from;
            model_.BlendIncrements[i] = blendIncrement(from, model_.stepColour(step, element, plane), model_.BlendTime);
        }
    }
}

void OutputEngine::JumpToStep()
{
    timer_.pauseTicks();
    view_.setTitle(model_.OsName + StatusText::SceneChange);
    if (model_.CurrentStep < 1)
        model_.CurrentStep = 1;
    showStepTimes();
    const int step = model_.CurrentStep;
    const int elements = model_.elementsInUse();
    for (int element = 1; element <= elements; ++element) {
        for (int plane = Red; plane <= White; ++plane)
            model_.colour(plane, element) = model_.stepColour(step, element, plane);
        ShowElementColour(model_, view_, element - 1);
    }
    view_.setSequencerLabel("Auf Szene Nr " + std::to_string(step) + " gesprungen.");
    model_.BlendCounter = 0;
    model_.HoldCounter = 0;
    awaitingBeat_ = false;
    timer_.setEnabled(true);
}

}  // namespace tinctara
