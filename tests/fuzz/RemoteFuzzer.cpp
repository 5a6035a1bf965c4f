// The web remote's Qt-free parsers, fed what a client on the network may
// send. remote_request: the bytes as a request: its head, the gate's verdict
// on it, and whatever follows the head as the page's WebSocket frames.
// remote_message: the bytes as one action of the page, and as a text the
// page is sent. Beside any crash or out-of-bounds access, a request let in
// without its one Host, its one Origin and exactly one valid way in (the
// code, or a session's cookie: the input's SESSIONTOKEN stands for the
// token) is a finding, as are frames passed on after one without a mask.
#include "remote/RemoteAccess.h"
#include "remote/RemoteMessages.h"
#include "FuzzRequire.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace tinctara;

void require(bool condition, const char* what) { fuzz::require(condition, "remote", what); }

#if defined(TINCTARA_FUZZ_REMOTE_request)

constexpr const char* Code = "GoodCode1234567890abcd";
constexpr const char* Authority = "127.0.0.1:8080";

// Schemes and host names are the same in any case.
std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void checkLetIn(const RequestHead& head, RemoteVerdict verdict, const std::string& token)
{
    if (verdict != RemoteVerdict::Page && verdict != RemoteVerdict::WebSocket && verdict != RemoteVerdict::NewSession)
        return;
    require(head.headerCount("host") == 1 && lower(head.header("host")) == Authority, "let in without our one Host");
    require(head.headerCount("origin") == 0 ||
                (head.headerCount("origin") == 1 && lower(head.header("origin")) == std::string("http://") + Authority),
            "let in with another or a second Origin");
    const bool byCode = head.queryCount("code") == 1 && head.queryValue("code") == Code;
    const bool byCookie = head.queryCount("code") == 0 && head.headerCount("cookie") == 1 &&
                          head.cookieCount("tinctara-8080") == 1 && head.cookie("tinctara-8080") == token;
    require(byCode || byCookie, "let in without exactly one valid code or session");
    require(verdict != RemoteVerdict::NewSession || (byCode && head.path == "/"), "a session opened without the code");
    require(head.method == "GET", "let in with another method");
}

void checkFrames(std::string_view stream, std::size_t split)
{
    ClientFrameCheck check;
    std::string out;
    split = std::min(split, stream.size());
    if (check.take(stream.substr(0, split), out))
        check.take(stream.substr(split), out);
    require(stream.substr(0, out.size()) == out, "passed on what was not sent");
    if (!check.refused())
        require(stream.size() - out.size() <= 1, "held back more than a header's first byte");
    else
        require((static_cast<unsigned char>(stream[out.size() + 1]) & 0x80) == 0, "refused a masked frame");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static RemoteKeys keys;
    static const std::string token = [] {
        keys.open(Code);
        return keys.openSession();
    }();
    std::string bytes(reinterpret_cast<const char*>(data), size);
    for (std::size_t at = bytes.find("SESSIONTOKEN"); at != std::string::npos; at = bytes.find("SESSIONTOKEN", at))
        bytes.replace(at, 12, token);

    bool complete = false;
    const auto head = parseRequestHead(bytes, &complete);
    if (!head)
        return 0;
    require(complete, "a head read before its end");
    for (const auto& [name, value] : head->headers)
        require(value.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos, "a line break in a value");
    for (const int connections : {0, 16}) {
        const RemoteGate gate{keys, Authority, connections, 16};
        const RemoteVerdict verdict = gate.judge(*head);
        checkLetIn(*head, verdict, token);
        require(connections < 16 || verdict != RemoteVerdict::WebSocket, "a WebSocket beyond the most");
    }
    const std::size_t end = bytes.find("\r\n\r\n") + 4;
    checkFrames(std::string_view(bytes).substr(end), size > 0 ? data[0] : 0);
    return 0;
}

#elif defined(TINCTARA_FUZZ_REMOTE_message)

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    if (const auto action = parseRemoteAction(message)) {
        using Kind = RemoteAction::Kind;
        if (action->kind == Kind::Tap)
            require(action->number >= 1 && action->number <= ElementSlots, "a cell out of range");
        if (action->kind == Kind::User)
            require(action->number >= 1 && action->number <= UserColours, "a user colour out of range");
        if (action->kind == Kind::Memory)
            require(action->number >= 1 && action->number <= SelectionMemories, "a selection memory out of range");
        if (action->kind == Kind::Jump)
            require(!action->text.empty() && action->text.size() <= 5 && action->text.find(' ') == std::string::npos,
                    "a step entry longer than the field");
    }
    // What the page is sent is JSON that HTML cannot mistake for markup.
    const std::string json = jsonString(message);
    require(json.size() >= 2 && json.front() == '"' && json.back() == '"', "a JSON string without its quotes");
    for (const char c : json)
        require(static_cast<unsigned char>(c) >= 0x20 && c != '<' && c != '>' && c != '&' && c != 0x7F,
                "a raw control or markup character in JSON");
    return 0;
}

#endif
