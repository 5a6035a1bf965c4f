// One output tick of a full 121-element wall (484 patched planes) on the ISA
// path, through the process's port library to the emulated 7301B at 0x120:
// three port writes per plane and the run strobe.
#include "SharedPortBus.h"
#include "engine/OutputEngine.h"
#include "model/WallBuilder.h"
#include "tinctara_portio.h"

#include "QuietPlatform.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace tinctara {
namespace {

void BM_HoldTickVirtualBus7301B(benchmark::State& state)
{
    // No hardware.ini in this folder: the shipped default, one 7301B at 0x120.
    PortIoConfigure("/nonexistent", "virtual");
    ShowView view;
    bench::QuietUser user;
    bench::QuietTimer timer;
    SharedPortBus ports;
    bench::QuietUsb usb;
    bench::QuietCardLibrary cardLibrary;

    auto model = bench::largestWall(view, user);
    for (int element = 1; element <= 121; ++element)
        for (int plane = Red; plane <= White; ++plane)
            model->colour(plane, element) = static_cast<std::uint8_t>(element + plane);
    model->InterfaceType = Interface::IsaCard7301AB;
    model->CardBaseAddress = 0x120;
    model->TimingBlockPending = 0;

    OutputEngine engine(*model, view, timer, OutputDevices{ports, usb, cardLibrary});
    for (auto _ : state) {
        engine.AutoXmit();
        benchmark::ClobberMemory();
    }
    std::uint8_t level = 0;
    VirtualIsaCardMemory(0x120, 0x400, &level, 1);
    if (level != model->colour(Red, 1))
        state.SkipWithError("the card did not receive the wall's levels");
}

BENCHMARK(BM_HoldTickVirtualBus7301B);

}  // namespace
}  // namespace tinctara

BENCHMARK_MAIN();
