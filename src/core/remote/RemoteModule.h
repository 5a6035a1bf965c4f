#pragma once

#include "platform/Clock.h"
#include "remote/RemoteMessages.h"
#include "remote/RemoteSettings.h"

// The web remote's server is a module of its own (libtinctararemote.so), so
// that the network libraries are loaded only when the remote is used. The
// program finds it beside its executable or in its library folder and makes
// the server through this function; the caller owns the result. The "1" is
// the version of this interface: a module of another build is not used.
using TinctaraRemoteServerFunction = tinctara::RemoteControl* (*)(tinctara::RemoteActions&, tinctara::Clock&);
inline constexpr const char* TinctaraRemoteModule = "libtinctararemote.so";
inline constexpr const char* TinctaraRemoteServerSymbol = "tinctaraRemoteServer1";
