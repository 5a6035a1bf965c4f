#include "remote/RemoteAccess.h"

#include <gtest/gtest.h>

#include <set>
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

TEST(RemoteAccess, EveryRequestIsJudgedByCodeOriginHostAndPath)
{
    const RemoteGate gate{"GoodCode1234567890abcd", "127.0.0.1:8080", 3, 16};
    struct Case {
        const char* what;
        std::string bytes;
        RemoteVerdict verdict;
    };
    const Case cases[] = {
        {"the page", request("/?code=GoodCode1234567890abcd"), RemoteVerdict::Page},
        {"its script", request("/remote.js?code=GoodCode1234567890abcd"), RemoteVerdict::Page},
        {"no code", request("/"), RemoteVerdict::Forbidden},
        {"empty code", request("/?code="), RemoteVerdict::Forbidden},
        {"wrong code", request("/?code=GoodCode1234567890abce"), RemoteVerdict::Forbidden},
        {"code as a prefix", request("/?code=GoodCode1234567890abcdX"), RemoteVerdict::Forbidden},
        {"other file without code", request("/etc/passwd"), RemoteVerdict::Forbidden},
        {"other file with code", request("/etc/passwd?code=GoodCode1234567890abcd"), RemoteVerdict::NotFound},
        {"climbing", request("/../remote.js?code=GoodCode1234567890abcd"), RemoteVerdict::NotFound},
        {"our own origin", request("/?code=GoodCode1234567890abcd", "Origin: http://127.0.0.1:8080\r\n"),
         RemoteVerdict::Page},
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
    const RemoteGate port80{"GoodCode1234567890abcd", "192.168.1.10:80", 0, 16};
    for (const auto& [host, origin, verdict] :
         {std::tuple{"192.168.1.10", "", RemoteVerdict::Page},
          std::tuple{"192.168.1.10:80", "Origin: http://192.168.1.10\r\n", RemoteVerdict::Page},
          std::tuple{"192.168.1.10", "Origin: http://192.168.1.10:80\r\n", RemoteVerdict::Page},
          std::tuple{"192.168.1.10:8080", "", RemoteVerdict::Forbidden},
          std::tuple{"192.168.1.1", "", RemoteVerdict::Forbidden}})
        EXPECT_EQ(port80.judge(*parseRequestHead(request("/?code=GoodCode1234567890abcd", origin, host))), verdict)
            << host << " " << origin;

    // A new code: the old one is worth nothing.
    RemoteGate renewed = gate;
    renewed.code = "NewCode1234567890abcdef";
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
    EXPECT_EQ(head->queryValue("code"), "xyz");
    EXPECT_EQ(head->header("host"), "h:1");
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
