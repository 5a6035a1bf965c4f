#pragma once

#include "platform/Clock.h"
#include "remote/RemoteMessages.h"
#include "remote/RemoteSettings.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tinctara {

// Makes a web remote's server for the program's actions.
using RemoteServerFactory = std::function<std::unique_ptr<RemoteControl>(RemoteActions& actions, Clock& clock)>;

// The web remote's server, made the first time something needs it: a start,
// or the list of addresses it could listen on. Until then the program carries
// none of the network code (the server lives in a module of its own).
class RemoteOnDemand : public RemoteControl {
public:
    // Makes the server; null with the reason in German when it cannot.
    using Loader = std::function<std::unique_ptr<RemoteControl>(std::string& problem)>;

    explicit RemoteOnDemand(Loader loader) : loader_(std::move(loader)) {}

    std::string start(const RemoteSettings& settings) override;
    void stop() override;
    bool running() const override { return server_ && server_->running(); }
    RemoteSettings current() const override { return server_ ? server_->current() : RemoteSettings{}; }
    std::vector<std::string> addresses() const override;

    // The server once made, else null.
    RemoteControl* loaded() const { return server_.get(); }

private:
    RemoteControl* load() const;

    Loader loader_;
    mutable std::unique_ptr<RemoteControl> server_;
    mutable std::string problem_;
    mutable bool tried_ = false;
};

}  // namespace tinctara
