#pragma once

#include "engine/FrameBuilder.h"
#include "model/ShowModel.h"
#include "platform/DmxLibraries.h"
#include "platform/Network.h"
#include "platform/OutputTimer.h"
#include "platform/PortIo.h"
#include "platform/ShowView.h"

namespace tinctara {

// The devices a tick may hand its frame to.
struct OutputDevices {
    PortIo& ports;
    UsbDmxLibrary& usb;
    DmxCardLibrary& cardLibrary;
    NetworkDmxSender* network = nullptr;  // sACN and Art-Net; none: their frames go nowhere
};

// The 50 ms heartbeat. Whoever owns the timer calls AutoXmit() once per tick;
// tests call it directly. A tick allocates nothing.
class OutputEngine {
public:
    OutputEngine(ShowModel& model, ShowView& view, OutputTimer& timer, OutputDevices devices);

    OutputEngine(const OutputEngine&) = delete;
    OutputEngine& operator=(const OutputEngine&) = delete;

    // One output tick, by InterfaceType.
    void AutoXmit();

    // Shows step CurrentStep at once and restarts playback from it. The caller
    // sets CurrentStep (1..StepCount) first.
    void JumpToStep();

    // Advance a playing sequence by one tick, with or without an interface.
    void MitKarte(FrameDestination& destination);
    void OhneKarte();

    // Prepares the fade from the picture on the wall to the colours of CurrentStep.
    void BlendeBerechnen();

    // The destination the builds write to for an interface type (none for 0).
    FrameDestination& destinationFor(int interfaceType);

private:
    void advanceSequence(FrameDestination& destination, bool withInterface);
    void buildFrame(FrameDestination& destination);
    void uploadTimingBlock();
    void refreshMonitorRows();
    int monitorLevel(int channel);
    void showStepTimes();

    ShowModel& model_;
    ShowView& view_;
    OutputTimer& timer_;
    OutputDevices devices_;
    IsaCardDestination isaCard_;
    ByteFrameDestination byteFrame_;
    WideFrameDestination wideFrame_;
    NoDestination noDestination_;
};

}  // namespace tinctara
