#pragma once

#include "platform/Environment.h"
#include "windows/MainWindowView.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tinctara::testing {

class FakeMainWindow : public MainWindowView {
public:
    void setDmxStartStopVisible(bool visible) override { dmxStartStopVisible.push_back(visible); }
    void applyPlacement(const WindowPlacement& p) override { applied.push_back(p); }
    WindowPlacement currentPlacement() const override { return placement; }
    void openWindow(WindowKind window) override { opened.push_back(window); }
    void closeMainWindow() override { ++closeRequests; }

    std::vector<bool> dmxStartStopVisible;
    std::vector<WindowPlacement> applied;
    WindowPlacement placement;
    std::vector<WindowKind> opened;
    int closeRequests = 0;
};

// Records the document commands and answers them with scripted results.
class FakeShowCommands : public ShowCommands {
public:
    struct Call {
        char action;  // 'l' load, 's' save
        DocumentKind kind;
        bool silent;
        friend bool operator==(const Call&, const Call&) = default;
    };

    bool load(DocumentKind kind) override
    {
        calls.push_back({'l', kind, silent ? silent() : false});
        return !failingLoads.count(kind);
    }
    bool save(DocumentKind kind) override
    {
        calls.push_back({'s', kind, silent ? silent() : false});
        if (onSave)
            onSave(kind);
        return true;
    }
    void play() override { ++plays; }

    std::vector<Call> calls;
    std::map<DocumentKind, bool> failingLoads;
    std::function<bool()> silent;  // reads SilentFileOp at the time of the call
    std::function<void(DocumentKind)> onSave;
    int plays = 0;
};

// What other windows ask of the main window: records the unsaved-work
// questions (Cancel for the kind in cancelAt) and counts settings writes.
class FakeMainWindowCommands : public MainWindowCommands {
public:
    bool ConfirmUnsaved(DocumentKind kind) override
    {
        asked.push_back(kind);
        return cancelAt && *cancelAt == kind;
    }
    bool SaveINI() override
    {
        ++settingsWrites;
        return true;
    }
    std::vector<DocumentKind> asked;
    std::optional<DocumentKind> cancelAt;
    int settingsWrites = 0;
};

class FakeSettingsStore : public SettingsStore {
public:
    std::string read(const std::string& a, const std::string& s, const std::string& k,
                     const std::string& fallback) override
    {
        const auto it = values.find(a + "/" + s + "/" + k);
        return it == values.end() ? fallback : it->second;
    }
    void write(const std::string& a, const std::string& s, const std::string& k, const std::string& v) override
    {
        values[a + "/" + s + "/" + k] = v;
    }
    std::map<std::string, std::string> values;
};

class FakeSystemInfo : public SystemInfo {
public:
    std::uint32_t osVersion() override { return version; }
    bool previousInstanceRunning() override { return previousInstance; }
    bool openDocument(const std::string& path) override
    {
        opened.push_back(path);
        return false;
    }
    std::uint32_t version = 0x000A;  // newer than every version the program names
    bool previousInstance = false;
    std::vector<std::string> opened;
};

}  // namespace tinctara::testing
