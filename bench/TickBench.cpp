// One output tick of a full 121-element wall in the fade phase, per destination,
// alone and with a desk's universe merged; the sender's hand-over and grid point.
#include "engine/OutputEngine.h"
#include "model/WallBuilder.h"

#include "QuietPlatform.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace tinctara {
namespace {

// A port bus that decodes one ISA card's address latch into card memory, as
// the virtual card does, without recording.
class CardPortBus : public PortIo {
public:
    std::uint8_t readPort(std::uint32_t port) override { return port == 0x122 ? memory_[latch_] : 0; }
    void writePort(std::uint32_t port, std::uint8_t value) override
    {
        if (port == 0x120)
            latch_ = static_cast<std::uint16_t>((latch_ & 0xFF00) | value);
        else if (port == 0x121)
            latch_ = static_cast<std::uint16_t>((latch_ & 0x00FF) | (value << 8));
        else if (port == 0x122)
            memory_[latch_] = value;
    }

private:
    std::uint16_t latch_ = 0;
    std::array<std::uint8_t, 0x10000> memory_{};
};

void fadeTick(benchmark::State& state, InterfaceKind interfaceType, InputMerge merge = InputMerge::Off)
{
    ShowView view;
    bench::QuietUser user;
    bench::QuietTimer timer;
    CardPortBus ports;
    bench::QuietUsb usb;
    bench::QuietCardLibrary cardLibrary;

    auto model = bench::largestWall(view, user);
    model->TimingBlockPending = 0;
    model->InterfaceType = interfaceType;
    model->CardBaseAddress = 0x120;
    model->StepCount = 2;
    for (int element = 1; element <= 121; ++element)
        for (int plane = Red; plane <= White; ++plane) {
            model->stepColour(1, element, plane) = 0;
            model->stepColour(2, element, plane) = 255;
        }
    // A fade that never ends: each round restarts the same long fade.
    model->holdTime(1) = 0;
    model->blendTime(1) = 60000;
    model->holdTime(2) = 0;
    model->blendTime(2) = 60000;
    model->CurrentStep = 1;
    model->setState(StateFlag::SequencePlaying);

    OutputEngine engine(*model, view, timer, OutputDevices{ports, usb, cardLibrary});
    // A desk that covers the whole universe.
    DmxInputFrame input;
    for (std::size_t slot = 0; slot < input.levels.size(); ++slot)
        input.levels[slot] = static_cast<std::uint8_t>(slot * 7);
    input.covered = input.levels.size();
    input.live = true;
    engine.mergeInput(&input, merge);
    engine.AutoXmit();  // load: the following ticks all fade
    for (auto _ : state) {
        engine.AutoXmit();
        benchmark::ClobberMemory();
    }
}

void BM_FadeTickIsaCard(benchmark::State& state) { fadeTick(state, Interface::IsaCard7301AB); }
void BM_FadeTickUsbFrame(benchmark::State& state) { fadeTick(state, Interface::UsbInterface); }
void BM_FadeTickLibraryFrame(benchmark::State& state) { fadeTick(state, Interface::PciCard7304); }
void BM_FadeTickIsaCardMergeHtp(benchmark::State& state) { fadeTick(state, Interface::IsaCard7301AB, InputMerge::Htp); }
void BM_FadeTickIsaCardMergeLtp(benchmark::State& state) { fadeTick(state, Interface::IsaCard7301AB, InputMerge::Ltp); }
void BM_FadeTickUsbFrameMergeHtp(benchmark::State& state) { fadeTick(state, Interface::UsbInterface, InputMerge::Htp); }
void BM_FadeTickUsbFrameMergeLtp(benchmark::State& state) { fadeTick(state, Interface::UsbInterface, InputMerge::Ltp); }

// The sender's share of a period: the hand-over of a frame and one grid point.
void BM_HandOverAndGridPoint(benchmark::State& state)
{
    bench::QuietUsb usb;
    bench::QuietCardLibrary cardLibrary;
    auto model = std::make_unique<ShowModel>();
    DmxSender sender(SenderDevices{usb, cardLibrary});
    for (auto _ : state) {
        sender.publish(Interface::UsbInterface, *model);
        sender.gridPoint();
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_FadeTickIsaCard);
BENCHMARK(BM_HandOverAndGridPoint);
BENCHMARK(BM_FadeTickUsbFrame);
BENCHMARK(BM_FadeTickLibraryFrame);
BENCHMARK(BM_FadeTickIsaCardMergeHtp);
BENCHMARK(BM_FadeTickIsaCardMergeLtp);
BENCHMARK(BM_FadeTickUsbFrameMergeHtp);
BENCHMARK(BM_FadeTickUsbFrameMergeLtp);

}  // namespace
}  // namespace tinctara

BENCHMARK_MAIN();
