#include "CliInput.h"

#include "CliOutput.h"
#include "dmx/NetworkOutput.h"
#include "dmx/NetworkPackets.h"

namespace tinctara::cli {

namespace {

InputKind inputKindOf(const std::string& option, const std::string& name)
{
    if (name == "sacn")
        return InputKind::Sacn;
    if (name == "artnet")
        return InputKind::ArtNet;
    throw UsageError{option + " takes sacn or artnet"};
}

}  // namespace

InputSettings readInputOptions(const Options& parsed, const InputOptionNames& names)
{
    InputSettings settings;
    const std::string* kind = parsed.find(names.kind);
    const std::string* universe = parsed.find(names.universe);
    const std::string* listen = parsed.find(names.listen);
    if (!kind) {
        for (const std::string* given : {universe, listen})
            if (given)
                throw UsageError{std::string(given == universe ? names.universe : names.listen) + " goes with " +
                                 names.kind};
        return settings;
    }
    settings.kind = inputKindOf(names.kind, *kind);
    if (!universe)
        throw UsageError{std::string(names.universe) + " is needed"};
    settings.universe = settings.kind == InputKind::Sacn
                            ? static_cast<int>(numberIn(names.universe, *universe, SacnFirstUniverse, SacnLastUniverse))
                            : static_cast<int>(numberIn(names.universe, *universe, 0, ArtNetLastPortAddress));
    if (listen) {
        if (!parseIpv4(*listen))
            throw UsageError{std::string(names.listen) + " takes an IPv4 address"};
        settings.listenAddress = *listen;
    }
    return settings;
}

CliInput::CliInput(const CliOutput& output, SettingsStore& networkSettings)
    : service_({clock_, installationCid(networkSettings), &output.networkSocket()})
{
}

bool CliInput::start(const InputSettings& settings, CliOutput& output, std::ostream& err)
{
    if (const std::string problem = service_.start(settings); !problem.empty()) {
        err << ErrorPrefix << problem << '\n';
        return false;
    }
    if (service_.descriptor() >= 0)
        output.watch(service_.descriptor(), [this] { service_.readable(); });
    return true;
}

}  // namespace tinctara::cli
