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

std::string RequestHead::queryValue(std::string_view name) const
{
    std::string_view rest = query;
    while (!rest.empty()) {
        const std::size_t amp = std::min(rest.find('&'), rest.size());
        const std::string_view pair = rest.substr(0, amp);
        const std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) == name)
            return std::string(equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1));
        rest.remove_prefix(std::min(amp + 1, rest.size()));
    }
    return {};
}

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
    if (requestLine.substr(lastSpace + 1).rfind("HTTP/1.", 0) != 0 || target.empty() || target.front() != '/')
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
        if (colon == std::string_view::npos || colon == 0 || request.headers.size() >= 64)
            return std::nullopt;
        request.headers.emplace_back(lower(line.substr(0, colon)), std::string(trim(line.substr(colon + 1))));
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

RemoteVerdict RemoteGate::judge(const RequestHead& head) const
{
    if (!sameOrigin(head) || !sameAccessCode(code, head.queryValue("code")))
        return RemoteVerdict::Forbidden;
    if (head.method != "GET")
        return RemoteVerdict::BadMethod;
    if (head.path == "/ws") {
        if (!headerContainsToken(head.header("upgrade"), "websocket") ||
            !headerContainsToken(head.header("connection"), "upgrade"))
            return RemoteVerdict::BadRequest;
        return connections >= maxConnections ? RemoteVerdict::Busy : RemoteVerdict::WebSocket;
    }
    if (head.path == "/" || head.path == "/remote.css" || head.path == "/remote.js")
        return RemoteVerdict::Page;
    return RemoteVerdict::NotFound;
}

bool RateLimiter::allow(std::int64_t nowMs)
{
    if (last_ >= 0 && nowMs > last_)
        tokens_ = std::min<std::int64_t>(burst_ * 1000LL, tokens_ + (nowMs - last_) * perSecond_);
    if (nowMs > last_)
        last_ = nowMs;
    if (tokens_ < 1000)
        return false;
    tokens_ -= 1000;
    return true;
}

}  // namespace tinctara
