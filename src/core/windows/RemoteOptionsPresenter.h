#pragma once

#include "platform/Environment.h"
#include "remote/RemoteSettings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tinctara {

namespace RemoteOptionsText {
inline constexpr const char* Tab = "Fernbedienung";
inline constexpr const char* Off = "Die Fernbedienung ist aus.";
inline constexpr const char* On = "Die Fernbedienung läuft. Im Browser öffnen oder den Code scannen:";
inline constexpr const char* NewCode = "Neuer Zugangscode: alle bisherigen Verbindungen sind getrennt.";
inline constexpr const char* BadPort = "Der Port muss eine Zahl zwischen 1024 und 65535 sein.";
}  // namespace RemoteOptionsText

// A port to listen on, from a field: 1024..65535 (below needs privileges).
std::optional<int> listeningPort(std::string_view text);

// What the options window's tab "Fernbedienung" shows.
class RemoteOptionsView {
public:
    virtual ~RemoteOptionsView() = default;
    virtual void setRemoteOn(bool on) = 0;
    virtual void setAddresses(const std::vector<std::string>& addresses, const std::string& current) = 0;
    virtual void setPort(std::string_view text) = 0;
    virtual void setCode(std::string_view text) = 0;
    // The page's address as text and as a QR code; empty hides both.
    virtual void showUrl(std::string_view url) = 0;
    virtual void setStatus(std::string_view text) = 0;
};

// The tab "Fernbedienung": turns the web remote on and off, chooses where it
// listens and makes a new access code. Every change is stored in the per-user
// settings at once and a running remote restarts with it, which closes every
// connection (so a new code shuts out the pages that had the old one).
class RemoteOptionsPresenter {
public:
    RemoteOptionsPresenter(SettingsStore& store, RemoteControl& remote, RemoteOptionsView& view)
        : store_(store), remote_(remote), view_(view)
    {
    }

    void Form_Load();
    void chkRemote_Click(bool on);
    void cboAddress_Click(const std::string& address);
    void txtPort_LostFocus(const std::string& text);
    void cmdNewCode_Click();

    const RemoteSettings& settings() const { return settings_; }

private:
    void apply();
    void show();

    SettingsStore& store_;
    RemoteControl& remote_;
    RemoteOptionsView& view_;
    RemoteSettings settings_;
};

}  // namespace tinctara
