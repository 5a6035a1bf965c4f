#include "remote/RemoteModule.h"
#include "RemoteServer.h"

// The one entry point of libtinctararemote.so; everything else in the module
// stays hidden.
extern "C" __attribute__((visibility("default"))) tinctara::RemoteControl*
tinctaraRemoteServer1(tinctara::RemoteActions& actions, tinctara::Clock& clock)
{
    return new tinctara::RemoteServer(actions, clock);
}
