#include "engine/OutputStack.h"

namespace tinctara {

OutputStack::OutputStack(OutputStackSetup setup)
    : usb_(libraryFolders(setup.programFolder)), cardLibrary_(libraryFolders(setup.programFolder)),
      sender_(SenderDevices{usb_, cardLibrary_, &network_}, setup.gridClock, &tickRequests_, setup.tickLeadNanoseconds),
      engine_(setup.model, setup.view, sender_, OutputDevices{setup.ports, usb_, cardLibrary_, &network_, &sender_}),
      interfaces_(setup.model, setup.view, setup.user, sender_, setup.messages,
                  InterfaceHardware{setup.ports, usb_, setup.clock, setup.programFolder, &network_,
                                    setup.networkSettings, &sender_})
{
}

// The grid stops before the devices it sends to go.
OutputStack::~OutputStack() { sender_.setEnabled(false); }

}  // namespace tinctara
