#include "net/LocalAddresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace tinctara {

std::vector<LocalAddress> localAddresses()
{
    std::vector<LocalAddress> found;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return found;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !(flags & IFF_UP))
            continue;
        LocalAddress local;
        local.address = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
        local.loopback = (flags & IFF_LOOPBACK) != 0;
        if ((flags & IFF_BROADCAST) && entry->ifa_broadaddr && !local.loopback)
            local.broadcast = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_broadaddr)->sin_addr.s_addr);
        found.push_back(local);
    }
    ::freeifaddrs(list);
    return found;
}

}  // namespace tinctara
