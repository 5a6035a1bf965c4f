#include "windows/DmxInputPresenter.h"

#include "text/Text.h"

#include <algorithm>

namespace tinctara {

namespace {

constexpr InputKind Kinds[] = {InputKind::None, InputKind::Sacn, InputKind::ArtNet};

struct UniverseRange {
    int low;
    int high;
    const char* problem;
};

UniverseRange universeRange(InputKind kind)
{
    if (kind == InputKind::ArtNet)
        return {0, 32767, DmxInputText::BadArtNetUniverse};
    return {1, 63999, DmxInputText::BadSacnUniverse};
}

int kindIndex(InputKind kind)
{
    return static_cast<int>(std::find(std::begin(Kinds), std::end(Kinds), kind) - std::begin(Kinds));
}

}  // namespace

std::string inputCountersText(const InputCounters& counters)
{
    return "Empfangen: " + std::to_string(counters.received) + ", genommen: " + std::to_string(counters.taken) +
           ", verworfen: " + std::to_string(counters.dropped) +
           ", ArtPoll beantwortet: " + std::to_string(counters.pollsAnswered);
}

std::string inputSendersText(std::size_t sources)
{
    return sources == 0 ? std::string(DmxInputText::NoSender) : std::to_string(sources) + " Sender";
}

void DmxInputPresenter::Form_Load()
{
    // Started from the command line, the input runs with what it was given.
    settings_ = input_.running() ? input_.current() : loadInputSettings(store_);
    std::vector<std::string> merges;
    for (std::size_t merge = 0; merge < InputMergeKinds; ++merge)
        merges.emplace_back(inputMergeName(static_cast<InputMerge>(merge)));
    view_.setChoices({DmxInputText::KindOff, DmxInputText::KindSacn, DmxInputText::KindArtNet}, merges);
    addresses_ = input_.addresses();
    showSettings();
    view_.setOnWall(input_.showsOnWall());
    levelsShown_ = false;
    shownSources_.clear();
    view_.setSources({});
    tmrRefresh_Timer();
}

void DmxInputPresenter::Form_Unload()
{
    if (input_.showsOnWall())
        input_.showOnWall(false);
}

void DmxInputPresenter::showSettings()
{
    // An address stored on another machine is still shown, as chosen.
    if (!settings_.listenAddress.empty() &&
        std::find(addresses_.begin(), addresses_.end(), settings_.listenAddress) == addresses_.end())
        addresses_.push_back(settings_.listenAddress);
    DmxInputFields fields;
    fields.kind = kindIndex(settings_.kind);
    fields.universe = std::to_string(settings_.universe);
    fields.addresses = {DmxInputText::AllAddresses};
    fields.addresses.insert(fields.addresses.end(), addresses_.begin(), addresses_.end());
    const auto at = std::find(addresses_.begin(), addresses_.end(), settings_.listenAddress);
    fields.address = settings_.listenAddress.empty() ? 0 : static_cast<int>(at - addresses_.begin()) + 1;
    fields.merge = static_cast<int>(settings_.merge);
    view_.setFields(fields);
    showStatus();
}

void DmxInputPresenter::showStatus()
{
    if (!problem_.empty())
        view_.setStatus(problem_);
    else if (settings_.kind == InputKind::None || !input_.running())
        view_.setStatus(DmxInputText::InputOff);
    else
        view_.setStatus(inputSendersText(shownSources_.size()));
}

void DmxInputPresenter::tmrRefresh_Timer()
{
    const DmxInputFrame& frame = input_.frame();
    if (!levelsShown_ || frame.version != shownVersion_) {
        view_.setLevels(frame.levels, frame.live);
        shownVersion_ = frame.version;
        levelsShown_ = true;
    }
    std::vector<InputSourceRow> sources = input_.sources();
    if (sources != shownSources_) {
        std::vector<std::array<std::string, 3>> rows;
        rows.reserve(sources.size());
        for (const InputSourceRow& source : sources)
            rows.push_back({source.name, source.priority < 0 ? "-" : std::to_string(source.priority),
                            std::to_string(source.packetsPerSecond)});
        view_.setSources(rows);
        shownSources_ = std::move(sources);
    }
    view_.setCounters(inputCountersText(input_.counters()));
    showStatus();
}

void DmxInputPresenter::apply(const InputSettings& next)
{
    if (next == settings_)
        return;
    problem_ = input_.start(next);
    if (problem_.empty()) {
        settings_ = next;
        storeInputSettings(store_, settings_);
    } else if (settings_.kind != InputKind::None) {
        input_.start(settings_);  // what ran before runs on
    }
    showSettings();
}

void DmxInputPresenter::cboKind_Click(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(Kinds)))
        return;
    InputSettings next = settings_;
    next.kind = Kinds[index];
    // sACN has no universe 0, Art-Net no port-address above 32767.
    const UniverseRange range = universeRange(next.kind);
    next.universe = std::clamp(next.universe, range.low, range.high);
    apply(next);
}

void DmxInputPresenter::txtUniverse_LostFocus(const std::string& text)
{
    const UniverseRange range = universeRange(settings_.kind);
    const auto universe = numberInRange(text, range.low, range.high);
    if (!universe) {
        problem_ = range.problem;
        showSettings();
        return;
    }
    InputSettings next = settings_;
    next.universe = *universe;
    if (next == settings_)
        showSettings();  // "007" reads 7 again
    else
        apply(next);
}

void DmxInputPresenter::cboAddress_Click(int index)
{
    if (index < 0 || index > static_cast<int>(addresses_.size()))
        return;
    InputSettings next = settings_;
    next.listenAddress = index == 0 ? std::string() : addresses_[index - 1];
    apply(next);
}

void DmxInputPresenter::cboMerge_Click(int index)
{
    if (index < 0 || index >= static_cast<int>(InputMergeKinds))
        return;
    InputSettings next = settings_;
    next.merge = static_cast<InputMerge>(index);
    apply(next);
}

void DmxInputPresenter::chkOnWall_Click(bool on)
{
    input_.showOnWall(on);
    view_.setOnWall(input_.showsOnWall());
}

}  // namespace tinctara
