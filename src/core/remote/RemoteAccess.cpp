#include "remote/RemoteAccess.h"

#include <algorithm>
#include <cctype>
#include <random>

namespace tinctara {

namespace {

std::string lower(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool headerContainsToken(std::string_view value, std::string_view token)
{
    const std::string text = lower(value);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        if (trim(std::string_view(text).substr(start, comma - start)) == token)
            return true;
        start = comma + 1;
    }
    return false;
}

// Calls `found(value)` for each item `name=value` (or a bare `name`) of a
// list split at `separator`: the query's parameters, the Cookie header's cookies.
template <typename Found>
void forEachItem(std::string_view list, char separator, std::string_view name, Found found)
{
    while (!list.empty()) {
        const std::size_t end = std::min(list.find(separator), list.size());
        const std::string_view item = trim(list.substr(0, end));
        const std::size_t equals = item.find('=');
        if (item.substr(0, equals) == name)
            found(equals == std::string_view::npos ? std::string_view() : item.substr(equals + 1));
        list.remove_prefix(std::min(end + 1, list.size()));
    }
}

std::string firstItem(std::string_view list, char separator, std::string_view name)
{
    std::optional<std::string> first;
    forEachItem(list, separator, name, [&](std::string_view value) {
        if (!first)
            first = std::string(value);
    });
    return first.value_or(std::string());
}

std::size_t itemCount(std::string_view list, char separator, std::string_view name)
{
    std::size_t count = 0;
    forEachItem(list, separator, name, [&](std::string_view) { ++count; });
    return count;
}

bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// A header name or method: the characters HTTP allows in a token.
bool isToken(std::string_view text)
{
    static constexpr std::string_view Marks = "!#$%&'*+-.^_`|~";
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || Marks.find(c) != std::string_view::npos;
    });
}

}  // namespace

std::string makeAccessCode()
{
    static constexpr char Alphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";
    constexpr unsigned Letters = sizeof Alphabet - 1;
    std::random_device source;  // the kernel's random source on Linux
    std::string code;
    while (code.size() < AccessCodeLength) {
        const unsigned value = source();
        // Values past the last whole multiple of the alphabet would favour its first letters.
        if (value >= (0xFFFFFFFFu / Letters) * Letters)
            continue;
        code.push_back(Alphabet[value % Letters]);
    }
    return code;
}

bool sameAccessCode(std::string_view expected, std::string_view given)
{
    if (expected.empty())
        return false;
    // Runs over the whole expected code whatever was given.
    unsigned difference = expected.size() != given.size() ? 1u : 0u;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const unsigned char other = i < given.size() ? static_cast<unsigned char>(given[i]) : 0;
        difference |= static_cast<unsigned char>(expected[i]) ^ other;
    }
    return difference == 0;
}

std::string RequestHead::header(std::string_view lowerName) const
{
    for (const auto& [name, value] : headers)
        if (name == lowerName)
            return value;
    return {};
}

bool RequestHead::hasHeader(std::string_view lowerName) const
{
    return std::any_of(headers.begin(), headers.end(), [&](const auto& h) { return h.first == lowerName; });
}

std::size_t RequestHead::headerCount(std::string_view lowerName) const
{
    return static_cast<std::size_t>(
        std::count_if(headers.begin(), headers.end(), [&](const auto& h) { return h.first == lowerName; }));
}

std::string RequestHead::queryValue(std::string_view name) const { return firstItem(query, '&', name); }

std::size_t RequestHead::queryCount(std::string_view name) const { return itemCount(query, '&', name); }

std::string RequestHead::cookie(std::string_view name) const { return firstItem(header("cookie"), ';', name); }

std::size_t RequestHead::cookieCount(std::string_view name) const { return itemCount(header("cookie"), ';', name); }

std::optional<RequestHead> parseRequestHead(std::string_view bytes, bool* complete)
{
    const std::size_t end = bytes.find("\r\n\r\n");
    if (complete)
        *complete = end != std::string_view::npos;
    if (end == std::string_view::npos || end + 4 > MaxRequestHead)
        return std::nullopt;
    std::string_view head = bytes.substr(0, end);

    RequestHead request;
    std::size_t lineEnd = std::min(head.find("\r\n"), head.size());
    const std::string_view requestLine = head.substr(0, lineEnd);
    const std::size_t firstSpace = requestLine.find(' ');
    const std::size_t lastSpace = requestLine.rfind(' ');
    if (firstSpace == std::string_view::npos || lastSpace == firstSpace)
        return std::nullopt;
    request.method = std::string(requestLine.substr(0, firstSpace));
    const std::string_view target = requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    if (!isToken(request.method) || requestLine.substr(lastSpace + 1).rfind("HTTP/1.", 0) != 0 || target.empty() ||
        target.front() != '/' ||
        std::any_of(target.begin(), target.end(), [](char c) { return c == ' ' || isControl(c); }))
        return std::nullopt;
    const std::size_t question = target.find('?');
    request.path = std::string(target.substr(0, question));
    if (question != std::string_view::npos)
        request.query = std::string(target.substr(question + 1));

    head.remove_prefix(std::min(lineEnd + 2, head.size()));
    while (!head.empty()) {
        lineEnd = std::min(head.find("\r\n"), head.size());
        const std::string_view line = head.substr(0, lineEnd);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !isToken(line.substr(0, colon)) || request.headers.size() >= 64)
            return std::nullopt;
        const std::string_view value = trim(line.substr(colon + 1));
        if (std::any_of(value.begin(), value.end(), [](char c) { return isControl(c) && c != '\t'; }))
            return std::nullopt;
        request.headers.emplace_back(lower(line.substr(0, colon)), std::string(value));
        head.remove_prefix(std::min(lineEnd + 2, head.size()));
    }
    return request;
}

bool RemoteGate::sameOrigin(const RequestHead& head) const
{
    // A page of another site reaches us only through a browser, and a browser
    // names that site in Origin; a Host other than ours is a rebound name.
    // Browsers leave the default port 80 out of both.
    const std::string ours = lower(authority);
    const std::string plain =
        ours.size() > 3 && ours.compare(ours.size() - 3, 3, ":80") == 0 ? ours.substr(0, ours.size() - 3) : ours;
    const std::string host = lower(head.header("host"));
    if (host != ours && host != plain)
        return false;
    if (!head.hasHeader("origin"))
        return true;
    const std::string origin = lower(head.header("origin"));
    return origin == "http://" + ours || origin == "http://" + plain;
}

void RemoteKeys::open(std::string code)
{
    code_ = std::move(code);
    sessions_.clear();
}

void RemoteKeys::close()
{
    code_.clear();
    sessions_.clear();
}

std::string RemoteKeys::openSession()
{
    if (code_.empty())
        return {};
    if (sessions_.size() >= MaxSessions)
        sessions_.pop_front();
    sessions_.push_back(makeAccessCode());
    return sessions_.back();
}

bool RemoteKeys::hasSession(std::string_view token) const
{
    // Every session is compared whole, whichever matches.
    bool found = false;
    for (const std::string& session : sessions_)
        found = sameAccessCode(session, token) || found;
    return found;
}

std::string RemoteGate::cookieName() const { return "tinctara-" + authority.substr(authority.rfind(':') + 1); }

std::string RemoteGate::sessionCookie(std::string_view token) const
{
    return cookieName() + "=" + std::string(token) + "; Path=/; HttpOnly; SameSite=Strict";
}

bool arrivesFromAnotherSite(const RequestHead& head)
{
    const std::string site = head.header("sec-fetch-site");
    return site == "cross-site" || site == "same-site";
}

RemoteVerdict RemoteGate::judge(const RequestHead& head) const
{
    // Two of a kind may be read one way here and another way by whatever
    // reads the request after us: the first decides here, the last elsewhere.
    const std::string cookie = cookieName();
    if (head.headerCount("host") > 1 || head.headerCount("origin") > 1 || head.headerCount("cookie") > 1 ||
        head.queryCount("code") > 1 || head.cookieCount(cookie) > 1)
        return RemoteVerdict::BadRequest;
    const bool byCode = head.queryCount("code") == 1;
    const bool admitted =
        byCode ? sameAccessCode(keys.code(), head.queryValue("code")) : keys.hasSession(head.cookie(cookie));
    if (!sameOrigin(head) || !admitted)
        return RemoteVerdict::Forbidden;
    if (head.method != "GET")
        return RemoteVerdict::BadMethod;
    if (head.path == "/ws") {
        if (!headerContainsToken(head.header("upgrade"), "websocket") ||
            !headerContainsToken(head.header("connection"), "upgrade"))
            return RemoteVerdict::BadRequest;
        return connections >= maxConnections ? RemoteVerdict::Busy : RemoteVerdict::WebSocket;
    }
    if (head.path == "/")
        return byCode ? RemoteVerdict::NewSession : RemoteVerdict::Page;
    if (head.path == "/remote.css" || head.path == "/remote.js")
        return RemoteVerdict::Page;
    return RemoteVerdict::NotFound;
}

bool ClientFrameCheck::take(std::string_view bytes, std::string& out)
{
    std::size_t at = 0;
    while (at < bytes.size() && state_ != State::Refused) {
        const char byte = bytes[at];
        switch (state_) {
        case State::First:
            first_ = byte;
            state_ = State::Second;
            ++at;
            break;
        case State::Second: {
            if ((static_cast<unsigned char>(byte) & 0x80) == 0) {
                state_ = State::Refused;
                break;
            }
            out += first_;
            out += byte;
            ++at;
            const unsigned length = static_cast<unsigned char>(byte) & 0x7F;
            payload_ = length < 126 ? length : 0;
            left_ = length == 126 ? 2 : length == 127 ? 8 : 4;
            state_ = length < 126 ? State::Key : State::Length;
            break;
        }
        case State::Length:
        case State::Key:
            if (state_ == State::Length)
                payload_ = payload_ << 8 | static_cast<unsigned char>(byte);
            out += byte;
            ++at;
            if (--left_ > 0)
                break;
            if (state_ == State::Length) {
                left_ = 4;
                state_ = State::Key;
            } else {
                state_ = payload_ > 0 ? State::Payload : State::First;
            }
            break;
        case State::Payload: {
            const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(payload_, bytes.size() - at));
            out.append(bytes.substr(at, part));
            at += part;
            payload_ -= part;
            if (payload_ == 0)
                state_ = State::First;
            break;
        }
        case State::Refused:
            break;
        }
    }
    return state_ != State::Refused;
}

}  // namespace tinctara
