#include "audio/MusicOptions.h"

#include "text/Text.h"

namespace tinctara {

namespace {

int readNumber(SettingsStore& store, const char* key, int fallback, int high)
{
    return numberInRange(store.read(MusicSettingsApplication, MusicSettingsGroup, key, std::to_string(fallback)), 0,
                         high)
        .value_or(fallback);
}

}  // namespace

MusicOptions loadMusicOptions(SettingsStore& store)
{
    MusicOptions options;
    options.device = store.read(MusicSettingsApplication, MusicSettingsGroup, "Device", "");
    options.level = store.read(MusicSettingsApplication, MusicSettingsGroup, "Level", "0") == "1";
    options.depth = readNumber(store, "Depth", options.depth, 100);
    options.attackTicks = readNumber(store, "Attack", options.attackTicks, MusicEnvelopeTicksMax);
    options.releaseTicks = readNumber(store, "Release", options.releaseTicks, MusicEnvelopeTicksMax);
    return options;
}

void storeMusicOptions(SettingsStore& store, const MusicOptions& options)
{
    store.write(MusicSettingsApplication, MusicSettingsGroup, "Device", options.device);
    store.write(MusicSettingsApplication, MusicSettingsGroup, "Level", options.level ? "1" : "0");
    store.write(MusicSettingsApplication, MusicSettingsGroup, "Depth", std::to_string(options.depth));
    store.write(MusicSettingsApplication, MusicSettingsGroup, "Attack", std::to_string(options.attackTicks));
    store.write(MusicSettingsApplication, MusicSettingsGroup, "Release", std::to_string(options.releaseTicks));
}

void applyLevelOptions(MusicSync& music, const MusicOptions& options)
{
    MusicSettings settings = music.settings();
    settings.level = options.level;
    settings.depth = options.depth;
    settings.attackTicks = options.attackTicks;
    settings.releaseTicks = options.releaseTicks;
    music.setSettings(settings);
}

}  // namespace tinctara
