// The keyboard: scan codes fed to the backend, and a hook that queues the
// keys the backend reports and signals the caller's eventfd for each.
#include "Operations.h"

namespace hwport::service::handlers {

namespace p = protocol;

Server::Answer putScanCode(Request& request)
{
    request.backend.putScanCode(uint8_t(p::get32(request.in)));
    return {};
}

Server::Answer keyboardHook(Request& request)
{
    Client& client = request.client;
    closeFd(client.keyboardEvent);
    client.keyboardEvent = request.fd;
    request.fd = -1;
    client.keys.clear();
    return {};
}

Server::Answer keyboardUnhook(Request& request)
{
    closeFd(request.client.keyboardEvent);
    request.client.keys.clear();
    return {};
}

// The oldest queued key as one scan code (bit 7: released); 0 when none.
Server::Answer readScanCode(Request& request)
{
    auto& keys = request.client.keys;
    uint8_t scanCode = 0;
    if (!keys.empty()) {
        const auto& record = keys.front();
        scanCode = uint8_t(record[2] | ((record[4] & 1) ? 0x80 : 0));
        keys.pop_front();
    }
    Server::Answer answer;
    answer.data.assign(1, scanCode);
    return answer;
}

Server::Answer pulseKeyboard(Request& request)
{
    if (request.client.keyboardEvent >= 0)
        signalEvent(request.client.keyboardEvent);
    return {};
}

}  // namespace hwport::service::handlers
