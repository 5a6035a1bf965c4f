#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tinctara {

// The access code a remote page must show: 22 letters and digits (about 130
// bits) from the system's random source.
inline constexpr std::size_t AccessCodeLength = 22;
std::string makeAccessCode();

// Compares a code without leaking by its timing how much of it was right.
bool sameAccessCode(std::string_view expected, std::string_view given);

// The head of one HTTP request, as far as the remote looks at it.
struct RequestHead {
    std::string method;
    std::string path;
    std::string query;
    std::vector<std::pair<std::string, std::string>> headers;  // names in lower case

    // The value of a header, empty when it is missing.
    std::string header(std::string_view lowerName) const;
    bool hasHeader(std::string_view lowerName) const;
    // The value of a query parameter, empty when it is missing.
    std::string queryValue(std::string_view name) const;
};

inline constexpr std::size_t MaxRequestHead = 8192;

// The head up to the empty line; nullopt when it is malformed or larger than
// MaxRequestHead. `complete` tells whether the empty line was found at all.
std::optional<RequestHead> parseRequestHead(std::string_view bytes, bool* complete = nullptr);

// What the server does with a request.
enum class RemoteVerdict {
    Page,        // 200 with the page or one of its files
    WebSocket,   // hand over to the WebSocket handshake
    Forbidden,   // 403: no or a wrong code, another origin or host
    NotFound,    // 404
    BadMethod,   // 405
    Busy,        // 503: all connections taken
    BadRequest,  // 400
};

struct RemoteGate {
    std::string code;       // the code that is valid now
    std::string authority;  // "ADDR:PORT" the server listens on
    int connections = 0;    // WebSocket connections open now
    int maxConnections = 16;

    RemoteVerdict judge(const RequestHead& head) const;
    // True when the request came from our own page or no page at all.
    bool sameOrigin(const RequestHead& head) const;
};

// Limits how often one page may act: a bucket of `burst` actions refilled at
// `perSecond`. Times are the monotonic clock in milliseconds.
class RateLimiter {
public:
    RateLimiter(int burst = 20, int perSecond = 10) : burst_(burst), perSecond_(perSecond), tokens_(burst * 1000) {}
    bool allow(std::int64_t nowMs);

private:
    int burst_;
    int perSecond_;
    std::int64_t tokens_;  // in thousandths of an action
    std::int64_t last_ = -1;
};

}  // namespace tinctara
