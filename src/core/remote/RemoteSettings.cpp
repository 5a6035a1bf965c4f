#include "remote/RemoteSettings.h"

#include "text/Text.h"

namespace tinctara {

namespace {
constexpr const char* Application = "TINCTARA";
constexpr const char* Section = "Remote";
}  // namespace

RemoteSettings loadRemoteSettings(SettingsStore& store)
{
    RemoteSettings settings;
    settings.enabled = store.read(Application, Section, "Enabled", "0") == "1";
    const std::string address = store.read(Application, Section, "Address", settings.address);
    if (!address.empty())
        settings.address = address;
    settings.port = numberInRange(store.read(Application, Section, "Port", std::to_string(settings.port)), 1, 65535)
                        .value_or(settings.port);
    settings.code = store.read(Application, Section, "Code", "");
    return settings;
}

void storeRemoteSettings(SettingsStore& store, const RemoteSettings& settings)
{
    store.write(Application, Section, "Enabled", settings.enabled ? "1" : "0");
    store.write(Application, Section, "Address", settings.address);
    store.write(Application, Section, "Port", std::to_string(settings.port));
    store.write(Application, Section, "Code", settings.code);
}

std::string remoteUrl(const RemoteSettings& settings)
{
    return "http://" + settings.address + ":" + std::to_string(settings.port) + "/?code=" + settings.code;
}

}  // namespace tinctara
