#include "HardwareConfig.h"

#include "MemoryCardDevice.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

namespace tinctara::hardware {

namespace {

constexpr const char* DefaultText = "[ports]\n"
                                    "backend = virtual\n"
                                    "[isa]\n"
                                    "card = 7301B 0x120\n"
                                    "[usb]\n"
                                    "device = USBDMX1\n"
                                    "[memorycard]\n"
                                    "size = 1M\n";

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::optional<CardModel> modelOf(const std::string& name)
{
    const std::string n = lower(name);
    if (n == "7301a")
        return CardModel::Isa7301A;
    if (n == "7301b")
        return CardModel::Isa7301B;
    if (n == "7301b-lc")
        return CardModel::Isa7301BLC;
    if (n == "7301c")
        return CardModel::Isa7301C;
    return std::nullopt;
}

// 0x120, 120h or decimal 288.
std::optional<unsigned> portNumber(std::string text)
{
    text = lower(text);
    int radix = 10;
    if (text.rfind("0x", 0) == 0) {
        text = text.substr(2);
        radix = 16;
    } else if (!text.empty() && text.back() == 'h') {
        text.pop_back();
        radix = 16;
    }
    unsigned value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, radix);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() || value > 0xFFFC)
        return std::nullopt;
    return value;
}

}  // namespace

const char* modelName(CardModel model)
{
    switch (model) {
    case CardModel::Isa7301A:
        return "7301A";
    case CardModel::Isa7301B:
        return "7301B";
    case CardModel::Isa7301BLC:
        return "7301B-LC";
    case CardModel::Isa7301C:
        return "7301C";
    }
    return "?";
}

const std::string* HardwareConfig::setting(const std::string& section, const std::string& key) const
{
    const std::string s = lower(section);
    const std::string k = lower(key);
    for (auto it = settings.rbegin(); it != settings.rend(); ++it)
        if (it->section == s && it->key == k)
            return &it->value;
    return nullptr;
}

HardwareConfig parseHardwareConfig(const std::string& text)
{
    HardwareConfig config;
    std::istringstream lines(text);
    std::string line;
    std::string section;
    int number = 0;
    auto passOver = [&](const std::string& why) {
        config.problems += "hardware.ini, Zeile " + std::to_string(number) + ": " + why + " (übergangen)\n";
    };
    while (std::getline(lines, line)) {
        ++number;
        line = trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                passOver("Abschnitt ohne ']'");
                continue;
            }
            section = lower(trimmed(line.substr(1, line.size() - 2)));
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            passOver("kein '=' in \"" + line + "\"");
            continue;
        }
        const std::string key = lower(trimmed(line.substr(0, equals)));
        const std::string value = trimmed(line.substr(equals + 1));

        if (section == "ports" && key == "backend") {
            const std::string choice = lower(value);
            if (choice == "direct" || choice == "virtual")
                config.direct = choice == "direct";
            else
                passOver("backend ist direct oder virtual, nicht \"" + value + "\"");
            continue;
        }
        if (section == "isa" && key == "card") {
            std::istringstream words(value);
            std::string modelWord;
            std::string baseWord;
            std::string extra;
            words >> modelWord >> baseWord >> extra;
            const auto model = modelOf(modelWord);
            const auto base = portNumber(baseWord);
            if (!model || !base || !extra.empty()) {
                passOver("card braucht ein Modell (7301A, 7301B, 7301B-LC, 7301C) und eine Basisadresse, nicht \"" +
                         value + "\"");
                continue;
            }
            const bool overlaps = std::any_of(config.cards.begin(), config.cards.end(), [&](const CardEntry& card) {
                return *base < card.base + 4u && card.base < *base + 4u;
            });
            if (overlaps) {
                passOver("an den Ports von \"" + value + "\" antwortet schon eine Karte");
                continue;
            }
            config.cards.push_back({*model, static_cast<std::uint16_t>(*base)});
            continue;
        }
        if (section == "memorycard" && key == "size") {
            const long long size = memoryCardSizeOf(value);
            if (size < 0)
                passOver("size ist 32K, 64K, 128K, 256K, 512K, 1M oder none, nicht \"" + value + "\"");
            else
                config.memoryCardSize = static_cast<std::uint32_t>(size);
            continue;
        }
        config.settings.push_back({section, key, value});
    }
    return config;
}

HardwareConfig defaultHardwareConfig() { return parseHardwareConfig(DefaultText); }

HardwareConfig readHardwareConfig(const std::string& folder)
{
    std::ifstream file(folder + "/hardware.ini", std::ios::binary);
    if (!file)
        return defaultHardwareConfig();
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return parseHardwareConfig(text);
}

}  // namespace tinctara::hardware
