#pragma once

#include "CliOptions.h"
#include "input/DmxInput.h"
#include "platform/SystemClock.h"

#include <ostream>

namespace tinctara::cli {

class CliOutput;

// The names a command gives the options of its input: record takes
// --interface, --universe and --listen, play --input, --input-universe and
// --input-listen.
struct InputOptionNames {
    const char* kind;
    const char* universe;
    const char* listen;
};

// The desk's universe the options name: sacn or artnet, the universe as the
// output's settings take it (sACN 1..63999, Art-Net the port-address
// 0..32767) and an IPv4 address to listen on; anything else is a usage error.
// Without the kind option: kind None, and the other two are refused.
InputSettings readInputOptions(const Options& parsed, const InputOptionNames& names);

// A desk's universe, read on the command's thread while a tick waits for the grid;
// what `output` sends itself (its CID kept in `networkSettings`, its socket) is no desk.
class CliInput {
public:
    CliInput(const CliOutput& output, SettingsStore& networkSettings);

    // Opens the socket and has `output` serve it; false, with the reason on
    // `err`, when it could not be opened.
    bool start(const InputSettings& settings, CliOutput& output, std::ostream& err);
    DmxInputService& service() { return service_; }

private:
    SystemClock clock_;
    DmxInputService service_;
};

}  // namespace tinctara::cli
