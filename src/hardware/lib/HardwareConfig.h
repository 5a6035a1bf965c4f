#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tinctara::hardware {

enum class CardModel { Isa7301A, Isa7301B, Isa7301BLC, Isa7301C };

struct CardEntry {
    CardModel model;
    std::uint16_t base;
};

// What hardware.ini says. A file that is missing reads as the shipped one:
// the virtual bus with one 7301B at 0x120 and a USBDMX1.
struct HardwareConfig {
    bool direct = false;
    std::vector<CardEntry> cards;
    // The battery-backed memory card at port 0x200, in bytes; 0: none.
    std::uint32_t memoryCardSize = 0;
    // Every "key = value" in file order, section and key in lower case.
    struct Setting {
        std::string section;
        std::string key;
        std::string value;
    };
    std::vector<Setting> settings;
    // One line per line passed over, for the user.
    std::string problems;

    const std::string* setting(const std::string& section, const std::string& key) const;
};

HardwareConfig defaultHardwareConfig();
HardwareConfig parseHardwareConfig(const std::string& text);
// Reads folder/hardware.ini; the default when the file does not exist.
HardwareConfig readHardwareConfig(const std::string& folder);

const char* modelName(CardModel model);

}  // namespace tinctara::hardware
