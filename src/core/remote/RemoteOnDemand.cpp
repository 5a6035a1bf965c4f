#include "remote/RemoteOnDemand.h"

namespace tinctara {

RemoteControl* RemoteOnDemand::load() const
{
    // One attempt: a module that failed to load fails the same way again.
    if (!tried_) {
        tried_ = true;
        server_ = loader_ ? loader_(problem_) : nullptr;
        if (!server_ && problem_.empty())
            problem_ = "Die Fernbedienung ist in diesem Programm nicht enthalten.";
    }
    return server_.get();
}

std::string RemoteOnDemand::start(const RemoteSettings& settings)
{
    RemoteControl* server = load();
    return server ? server->start(settings) : problem_;
}

void RemoteOnDemand::stop()
{
    if (server_)
        server_->stop();
}

std::vector<std::string> RemoteOnDemand::addresses() const
{
    RemoteControl* server = load();
    return server ? server->addresses() : std::vector<std::string>{"127.0.0.1"};
}

}  // namespace tinctara
