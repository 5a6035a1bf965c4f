// Numbers from the command line and the environment: the whole text, nothing
// before or after it, and within the range the setting allows.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

namespace hwport::service {

template <class T>
std::optional<T> parseNumber(std::string_view text, T min, T max, int base = 10)
{
    if (text.empty())
        return std::nullopt;
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (error != std::errc() || stop != end || value < min || value > max)
        return std::nullopt;
    return value;
}

// Decimal, or hexadecimal after "0x", as port addresses are written.
template <class T>
std::optional<T> parseAddress(std::string_view text, T min, T max)
{
    if (text.starts_with("0x") || text.starts_with("0X"))
        return parseNumber(text.substr(2), min, max, 16);
    return parseNumber(text, min, max);
}

}  // namespace hwport::service
