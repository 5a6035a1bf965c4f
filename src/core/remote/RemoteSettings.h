#pragma once

#include "platform/Environment.h"

#include <string>
#include <vector>

namespace tinctara {

// Where the remote listens and the code it asks for. Kept in the per-user
// settings store, group "Remote" beside "Interface"; TINCTARA.ini keeps its
// historic layout.
struct RemoteSettings {
    bool enabled = false;
    std::string address = "127.0.0.1";
    int port = 8080;
    std::string code;
};

RemoteSettings loadRemoteSettings(SettingsStore& store);
void storeRemoteSettings(SettingsStore& store, const RemoteSettings& settings);

// The address a browser opens: http://ADDR:PORT/?code=CODE.
std::string remoteUrl(const RemoteSettings& settings);

// Starting and stopping the web remote, for the options window and start-up.
class RemoteControl {
public:
    virtual ~RemoteControl() = default;
    // Empty when it listens now, else the reason in German. A running remote
    // is stopped first, which closes every connection.
    virtual std::string start(const RemoteSettings& settings) = 0;
    virtual void stop() = 0;
    virtual bool running() const = 0;
    // What it runs with now (address, port and code), when running.
    virtual RemoteSettings current() const = 0;
    // The addresses it may listen on: 127.0.0.1 and the machine's own.
    virtual std::vector<std::string> addresses() const = 0;
};

}  // namespace tinctara
