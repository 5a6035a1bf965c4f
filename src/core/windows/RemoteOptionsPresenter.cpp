#include "windows/RemoteOptionsPresenter.h"

#include "remote/RemoteAccess.h"
#include "text/Text.h"

#include <algorithm>

namespace tinctara {

std::optional<int> listeningPort(std::string_view text) { return numberInRange(text, 1024, 65535); }

void RemoteOptionsPresenter::Form_Load()
{
    settings_ = loadRemoteSettings(store_);
    if (remote_.running())
        settings_ = remote_.current();  // started from the command line, perhaps
    if (settings_.code.empty()) {
        settings_.code = makeAccessCode();
        storeRemoteSettings(store_, settings_);
    }
    std::vector<std::string> addresses = remote_.addresses();
    if (std::find(addresses.begin(), addresses.end(), settings_.address) == addresses.end())
        addresses.push_back(settings_.address);
    view_.setAddresses(addresses, settings_.address);
    view_.setPort(std::to_string(settings_.port));
    view_.setCode(settings_.code);
    show();
    view_.setStatus(remote_.running() ? RemoteOptionsText::On : RemoteOptionsText::Off);
}

void RemoteOptionsPresenter::show()
{
    const bool on = remote_.running();
    view_.setRemoteOn(on);
    view_.showUrl(on ? remoteUrl(remote_.current()) : std::string());
}

void RemoteOptionsPresenter::apply()
{
    std::string problem;
    if (settings_.enabled) {
        problem = remote_.start(settings_);
        if (!problem.empty())
            settings_.enabled = false;  // what cannot listen now is not started at the next start either
    } else if (remote_.running()) {
        remote_.stop();
    }
    storeRemoteSettings(store_, settings_);
    show();
    view_.setStatus(!problem.empty() ? problem : remote_.running() ? RemoteOptionsText::On : RemoteOptionsText::Off);
}

void RemoteOptionsPresenter::chkRemote_Click(bool on)
{
    settings_.enabled = on;
    apply();
}

void RemoteOptionsPresenter::cboAddress_Click(const std::string& address)
{
    if (address == settings_.address)
        return;
    settings_.address = address;
    settings_.enabled = remote_.running();
    apply();
}

void RemoteOptionsPresenter::txtPort_LostFocus(const std::string& text)
{
    const auto port = listeningPort(text);
    if (!port) {
        view_.setPort(std::to_string(settings_.port));
        view_.setStatus(RemoteOptionsText::BadPort);
        return;
    }
    if (*port == settings_.port)
        return;
    settings_.port = *port;
    settings_.enabled = remote_.running();
    apply();
}

void RemoteOptionsPresenter::cmdNewCode_Click()
{
    settings_.code = makeAccessCode();
    view_.setCode(settings_.code);
    settings_.enabled = remote_.running();
    apply();
    if (remote_.running())
        view_.setStatus(RemoteOptionsText::NewCode);
}

}  // namespace tinctara
