#include "remote/RemoteAccess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <tuple>

namespace tinctara {
namespace {

TEST(RemoteAccess, CodesAreLongRandomAndComparedWhole)
{
    std::set<std::string> codes;
    for (int i = 0; i < 50; ++i) {
        const std::string code = makeAccessCode();
        EXPECT_EQ(code.size(), 22u);
        for (const char c : code)
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << code;
        codes.insert(code);
    }
    EXPECT_EQ(codes.size(), 50u);

    struct Case {
        const char* expected;
        const char* given;
        bool same;
    };
    const Case cases[] = {
        {"abcDEF123", "abcDEF123", true},   {"abcDEF123", "abcDEF124", false}, {"abcDEF123", "abcDEF12", false},
        {"abcDEF123", "abcDEF1234", false}, {"abcDEF123", "", false},          {"", "", false},  // no code set: nobody
        {"abcDEF123", "ABCdef123", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sameAccessCode(c.expected, c.given), c.same) << c.expected << " / " << c.given;
}

std::string request(const std::string& target, const std::string& extra = "",
                    const std::string& host = "127.0.0.1:8080", const std::string& method = "GET")
{
    return method + " " + target + " HTTP/1.1\r\nHost: " + host + "\r\n" + extra + "\r\n";
}

const std::string Upgrade = "Upgrade: websocket\r\nConnection: keep-alive, Upgrade\r\n"
                            "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n";

RemoteKeys keysFor(const std::string& code)
{
    RemoteKeys keys;
    keys.open(code);
    return keys;
}

TEST(RemoteAccess, EveryRequestIsJudgedByCodeOriginHostAndPath)
{
    const RemoteKeys keys = keysFor("GoodCode1234567890abcd");
    const RemoteGate gate{keys, "127.0.0.1:8080", 3, 16};
    struct Case {
        const char* what;
        std::string bytes;
        RemoteVerdict verdict;
    };
    const Case cases[] = {
        {"the page", request("/?code=GoodCode1234567890abcd"), RemoteVerdict::NewSession},
        {"its script", request("/remote.js?code=GoodCode1234567890abcd"), RemoteVerdict::Page},
        {"no code", request("/"), RemoteVerdict::Forbidden},
        {"empty code", request("/?code="), RemoteVerdict::Forbidden},
        {"wrong code", request("/?code=GoodCode1234567890abce"), RemoteVerdict::Forbidden},
        {"code as a prefix", request("/?code=GoodCode1234567890abcdX"), RemoteVerdict::Forbidden},
        {"other file without code", request("/etc/passwd"), RemoteVerdict::Forbidden},
        {"other file with code", request("/etc/passwd?code=GoodCode1234567890abcd"), RemoteVerdict::NotFound},
        {"climbing", request("/../remote.js?code=GoodCode1234567890abcd"), RemoteVerdict::NotFound},
        {"our own origin", request("/remote.css?code=GoodCode1234567890abcd", "Origin: http://127.0.0.1:8080\r\n"),
         RemoteVerdict::Page},
        {"our own origin, its scheme in capitals",
         request("/remote.css?code=GoodCode1234567890abcd", "Origin: HTTP://127.0.0.1:8080\r\n"), RemoteVerdict::Page},
        {"another origin", request("/?code=GoodCode1234567890abcd", "Origin: http://evil.example\r\n"),
         RemoteVerdict::Forbidden},
        {"origin on another port", request("/?code=GoodCode1234567890abcd", "Origin: http://127.0.0.1:8081\r\n"),
         RemoteVerdict::Forbidden},
        {"a rebound host name", request("/?code=GoodCode1234567890abcd", "", "evil.example:8080"),
         RemoteVerdict::Forbidden},
        {"no host", "GET /?code=GoodCode1234567890abcd HTTP/1.1\r\n\r\n", RemoteVerdict::Forbidden},
        {"POST", request("/?code=GoodCode1234567890abcd", "", "127.0.0.1:8080", "POST"), RemoteVerdict::BadMethod},
        {"websocket", request("/ws?code=GoodCode1234567890abcd", Upgrade), RemoteVerdict::WebSocket},
        {"websocket without code", request("/ws", Upgrade), RemoteVerdict::Forbidden},
        {"websocket with a wrong code", request("/ws?code=x", Upgrade), RemoteVerdict::Forbidden},
        {"websocket from another origin",
         request("/ws?code=GoodCode1234567890abcd", Upgrade + "Origin: http://evil.example\r\n"),
         RemoteVerdict::Forbidden},
        {"websocket path without upgrade", request("/ws?code=GoodCode1234567890abcd"), RemoteVerdict::BadRequest},
    };
    for (const auto& c : cases) {
        const auto head = parseRequestHead(c.bytes);
        ASSERT_TRUE(head) << c.what;
        EXPECT_EQ(gate.judge(*head), c.verdict) << c.what;
    }

    // On port 80 browsers name the host without the port.
    const RemoteGate port80{keys, "192.168.1.10:80", 0, 16};
    for (const auto& [host, origin, verdict] :
         {std::tuple{"192.168.1.10", "", RemoteVerdict::Page},
          std::tuple{"192.168.1.10:80", "Origin: http://192.168.1.10\r\n", RemoteVerdict::Page},
          std::tuple{"192.168.1.10", "Origin: http://192.168.1.10:80\r\n", RemoteVerdict::Page},
          std::tuple{"192.168.1.10:8080", "", RemoteVerdict::Forbidden},
          std::tuple{"192.168.1.1", "", RemoteVerdict::Forbidden}})
        EXPECT_EQ(port80.judge(*parseRequestHead(request("/remote.js?code=GoodCode1234567890abcd", origin, host))),
                  verdict)
            << host << " " << origin;

    // A new code: the old one is worth nothing.
    const RemoteKeys renewedKeys = keysFor("NewCode1234567890abcdef");
    const RemoteGate renewed{renewedKeys, "127.0.0.1:8080", 3, 16};
    EXPECT_EQ(renewed.judge(*parseRequestHead(request("/?code=GoodCode1234567890abcd"))), RemoteVerdict::Forbidden);
    // All connections taken: no upgrade.
    RemoteGate full = gate;
    full.connections = 16;
    EXPECT_EQ(full.judge(*parseRequestHead(request("/ws?code=GoodCode1234567890abcd", Upgrade))), RemoteVerdict::Busy);
}

TEST(RemoteAccess, MalformedOrOversizedHeadsAreNotRead)
{
    bool complete = true;
    EXPECT_FALSE(parseRequestHead("GET / HTTP/1.1\r\nHost: a\r\n", &complete));
    EXPECT_FALSE(complete);  // not yet all there: the server waits

    const std::string tooMany = [] {
        std::string text = "GET / HTTP/1.1\r\n";
        for (int i = 0; i < 65; ++i)
            text += "X-" + std::to_string(i) + ": 1\r\n";
        return text + "\r\n";
    }();
    const std::string tooLarge = "GET /" + std::string(MaxRequestHead, 'a') + " HTTP/1.1\r\n\r\n";
    for (const std::string& bytes :
         {std::string("GET\r\n\r\n"), std::string("GET / FTP/1.0\r\n\r\n"), std::string("GET nothing HTTP/1.1\r\n\r\n"),
          std::string("GET / HTTP/1.1\r\nno colon here\r\n\r\n"), tooMany, tooLarge})
        EXPECT_FALSE(parseRequestHead(bytes)) << bytes.substr(0, 40);

    const auto head = parseRequestHead("GET /ws?a=1&code=xyz&code=other HTTP/1.1\r\nHOST:  h:1 \r\n\r\n");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->path, "/ws");
    EXPECT_EQ(head->queryCount("code"), 2u);  // read, and then refused by the gate
    EXPECT_EQ(head->header("host"), "h:1");

    // What the WebSocket handshake, reading the head again, might split or
    // join otherwise than we do.
    for (const std::string& bytes : {
             std::string("GET / HTTP/1.1\r\nHost : evil.example\r\n\r\n"),          // space before the colon
             std::string("GET / HTTP/1.1\r\nHost: a\r\n folded\r\n\r\n"),           // a folded line
             std::string("GET / HTTP/1.1\r\nHost: a\nHost: evil.example\r\n\r\n"),  // a bare line feed
             std::string("GET / HTTP/1.1\r\nHost: a\rb\r\n\r\n"),                   // a bare return
             std::string("GET / HTTP/1.1\r\nX: a\0b\r\n\r\n", 26),                  // a zero byte
             std::string("GET /a b HTTP/1.1\r\n\r\n"),                              // a space in the target
             std::string("G(T / HTTP/1.1\r\n\r\n"),                                 // not a method
         })
        EXPECT_FALSE(parseRequestHead(bytes)) << bytes;
    EXPECT_TRUE(parseRequestHead("GET / HTTP/1.1\r\nUser-Agent: a\tb \xc3\xa4\r\n\r\n"));  // tab and UTF-8 are fine
}

const std::string Code = "GoodCode1234567890abcd";

// A request for `target` with these extra header lines, judged by `gate`.
RemoteVerdict verdict(const RemoteGate& gate, const std::string& target, const std::string& extra = "")
{
    const auto head = parseRequestHead(request(target, extra));
    return head ? gate.judge(*head) : RemoteVerdict::BadRequest;
}

TEST(RemoteAccess, TheCodeOpensASessionWhoseCookieLetsInUntilTheRemoteIsOpenedAgain)
{
    RemoteKeys keys = keysFor(Code);
    const RemoteGate gate{keys, "127.0.0.1:8080", 0, 16};
    EXPECT_EQ(verdict(gate, "/?code=" + Code), RemoteVerdict::NewSession);

    const std::string token = keys.openSession();
    EXPECT_EQ(token.size(), AccessCodeLength);
    EXPECT_NE(token, Code);
    EXPECT_NE(keys.openSession(), token);
    EXPECT_EQ(gate.cookieName(), "tinctara-8080");
    EXPECT_EQ(gate.sessionCookie(token), "tinctara-8080=" + token + "; Path=/; HttpOnly; SameSite=Strict");

    const std::string cookie = "Cookie: other=1; tinctara-8080=" + token + "; x=y\r\n";
    struct Case {
        const char* what;
        std::string target;
        std::string extra;
        RemoteVerdict verdict;
    };
    const Case cases[] = {
        {"the page by cookie", "/", cookie, RemoteVerdict::Page},
        {"its style sheet", "/remote.css", cookie, RemoteVerdict::Page},
        {"the WebSocket", "/ws", cookie + Upgrade, RemoteVerdict::WebSocket},
        {"the code beside it: a session again", "/?code=" + Code, cookie, RemoteVerdict::NewSession},
        {"a wrong code beside it", "/?code=wrong", cookie, RemoteVerdict::Forbidden},
        {"no cookie", "/", "", RemoteVerdict::Forbidden},
        {"another port's cookie", "/", "Cookie: tinctara-8081=" + token + "\r\n", RemoteVerdict::Forbidden},
        {"the code as cookie", "/ws", "Cookie: tinctara-8080=" + Code + "\r\n" + Upgrade, RemoteVerdict::Forbidden},
        {"a made-up token", "/", "Cookie: tinctara-8080=" + std::string(22, 'A') + "\r\n", RemoteVerdict::Forbidden},
        {"another origin", "/ws", cookie + Upgrade + "Origin: http://evil.example\r\n", RemoteVerdict::Forbidden},
    };
    for (const auto& c : cases)
        EXPECT_EQ(verdict(gate, c.target, c.extra), c.verdict) << c.what;

    // "Neuer Code", and the remote turned off and on again with the same
    // code: no cookie of before lets anyone in.
    keys.open("NewCode1234567890abcdef");
    EXPECT_EQ(verdict(gate, "/ws", cookie + Upgrade), RemoteVerdict::Forbidden);
    EXPECT_EQ(verdict(gate, "/", cookie), RemoteVerdict::Forbidden);
    const std::string renewed = keys.openSession();
    keys.close();
    EXPECT_EQ(verdict(gate, "/", "Cookie: tinctara-8080=" + renewed + "\r\n"), RemoteVerdict::Forbidden);
    EXPECT_TRUE(keys.openSession().empty());  // closed: no sessions at all
    keys.open("NewCode1234567890abcdef");
    EXPECT_EQ(verdict(gate, "/", "Cookie: tinctara-8080=" + renewed + "\r\n"), RemoteVerdict::Forbidden);

    // Beyond the most sessions the oldest ends, the newer stay.
    const std::string first = keys.openSession();
    const std::string second = keys.openSession();
    for (std::size_t i = 2; i < RemoteKeys::MaxSessions; ++i)
        keys.openSession();
    EXPECT_TRUE(keys.hasSession(first));
    keys.openSession();
    EXPECT_FALSE(keys.hasSession(first));
    EXPECT_TRUE(keys.hasSession(second));
    EXPECT_FALSE(keys.hasSession(""));
}

TEST(RemoteAccess, AHeaderOrTheCodeGivenTwiceIsRefused)
{
    RemoteKeys keys = keysFor(Code);
    const std::string token = keys.openSession();
    const RemoteGate gate{keys, "127.0.0.1:8080", 0, 16};
    const std::string ours = "Origin: http://127.0.0.1:8080\r\n";
    const std::string cookie = "Cookie: tinctara-8080=" + token + "\r\n";
    struct Case {
        const char* what;
        std::string target;
        std::string extra;
    };
    const Case cases[] = {
        {"a second host", "/?code=" + Code, "Host: evil.example:8080\r\n"},
        {"the same host twice", "/remote.js?code=" + Code, "Host: 127.0.0.1:8080\r\n"},
        {"a second origin", "/ws?code=" + Code, Upgrade + ours + "Origin: http://evil.example\r\n"},
        {"the code twice", "/?code=" + Code + "&code=" + Code, ""},
        {"a wrong code after it", "/ws?code=" + Code + "&code=x", Upgrade},
        {"a second cookie header", "/", cookie + "Cookie: a=b\r\n"},
        {"the session cookie twice", "/ws", "Cookie: tinctara-8080=" + token + "; tinctara-8080=x\r\n" + Upgrade},
    };
    for (const auto& c : cases)
        EXPECT_EQ(verdict(gate, c.target, c.extra), RemoteVerdict::BadRequest) << c.what;
}

// A frame as a page sends it: masked with `key` unless it is empty.
std::string frame(unsigned char first, std::size_t length, std::string_view key = "abcd")
{
    std::string bytes(1, static_cast<char>(first));
    const char mask = key.empty() ? 0 : '\x80';
    if (length < 126) {
        bytes += static_cast<char>(mask | static_cast<char>(length));
    } else if (length < 65536) {
        bytes += static_cast<char>(mask | 126);
        bytes += {static_cast<char>(length >> 8), static_cast<char>(length)};
    } else {
        bytes += static_cast<char>(mask | 127);
        for (int shift = 56; shift >= 0; shift -= 8)
            bytes += static_cast<char>(static_cast<std::uint64_t>(length) >> shift);
    }
    return bytes + std::string(key) + std::string(length, 'p');
}

TEST(RemoteAccess, FramesWithoutAMaskStopTheStreamAtTheirHeader)
{
    constexpr std::size_t All = std::string::npos;
    struct Case {
        const char* what;
        std::string stream;
        std::size_t passed;  // the bytes that go on; All: none refused
    };
    const std::string text = frame(0x81, 5);
    const std::string pong = frame(0x8A, 0);
    const std::string unmasked = frame(0x81, 5, "");
    const Case cases[] = {
        {"masked frames of every length form", text + frame(0x89, 0) + frame(0x82, 300) + frame(0x81, 70000), All},
        {"an unmasked frame first", unmasked + text, 0},
        {"after two masked ones", text + pong + unmasked, text.size() + pong.size()},
        {"an unmasked close", text + frame(0x88, 2, ""), text.size()},
        {"a long unmasked one", text + frame(0x01, 200, ""), text.size()},
        {"the mask bit in a payload byte", frame(0x81, 2, "") + "\x81\x85", 0},
    };
    for (const auto& c : cases) {
        const std::size_t passed = std::min(c.passed, c.stream.size());
        // Whole, and in pieces: a header's held first byte must never slip through.
        for (const std::size_t piece : {c.stream.size(), std::size_t{1}, std::size_t{2}, std::size_t{7}}) {
            ClientFrameCheck check;
            std::string out;
            bool going = true;
            for (std::size_t at = 0; at < c.stream.size() && going; at += piece)
                going = check.take(std::string_view(c.stream).substr(at, piece), out);
            EXPECT_EQ(out, c.stream.substr(0, passed)) << c.what << ", pieces of " << piece;
            EXPECT_EQ(check.refused(), c.passed != All) << c.what;
        }
    }
}

TEST(RemoteAccess, RateLimiterAllowsABurstThenTheRefillRate)
{
    RateLimiter limiter(20, 10);
    int allowed = 0;
    for (int i = 0; i < 100; ++i)
        allowed += limiter.allow(1000) ? 1 : 0;
    EXPECT_EQ(allowed, 20);
    EXPECT_FALSE(limiter.allow(1099));
    EXPECT_TRUE(limiter.allow(1100));  // 10 per second: one every 100 ms
    EXPECT_FALSE(limiter.allow(1100));
    // A long pause refills no more than the burst.
    allowed = 0;
    for (int i = 0; i < 100; ++i)
        allowed += limiter.allow(60000) ? 1 : 0;
    EXPECT_EQ(allowed, 20);
    // A clock that steps back gives nothing extra.
    EXPECT_FALSE(limiter.allow(500));
}

}  // namespace
}  // namespace tinctara
