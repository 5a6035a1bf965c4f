#include "dmx/InterfaceRegistry.h"

namespace tinctara {

namespace {
const std::string noText;
}

InterfaceRegistry::InterfaceRegistry(ShowModel& model, ShowView& view, UserInteraction& user, OutputTimer& timer,
                                     const MessageTable& messages)
    : model_(model), view_(view), user_(user), timer_(timer), messages_(messages)
{
}

const std::string& InterfaceRegistry::statusText(int type) const
{
    return type >= 0 && type < InterfaceKinds ? InterfaceStatusText[type] : noText;
}

void InterfaceRegistry::setStatusLine(const std::string& text)
{
    view_.setTitle(model_.OsName + text);
}

void InterfaceRegistry::OpenPort(std::int16_t type)
{
    setStatusLine(": QOR DMX TINCTARA: ..... searching interface ...");
    ClosePort(type);
    switch (type) {
    case Interface::NoInterface:
        user_.messageBox("INTERFACE SELECT ERROR", messages_[96], MessageButtons::Ok, MessageIcon::Stop);
        return;
    case Interface::IsaCard7301AB:
        InterfaceStatusText[1] = "7301B DMX Interface not found";
        ReportFailure(type);
        return;
    case Interface::IsaCard7301C:
        InterfaceStatusText[2] = "7301C DMX Interface not found";
        ReportFailure(type);
        return;
    case Interface::UsbInterface:
        InterfaceStatusText[3] = "USB DMX Interface not found";
        ReportFailure(type);
        return;
    default:
        return;  // the library cards are never opened
    }
}

void InterfaceRegistry::ClosePort(std::int16_t type)
{
    if (type < 0 || type >= InterfaceKinds)
        return;
    InterfacePresent[type] = 0;
    setStatusLine(":  QOR DMX TINCTARA");
}

void InterfaceRegistry::ReportFailure(std::int16_t& type)
{
    timer_.setEnabled(false);
    ClosePort(type);
    if (type == Interface::IsaCard7301AB || type == Interface::IsaCard7301C)
        model_.CardBaseAddress = 0;
    type = 0;
    setStatusLine(": QOR DMX TINCTARA:  Interface Initialization failed");
}

}  // namespace tinctara
