#include "input/DmxInput.h"

namespace tinctara {

std::string_view inputMergeName(InputMerge merge)
{
    switch (merge) {
    case InputMerge::Off:
        return "Aus";
    case InputMerge::Htp:
        return "HTP";
    case InputMerge::Ltp:
        return "LTP";
    case InputMerge::InputFirst:
        return "Eingang vor Programm";
    }
    return "Aus";
}

InputSettings loadInputSettings(SettingsStore&) { return {}; }
void storeInputSettings(SettingsStore&, const InputSettings&) {}

// Placeholder until the sockets are built: never running, nothing live.
struct DmxInputService::State {
    Services services;
    InputSettings settings;
    DmxInputFrame frame;
    std::function<void(int)> descriptorChanged;
};

DmxInputService::DmxInputService(Services services) : state_(std::make_unique<State>(State{services, {}, {}, {}})) {}
DmxInputService::~DmxInputService() = default;
std::string DmxInputService::start(const InputSettings& settings)
{
    state_->settings = settings;
    return {};
}
void DmxInputService::stop() {}
bool DmxInputService::running() const { return false; }
const InputSettings& DmxInputService::current() const { return state_->settings; }
int DmxInputService::descriptor() const { return -1; }
void DmxInputService::onDescriptorChange(std::function<void(int)> changed)
{
    state_->descriptorChanged = std::move(changed);
}
void DmxInputService::readable() {}
void DmxInputService::expire() {}
const DmxInputFrame& DmxInputService::frame() const { return state_->frame; }
std::vector<InputSourceRow> DmxInputService::sources() const { return {}; }
InputCounters DmxInputService::counters() const { return {}; }

}  // namespace tinctara
