// Feeds arbitrary bytes to the readers of the program folder's text files:
// the settings file (read as start-up reads it, written back and read again,
// and with its names moved to another folder), the message file and
// hardware.ini. Any crash, leak or out-of-bounds access is a finding, and so
// is a settings file that does not read back as it was written.
#if defined(TINCTARA_FUZZ_TEXT_settings)
#include "files/SettingsFile.h"
#include "model/ShowModel.h"
#elif defined(TINCTARA_FUZZ_TEXT_message_file)
#include "files/MessageFile.h"
#elif defined(TINCTARA_FUZZ_TEXT_hardware_ini)
#include "HardwareConfig.h"
#include "MemoryCardDevice.h"
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

[[maybe_unused]] const std::string& inputPath()
{
    static const std::string path = [] {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(folder) + "/tinctara-fuzz-" + std::to_string(getpid()) + ".ini";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
#if defined(TINCTARA_FUZZ_TEXT_settings)
    using namespace tinctara;
    if (std::FILE* file = std::fopen(inputPath().c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    } else {
        return 0;
    }
    const SettingsFileSections sections = readSettingsFile(inputPath());
    auto model = std::make_unique<ShowModel>();
    if (sections.dmxTiming.values)
        model->DmxTiming = *sections.dmxTiming.values;
    if (sections.options.values)
        model->WallZoom = sections.options.values->wallZoom;
    if (sections.files.values) {
        const auto& names = *sections.files.values;
        model->ConfigFileName = names[0];
        model->SceneFileName = names[1];
        model->SequenceFileName = names[2];
        model->ColourTableFileName = names[3];
    }
    if (sections.windowPositions.values)
        model->WindowPositions = *sections.windowPositions.values;
    const std::uint32_t word = sections.options.values ? sections.options.values->savedOptions : 0;

    // A name the file can keep: no field or line break, no quote, no blanks
    // at its ends, nothing that reads as a section marker.
    bool keepable = true;
    if (sections.files.values)
        for (const std::string& name : *sections.files.values)
            keepable = keepable && name.find_first_of(",\r\n\"[") == std::string::npos &&
                       (name.empty() ||
                        (name.front() != ' ' && name.front() != '\t' && name.back() != ' ' && name.back() != '\t'));
    if (keepable) {
        const SettingsFileSections again = parseSettingsFile(settingsFileBytes(*model, word));
        if (!again.dmxTiming.values || *again.dmxTiming.values != model->DmxTiming || !again.windowPositions.values ||
            *again.windowPositions.values != model->WindowPositions || !again.options.values ||
            again.options.values->savedOptions != word || again.options.values->wallZoom != model->WallZoom ||
            !again.files.values)
            std::abort();
        if (sections.files.values && *again.files.values != *sections.files.values)
            std::abort();
    }
    (void)moveSettingsFileNames(bytes, "/usr/share/tinctara", "/home/b\xC3\xA4r/.local/share/tinctara");
#elif defined(TINCTARA_FUZZ_TEXT_message_file)
    tinctara::MessageTable table;
    tinctara::parseMessageFile(bytes, table);
#elif defined(TINCTARA_FUZZ_TEXT_hardware_ini)
    using namespace tinctara::hardware;
    const HardwareConfig config = parseHardwareConfig(bytes);
    for (const auto& setting : config.settings)
        (void)config.setting(setting.section, setting.key);
    if (config.memoryCardSize > 0 && config.memoryCardSize <= (1u << 20)) {
        MemoryCardDevice card(config.memoryCardSize, {});
        card.write(MemoryCardDevice::DefaultPort + 3, 0xFF);
        card.write(MemoryCardDevice::DefaultPort, 0x5A);
        (void)card.read(MemoryCardDevice::DefaultPort);
    }
#endif
    return 0;
}
