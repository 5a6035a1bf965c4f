#pragma once

#include <cstdint>
#include <string>

namespace tinctara {

// The per-user key-value store (application, section, key -> text).
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string read(const std::string& application, const std::string& section, const std::string& key,
                             const std::string& defaultValue) = 0;
    virtual void write(const std::string& application, const std::string& section, const std::string& key,
                       const std::string& value) = 0;
};

// What the program asks of the operating system.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // The system version number: major version in the low byte, minor in the next.
    virtual std::uint32_t osVersion() = 0;
    // True when another copy of this program is already running.
    virtual bool previousInstanceRunning() = 0;
    // Opens a document with the desktop's viewer; false when that failed.
    virtual bool openDocument(const std::string& path) = 0;
};

}  // namespace tinctara
