#pragma once

#include "model/ShowModel.h"
#include "platform/OutputTimer.h"
#include "platform/PortIo.h"
#include "platform/ShowView.h"

namespace tinctara {

// "DMX Start" and "DMX Stop": start or halt a known ISA card and the output
// timer. Both do nothing while no card base port is known (<= 255).
void DmxStart(ShowModel& model, ShowView& view, OutputTimer& timer, PortIo& ports);
void DmxStop(ShowModel& model, ShowView& view, OutputTimer& timer, PortIo& ports);

}  // namespace tinctara
