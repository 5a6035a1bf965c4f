#include "dmx/DmxRunControl.h"

#include "dmx/IsaCard.h"
#include "model/StatusTexts.h"

#include <cstdio>

namespace tinctara {

namespace {

bool cardKnown(const ShowModel& model) { return model.CardBaseAddress > 255; }

// The title is set on every ISA tick; it is composed on the stack.
void setTitle(const ShowModel& model, ShowView& view, const char* text)
{
    char title[256];
    std::snprintf(title, sizeof title, "%s%s", model.OsName.c_str(), text);
    view.setTitle(title);
}

}  // namespace

void DmxStart(ShowModel& model, ShowView& view, OutputTimer& timer, PortIo& ports)
{
    if (!cardKnown(model))
        return;
    CardRunStrobe(ports, static_cast<std::uint16_t>(model.CardBaseAddress), model.InterfaceType);
    timer.setEnabled(true);
    setTitle(model, view, StatusText::DmxStarted);
    view.setDmxStartStopChecked(true, false);
}

void DmxStop(ShowModel& model, ShowView& view, OutputTimer& timer, PortIo& ports)
{
    if (!cardKnown(model))
        return;
    timer.setEnabled(false);
    setTitle(model, view, StatusText::DmxStopped);
    CardHaltStrobe(ports, static_cast<std::uint16_t>(model.CardBaseAddress), model.InterfaceType);
    view.setDmxStartStopChecked(false, true);
}

}  // namespace tinctara
