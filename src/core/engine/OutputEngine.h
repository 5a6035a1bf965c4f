#pragma once

#include "dmx/DmxSender.h"
#include "dmx/OutputPort.h"
#include "engine/FrameBuilder.h"
#include "engine/InputMerger.h"
#include "engine/MusicSync.h"
#include "engine/SequenceTimeline.h"
#include "input/DmxInput.h"
#include "model/ShowModel.h"
#include "platform/DmxLibraries.h"
#include "platform/Network.h"
#include "platform/OutputTimer.h"
#include "platform/PortIo.h"
#include "platform/ShowView.h"

#include <array>
#include <memory>
#include <optional>

namespace tinctara {

inline constexpr int MonitorRows = 8;
// The channels whose levels the DMX test window's monitor rows show; 0 for a
// row whose field holds no channel (the row keeps the level it shows).
using MonitoredChannels = std::array<int, MonitorRows>;

// The devices a tick may hand its frame to.
struct OutputDevices {
    PortIo& ports;
    UsbDmxLibrary& usb;
    DmxCardLibrary& cardLibrary;
    NetworkDmxSender* network = nullptr;  // sACN and Art-Net; none: their frames go nowhere
    // Where the frames of types 3 to 7 are handed over. None: the engine has a
    // sender of its own without a thread and sends each frame at the end of
    // its tick.
    DmxSender* sender = nullptr;
};

// The 50 ms heartbeat. Whoever owns the timer calls AutoXmit() once per tick
// (the program: RequestedTick() when the sender's grid asks); tests call it
// directly. A tick allocates nothing.
class OutputEngine {
public:
    OutputEngine(ShowModel& model, ShowView& view, OutputTimer& timer, OutputDevices devices);

    OutputEngine(const OutputEngine&) = delete;
    OutputEngine& operator=(const OutputEngine&) = delete;

    // One output tick, by InterfaceType.
    void AutoXmit();
    // The tick the sender's grid asked for, unless output was stopped meanwhile.
    void RequestedTick() { RequestedTicks(1); }
    // The same request served by `count` ticks: 0 repeats the last frame, 2
    // drops one (a song's audio clock paces a music preview). The request is
    // taken either way, so the grid asks again.
    void RequestedTicks(int count);
    // Takes the request the grid made, for a caller that serves it by
    // itself (AutoXmit, seekTo); false when none waits or output stopped.
    bool takeTickRequest();

    // Shows step CurrentStep at once and restarts playback from it. The caller
    // sets CurrentStep (1..StepCount) first.
    void JumpToStep();

    // Advance a playing sequence by one tick, with or without an interface.
    void MitKarte(FrameDestination& destination);
    void OhneKarte();

    // Prepares the fade from the picture on the wall to the colours of CurrentStep.
    void BlendeBerechnen();

    // Tick `tick` after PLAY, as if every tick before it had run: the
    // counters, the fade, the wall's colours, the frame and the labels are
    // those that playing up to it leaves. It stands in for that tick's
    // AutoXmit. Refused (false, nothing done) while the sequence is not
    // playing, with the Beat on, for a negative tick or an empty time line.
    bool seekTo(SequenceTimeline& timeline, std::int64_t tick);


    // The channels the monitor rows read back, held by the DMX test window's
    // presenter; until it is set, channels 1 to 8.
    void watchChannels(const MonitoredChannels& channels) { monitored_ = &channels; }

    // The desk's universe the tick merges into its frame, and how; none or
    // InputMerge::Off sends the program alone. The frame is read in every tick.
    void mergeInput(const DmxInputFrame* input, InputMerge merge);
    // The outputs were set to 0 from outside the tick (CLR ALL): a merge
    // under way takes 0 as the program's level of every channel.
    void outputsCleared() { merger_.programCleared(); }

    // Beat, Tap and Pegel: fed by whoever owns the audio, read by every tick.
    MusicSync& music() { return music_; }
    const MusicSync& music() const { return music_; }

private:
    void advanceSequence(FrameDestination& destination, bool withInterface);
    // The sequence's state at the tick a seek is under way to.
    void applySeek(FrameDestination& destination, bool withInterface);
    // Whether a playing step still holds this tick (its counter, or its beat).
    bool holding();
    // Where the levels of a tick go: through the level master while it is on.
    FrameDestination& leaving(FrameDestination& destination);
    void buildFrame(FrameDestination& destination);
    // Whether this tick merges the input: a mode, a live input, no test mode.
    bool merging() const;
    // Ends a merge under way: the program's levels go back into the frame
    // the merge wrote (card memory only while a card is the interface).
    void stopMerging(FrameShape current);
    // The buffer the builds write for a port's frame.
    FrameDestination& destinationOf(FrameShape shape);
    void refreshMonitorRows(const OutputPort& port);
    void showStepTimes();
    void handOver(InterfaceKind type);

    ShowModel& model_;
    ShowView& view_;
    OutputTimer& timer_;
    OutputDevices devices_;
    IsaCardDestination isaCard_;
    ByteFrameDestination byteFrame_;
    WideFrameDestination wideFrame_;
    NoDestination noDestination_;
    static constexpr MonitoredChannels FirstChannels{1, 2, 3, 4, 5, 6, 7, 8};
    const MonitoredChannels* monitored_ = &FirstChannels;
    const DmxInputFrame* input_ = nullptr;
    InputMerge merge_ = InputMerge::Off;
    InputMerger merger_;
    MusicSync music_;
    ScaledDestination scaled_{music_};
    // The step loaded on Beat waits for its beat rather than its hold time.
    bool awaitingBeat_ = false;
    // Set only while seekTo runs its tick.
    SequenceTimeline* seekTimeline_ = nullptr;
    std::int64_t seekTick_ = 0;
    std::unique_ptr<DmxSender> ownSender_;  // when none was given
    DmxSender& sender_;
    // Whether a frame was built since the interface opened: until one was,
    // the interface holds nothing of the show.
    bool frameBuilt_ = false;
    std::optional<InterfaceKind> builtForType_;
    unsigned builtForOpen_ = 0;
};

}  // namespace tinctara
