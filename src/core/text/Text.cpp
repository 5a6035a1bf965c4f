#include "text/Text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace tinctara {

std::string numberForm(long long value)
{
    std::string digits = std::to_string(value);
    return value < 0 ? digits : " " + digits;
}

double numericValue(std::string_view text)
{
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
    };
    skipBlanks();
    if (i + 1 < text.size() && text[i] == '&' && (text[i + 1] == 'H' || text[i + 1] == 'h')) {
        long long hex = 0;
        for (i += 2; i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])); ++i) {
            hex = hex * 16 + (std::isdigit(static_cast<unsigned char>(text[i]))
                                  ? text[i] - '0'
                                  : std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 10);
            if (hex > 0xFFFFFFFFLL)
                break;
        }
        return static_cast<double>(hex);
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    double value = 0;
    double scale = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (scale == 0) {
                value = value * 10 + (c - '0');
            } else {
                value += (c - '0') * scale;
                scale /= 10;
            }
        } else if (c == '.' && scale == 0) {
            scale = 0.1;
        } else if (c == ' ') {
            continue;  // blanks inside a number were always ignored ("1 2" is 12)
        } else {
            break;
        }
    }
    return negative ? -value : value;
}

double roundHalfEven(double value)
{
    // nearbyint rounds in the current mode; the program never leaves the default
    // round-to-nearest, whose ties go to the even neighbour.
    return std::nearbyint(value);
}

std::string fixedLength(std::string_view text, std::size_t length)
{
    std::string result;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size() && characters < length; ++characters) {
        // copy one UTF-8 sequence: a lead byte and its continuation bytes
        std::size_t end = i + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
        result.append(text.substr(i, end - i));
        i = end;
    }
    result.append(length - characters, ' ');
    return result;
}

std::string hexUpper(long long value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(value));
    return buffer;
}

std::string counted(long long count, std::string_view singular, std::string_view plural)
{
    return std::to_string(count) + " " + std::string(count == 1 ? singular : plural);
}

std::optional<int> numberInRange(std::string_view text, int low, int high)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

}  // namespace tinctara
