#pragma once

#include "model/ShowModel.h"
#include "platform/DmxLibraries.h"
#include "platform/GridClock.h"
#include "platform/Network.h"
#include "platform/OutputTimer.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace tinctara {

// The devices whose frames the sender hands on: the USB library (type 3),
// the card library (4, 5) and the network kinds (6, 7). ISA cards refresh DMX
// themselves and are written by the tick.
struct SenderDevices {
    UsbDmxLibrary& usb;
    DmxCardLibrary& cardLibrary;
    NetworkDmxSender* network = nullptr;
};

// One frame as it leaves the machine.
class OutputPort;

struct OutgoingFrame {
    InterfaceKind type = InterfaceKind::NoInterface;  // the interface kind it goes to; none: nothing to send
    const OutputPort* port = nullptr;                 // the kind's port, looked up once at the hand-over
    std::int32_t cardHandle = 0;
    std::array<std::uint8_t, DmxFrameSlots> bytes{};
    std::array<std::uint32_t, DmxFrameSlots> wide{};
};

// Where frames leave: a thread of its own wakes on an absolute 50 ms grid of
// the monotonic clock and sends the last frame the UI thread handed over
// (again, if no new one came), so that the grid paces the tick and a held UI
// thread never holds the wire. It asks the UI thread for each tick `lead`
// before the grid point the tick's frame leaves at; a tick not done by then
// leaves at the point after. The first grid point after enabling is asked
// for by nobody and sends what was there. With a lead of 0 the sender asks
// right after sending, and the frame leaves a whole period later.
//
// The hand-over is a triple buffer: the UI thread fills its own slot and swaps
// it in with one atomic exchange, the sender swaps the newest out the same
// way; neither waits for the other and nothing is allocated.
//
// It is also the output timer (AutoXmit): enabled, the grid runs and asks for
// ticks; disabled, it neither sends nor asks; paused (pauseTicks), it repeats
// the last frame on the grid and asks for nothing. Without a clock there is no
// thread, and whoever publishes calls sendNow() itself.
class DmxSender : public OutputTimer {
public:
    static constexpr std::int64_t PeriodNanoseconds = 50'000'000;
    // A tick takes well under 1 ms; the lead is the most an outside event
    // (a key, OSC, MIDI) waits beyond one period for its frame, so it is
    // kept short while leaving a busy UI thread a few ms to answer.
    static constexpr std::int64_t DefaultLeadNanoseconds = 5'000'000;

    explicit DmxSender(SenderDevices devices, GridClock* clock = nullptr, TickRequests* requests = nullptr,
                       std::int64_t leadNanoseconds = DefaultLeadNanoseconds);
    ~DmxSender() override;
    DmxSender(const DmxSender&) = delete;
    DmxSender& operator=(const DmxSender&) = delete;

    // UI thread ------------------------------------------------------------

    // Hands the frame of `type` over (the byte frame for 3, 6 and 7, the wide
    // frame for 4 and 5).
    void publish(InterfaceKind type, const ShowModel& model);
    // From now on nothing is sent until a frame is published again (the tick
    // drives a kind that the sender does not serve).
    void withdraw();
    // An interface was opened: what was handed over before is not for it.
    void deviceOpened();
    // How many times an interface was opened; a tick compares it with what it saw last.
    unsigned openCount() const { return opens_; }

    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return enabled_.load(std::memory_order_relaxed); }
    void pauseTicks() override;

    // Clears the waiting tick request; true when there was one.
    bool takeTickRequest() { return tickRequested_.exchange(false, std::memory_order_acq_rel); }

    // Held while the UI thread opens or closes a device the sender talks to.
    std::unique_lock<std::mutex> lockDevices() { return std::unique_lock<std::mutex>(deviceMutex_); }

    // The sender's side ------------------------------------------------------

    // Sends the newest frame handed over, or the last one again; nothing
    // before the first. Called on the grid, or by the publisher when there is
    // no thread.
    void sendNow();
    // One grid point without a lead: sendNow(), then ask for the next tick
    // unless a request is still waiting.
    void gridPoint();

private:
    static constexpr unsigned Fresh = 4;

    void askForTick();
    void leadPoint();
    void run();
    void transmit(OutgoingFrame& frame);
    void stopThread();
    void setState(bool enabled, bool keepWire);

    SenderDevices devices_;
    GridClock* clock_;
    TickRequests* requests_;
    std::int64_t lead_;

    std::array<OutgoingFrame, 3> slots_;
    unsigned back_ = 0;                // the UI thread's slot
    unsigned front_ = 1;               // the sender's slot
    std::atomic<unsigned> middle_{2};  // the slot in between, | Fresh when newer than the front
    InterfaceKind lastPublished_ = InterfaceKind::NoInterface;  // UI thread: the type of the last frame handed over
    unsigned opens_ = 0;

    std::atomic<bool> tickRequested_{false};
    std::atomic<bool> enabled_{false};
    std::atomic<bool> keepWire_{false};
    std::atomic<bool> stopping_{false};
    std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    std::mutex deviceMutex_;
    std::thread thread_;
};

}  // namespace tinctara
