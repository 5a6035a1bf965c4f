// PCI configuration space and disk identification, read from the backend
// into answers of the sizes the protocol gives.
#include "Operations.h"

namespace hwport::service::handlers {

Server::Answer lastPciBus(Request& request) { return value16(request.backend.lastPciBus()); }

Server::Answer pciMechanism(Request& request) { return value16(request.backend.pciMechanism()); }

Server::Answer pciDeviceInfo(Request& request)
{
    const unsigned char* in = request.in;
    Server::Answer answer;
    answer.data.resize(request.operation.outLength);
    request.backend.pciConfig(in[1], in[2], in[3], answer.data.data());
    return answer;
}

Server::Answer hddIdentify(Request& request)
{
    Server::Answer answer;
    answer.data.resize(request.operation.outLength);
    if (!request.backend.identify(request.in[0], request.in[1], answer.data.data()))
        return failed();
    return answer;
}

}  // namespace hwport::service::handlers
