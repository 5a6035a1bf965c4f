#include "dmx/NetworkOutput.h"

#include "model/ShowFlags.h"

#include <charconv>
#include <cstdio>
#include <random>

namespace tinctara {

namespace {

constexpr const char* Application = "TINCTARA";
constexpr const char* Section = "Interface";

bool isSacn(InterfaceKind type) { return type == Interface::SacnNetwork; }

std::string key(InterfaceKind type, const char* name) { return std::string(isSacn(type) ? "Sacn" : "ArtNet") + name; }

// A whole number, or -1 for text that is none (so that the check names it).
int wholeNumber(const std::string& text)
{
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() ? value : -1;
}

Cid randomCid()
{
    std::random_device source;
    Cid cid{};
    for (auto& byte : cid)
        byte = static_cast<std::uint8_t>(source() & 0xFF);
    cid[6] = static_cast<std::uint8_t>((cid[6] & 0x0F) | 0x40);  // a version 4 UUID
    cid[8] = static_cast<std::uint8_t>((cid[8] & 0x3F) | 0x80);
    return cid;
}

}  // namespace

std::optional<std::uint32_t> parseIpv4(std::string_view text)
{
    std::uint32_t address = 0;
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at == end || *at != '.')
                return std::nullopt;
            ++at;
        }
        unsigned value = 0;
        const char* start = at;
        const auto result = std::from_chars(at, end, value);
        if (result.ec != std::errc() || result.ptr - start > 3 || value > 255)
            return std::nullopt;
        at = result.ptr;
        address = (address << 8) | value;
    }
    if (at != end)
        return std::nullopt;
    return address;
}

std::string ipv4Text(std::uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF, (address >> 8) & 0xFF,
                  address & 0xFF);
    return text;
}

std::string cidText(const Cid& cid)
{
    std::string text;
    char hex[3];
    for (std::size_t i = 0; i < cid.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        std::snprintf(hex, sizeof hex, "%02x", cid[i]);
        text += hex;
    }
    return text;
}

std::optional<Cid> parseCid(std::string_view text)
{
    Cid cid{};
    std::size_t digits = 0;
    for (const char c : text) {
        if (c == '-')
            continue;
        int value = 0;
        if (c >= '0' && c <= '9')
            value = c - '0';
        else if (c >= 'a' && c <= 'f')
            value = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            value = c - 'A' + 10;
        else
            return std::nullopt;
        if (digits >= 32)
            return std::nullopt;
        cid[digits / 2] = static_cast<std::uint8_t>(cid[digits / 2] << 4 | value);
        ++digits;
    }
    if (digits != 32)
        return std::nullopt;
    return cid;
}

NetworkDmxSettings readNetworkSettings(SettingsStore& settings, InterfaceKind type)
{
    NetworkDmxSettings values;
    values.destination = settings.read(Application, Section, key(type, "Destination"), "");
    values.universe = wholeNumber(settings.read(Application, Section, key(type, "Universe"), isSacn(type) ? "1" : "0"));
    if (!isSacn(type))
        return values;
    values.priority = wholeNumber(settings.read(Application, Section, "SacnPriority", "100"));
    values.sourceName = settings.read(Application, Section, "SacnSourceName", values.sourceName);
    return values;
}

Cid installationCid(SettingsStore& settings)
{
    // The CID names this installation to every receiver: made once and kept.
    if (const auto stored = parseCid(settings.read(Application, Section, "SacnCid", "")))
        return *stored;
    const Cid made = randomCid();
    settings.write(Application, Section, "SacnCid", cidText(made));
    return made;
}

void writeNetworkSettings(SettingsStore& settings, InterfaceKind type, const NetworkDmxSettings& values)
{
    settings.write(Application, Section, key(type, "Destination"), values.destination);
    settings.write(Application, Section, key(type, "Universe"), std::to_string(values.universe));
    if (!isSacn(type))
        return;
    settings.write(Application, Section, "SacnPriority", std::to_string(values.priority));
    settings.write(Application, Section, "SacnSourceName", values.sourceName);
}

std::string checkNetworkSettings(InterfaceKind type, const NetworkDmxSettings& values)
{
    if (!values.destination.empty() && (!parseIpv4(values.destination) || *parseIpv4(values.destination) == 0))
        return "Zieladresse \"" + values.destination + "\" ist keine IPv4-Adresse";
    if (isSacn(type)) {
        if (values.universe < SacnFirstUniverse || values.universe > SacnLastUniverse)
            return "sACN-Universum muss zwischen 1 und 63999 liegen";
        if (values.priority < 0 || values.priority > SacnHighestPriority)
            return "sACN-Priorität muss zwischen 0 und 200 liegen";
    } else if (values.universe < 0 || values.universe > ArtNetLastPortAddress) {
        return "Art-Net-Port-Adresse muss zwischen 0 und 32767 liegen";
    }
    return {};
}

NetworkOutput::~NetworkOutput() { close(); }

bool NetworkOutput::open(InterfaceKind type, const NetworkDmxSettings& settings, std::string& error)
{
    close();
    if (type != Interface::SacnNetwork && type != Interface::ArtNetNetwork) {
        error = "kein Netzwerk-Interface";
        return false;
    }
    error = checkNetworkSettings(type, settings);
    if (!error.empty())
        return false;
    std::uint32_t to = 0;
    if (!settings.destination.empty())
        to = *parseIpv4(settings.destination);
    else if (isSacn(type))
        to = sacnMulticastAddress(settings.universe);
    else if ((to = socket_.directedBroadcast()) == 0) {
        error = "kein Netzwerk mit Broadcast-Adresse; bitte eine Zieladresse eintragen";
        return false;
    }
    if (!socket_.open(to, isSacn(type) ? SacnPort : ArtNetPort, error))
        return false;
    if (isSacn(type))
        sacn_.setSource(settings.cid, settings.sourceName, settings.priority, settings.universe);
    else
        artDmx_.setPortAddress(settings.universe);
    type_ = type;
    destination_ = to;
    return true;
}

void NetworkOutput::close()
{
    if (type_ == Interface::SacnNetwork)
        for (int i = 0; i < TerminationPackets; ++i) {
            const auto& packet = sacn_.terminated();
            socket_.send(packet.data(), packet.size());
        }
    if (type_ != Interface::NoInterface)
        socket_.close();
    type_ = Interface::NoInterface;
    destination_ = 0;
}

void NetworkOutput::sendDmx(const std::uint8_t* slots)
{
    if (type_ == Interface::SacnNetwork) {
        const auto& packet = sacn_.data(slots);
        socket_.send(packet.data(), packet.size());
    } else if (type_ == Interface::ArtNetNetwork) {
        const auto& packet = artDmx_.data(slots);
        socket_.send(packet.data(), packet.size());
    }
}

}  // namespace tinctara
