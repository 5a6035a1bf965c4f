#pragma once

#include "net/RateLimiter.h"

#include <cstddef>
#include <cstdint>
#include <deque>
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

    // The value of a header (its first), empty when it is missing.
    std::string header(std::string_view lowerName) const;
    bool hasHeader(std::string_view lowerName) const;
    std::size_t headerCount(std::string_view lowerName) const;
    // The value of a query parameter (its first), empty when it is missing.
    std::string queryValue(std::string_view name) const;
    std::size_t queryCount(std::string_view name) const;
    // The value of a cookie of the Cookie header (its first), empty when it is missing.
    std::string cookie(std::string_view name) const;
    std::size_t cookieCount(std::string_view name) const;
};

inline constexpr std::size_t MaxRequestHead = 8192;

// The head up to the empty line; nullopt when it is malformed or larger than
// MaxRequestHead. `complete` tells whether the empty line was found at all.
// Control characters inside a line, a header name that is not a plain token
// (a space before its colon, a folded line) and a target with a space are
// malformed: the WebSocket handshake reads the same head again, and must not
// read it otherwise.
std::optional<RequestHead> parseRequestHead(std::string_view bytes, bool* complete = nullptr);

// Who may come in: the access code, and the sessions it opened. A session is
// a random token that the page's browser keeps as a cookie, so that the code
// need not stay in the address bar. Opening again, with a new code or the same
// one (the remote turned off and on), and closing end every session.
class RemoteKeys {
public:
    static constexpr std::size_t MaxSessions = 64;

    void open(std::string code);
    void close();
    const std::string& code() const { return code_; }

    // A new session's token; beyond MaxSessions the oldest ends.
    std::string openSession();
    bool hasSession(std::string_view token) const;

private:
    std::string code_;
    std::deque<std::string> sessions_;
};

// What the server does with a request.
enum class RemoteVerdict {
    Page,        // 200 with the page or one of its files
    NewSession,  // 303 to "/" with a new session's cookie: the code leaves the address
    WebSocket,   // hand over to the WebSocket handshake
    Forbidden,   // 403: no or a wrong code, another origin or host
    NotFound,    // 404
    BadMethod,   // 405
    Busy,        // 503: all connections taken
    BadRequest,  // 400: malformed, or a header or the code given twice
};

// A request is let in by the code in its query or by a session's cookie; a
// code given decides alone, so a stale cookie beside the new code is no
// obstacle and a wrong code is refused whatever cookie comes with it.
struct RemoteGate {
    const RemoteKeys& keys;
    std::string authority;  // "ADDR:PORT" the server listens on
    int connections = 0;    // WebSocket connections open now
    int maxConnections = 16;

    RemoteVerdict judge(const RequestHead& head) const;
    // True when the request came from our own page or no page at all.
    bool sameOrigin(const RequestHead& head) const;
    // The session cookie's name, one per port: browsers keep cookies per
    // host, not per port, and two remotes on one machine must not overwrite
    // each other's.
    std::string cookieName() const;
    // The Set-Cookie value that hands `token` to the browser: for this
    // program's requests only, never to its scripts.
    std::string sessionCookie(std::string_view token) const;
};

// Whether the browser came by a link on another site (Sec-Fetch-Site). Such a
// browser does not send a SameSite=Strict cookie on the redirect it follows,
// so it is given a page that moves itself to "/" instead: a navigation of
// this site's own, which carries the cookie.
bool arrivesFromAnotherSite(const RequestHead& head);

// That page.
inline constexpr std::string_view SessionRefreshPage =
    "<!DOCTYPE html>\n<meta charset=\"utf-8\">\n<meta http-equiv=\"refresh\" content=\"0; url=/\">\n"
    "<title>Tinctara</title>\n";

// Follows the frames a page sends over its WebSocket, header by header. A
// client must mask every frame, and a server closes the connection on one
// that is not (1002); Qt's WebSocket acts on it, so the server checks the
// bytes before Qt sees them.
class ClientFrameCheck {
public:
    // Appends to `out` what of `bytes` may go on: everything up to the first
    // frame without a mask. A header's first byte is held back until its
    // second one tells the mask. False from that frame on.
    bool take(std::string_view bytes, std::string& out);
    bool refused() const { return state_ == State::Refused; }

private:
    enum class State { First, Second, Length, Key, Payload, Refused };
    State state_ = State::First;
    char first_ = 0;
    int left_ = 0;               // bytes of the extended length or the key still to come
    std::uint64_t payload_ = 0;  // payload bytes still to come
};

}  // namespace tinctara
