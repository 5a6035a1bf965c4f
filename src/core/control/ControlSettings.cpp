#include "control/ControlSettings.h"

#include "text/Text.h"

#include <optional>
#include <string_view>

namespace tinctara {

namespace {

constexpr const char* Application = "TINCTARA";
constexpr const char* OscSection = "Osc";
constexpr const char* MidiSection = "Midi";

int readNumber(SettingsStore& store, const char* section, const char* key, int fallback, int low, int high)
{
    return numberInRange(store.read(Application, section, key, std::to_string(fallback)), low, high).value_or(fallback);
}

constexpr std::string_view ActionNames[] = {"tap",  "all",  "none",    "user", "mix",    "play",
                                            "stop", "back", "forward", "jump", "memory", "tempo"};
static_assert(std::size(ActionNames) == static_cast<std::size_t>(ShowAction::Kind::TapTempo) + 1,
              "a name for every action, in the order of ShowAction::Kind");
constexpr std::string_view TriggerNames[] = {"note", "cc", "pc"};

template <typename Enum, std::size_t Count>
std::optional<Enum> named(std::string_view text, const std::string_view (&names)[Count])
{
    for (std::size_t index = 0; index < Count; ++index)
        if (names[index] == text)
            return static_cast<Enum>(index);
    return std::nullopt;
}

std::optional<MidiBinding> parseBinding(std::string_view text)
{
    std::string_view fields[5];
    for (std::size_t index = 0; index < 5; ++index) {
        const std::size_t comma = text.find(',');
        if ((comma == std::string_view::npos) != (index == 4))
            return std::nullopt;
        fields[index] = text.substr(0, comma);
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
    }
    MidiBinding binding;
    const auto action = named<ShowAction::Kind>(fields[0], ActionNames);
    const auto trigger = named<MidiTrigger>(fields[2], TriggerNames);
    if (!action || !trigger)
        return std::nullopt;
    const int limit = bindingNumberLimit(*action);
    const auto value = numberInRange(fields[1], limit ? 1 : 0, limit);
    const auto channel = numberInRange(fields[3], 1, 16);
    const auto key = numberInRange(fields[4], 0, 127);
    if (!value || !channel || !key)
        return std::nullopt;
    return MidiBinding{*action, *value, *trigger, *channel, *key};
}

}  // namespace

int bindingNumberLimit(ShowAction::Kind action)
{
    switch (action) {
    case ShowAction::Kind::Tap:
        return ElementSlots;
    case ShowAction::Kind::User:
        return UserColours;
    case ShowAction::Kind::Memory:
        return SelectionMemories;
    case ShowAction::Kind::Mix:
        return Planes;
    case ShowAction::Kind::Jump:
        return 99999;
    default:
        return 0;
    }
}

OscSettings loadOscSettings(SettingsStore& store)
{
    OscSettings settings;
    settings.enabled = store.read(Application, OscSection, "Enabled", "0") == "1";
    const std::string address = store.read(Application, OscSection, "Address", settings.address);
    if (!address.empty())
        settings.address = address;
    settings.port = readNumber(store, OscSection, "Port", settings.port, 1, 65535);
    settings.feedbackPort = readNumber(store, OscSection, "FeedbackPort", settings.feedbackPort, 1, 65535);
    settings.feedbackDestination = store.read(Application, OscSection, "FeedbackDestination", "");
    return settings;
}

void storeOscSettings(SettingsStore& store, const OscSettings& settings)
{
    store.write(Application, OscSection, "Enabled", settings.enabled ? "1" : "0");
    store.write(Application, OscSection, "Address", settings.address);
    store.write(Application, OscSection, "Port", std::to_string(settings.port));
    store.write(Application, OscSection, "FeedbackPort", std::to_string(settings.feedbackPort));
    store.write(Application, OscSection, "FeedbackDestination", settings.feedbackDestination);
}

MidiSettings loadMidiSettings(SettingsStore& store)
{
    MidiSettings settings;
    settings.enabled = store.read(Application, MidiSection, "Enabled", "0") == "1";
    settings.port = store.read(Application, MidiSection, "Port", "");
    settings.deviceId = readNumber(store, MidiSection, "DeviceId", settings.deviceId, 0, 127);
    settings.bindings = parseBindings(store.read(Application, MidiSection, "Bindings", ""));
    return settings;
}

void storeMidiSettings(SettingsStore& store, const MidiSettings& settings)
{
    store.write(Application, MidiSection, "Enabled", settings.enabled ? "1" : "0");
    store.write(Application, MidiSection, "Port", settings.port);
    store.write(Application, MidiSection, "DeviceId", std::to_string(settings.deviceId));
    store.write(Application, MidiSection, "Bindings", bindingsText(settings.bindings));
}

std::string bindingsText(const std::vector<MidiBinding>& bindings)
{
    std::string text;
    for (std::size_t index = 0; index < bindings.size() && index < MidiBindingLimit; ++index) {
        const MidiBinding& binding = bindings[index];
        if (!text.empty())
            text += ';';
        text += ActionNames[static_cast<std::size_t>(binding.action)];
        text += ',' + std::to_string(binding.number) + ',';
        text += TriggerNames[static_cast<std::size_t>(binding.trigger)];
        text += ',' + std::to_string(binding.channel) + ',' + std::to_string(binding.key);
    }
    return text;
}

std::vector<MidiBinding> parseBindings(const std::string& text)
{
    std::vector<MidiBinding> bindings;
    std::string_view rest = text;
    while (!rest.empty() && bindings.size() < MidiBindingLimit) {
        const std::size_t end = rest.find(';');
        if (const auto binding = parseBinding(rest.substr(0, end)))
            bindings.push_back(*binding);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    return bindings;
}

bool isLoopbackAddress(const std::string& address) { return address.rfind("127.", 0) == 0; }

}  // namespace tinctara
