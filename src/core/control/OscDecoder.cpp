#include "control/OscDecoder.h"

#include <lo/lo_lowlevel.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace tinctara {

namespace {

using Kind = ShowAction::Kind;
using Result = std::optional<OscDrop>;

constexpr std::string_view Prefix = "/tinctara/";
constexpr std::array<std::uint8_t, 8> BundleTag = {'#', 'b', 'u', 'n', 'd', 'l', 'e', 0};
constexpr std::size_t BundleHeader = BundleTag.size() + 8;  // tag and time tag
constexpr int MostArguments = Planes;

struct Address {
    std::string_view name;
    Kind kind;
    int arguments;
};
constexpr Address Addresses[] = {
    {"play", Kind::Play, 0},     {"stop", Kind::Stop, 0}, {"back", Kind::Back, 0},    {"forward", Kind::Forward, 0},
    {"all", Kind::All, 0},       {"none", Kind::None, 0}, {"tap", Kind::Tap, 1},      {"user", Kind::User, 1},
    {"memory", Kind::Memory, 1}, {"jump", Kind::Jump, 1}, {"mix", Kind::Mix, Planes}, {"tempo/tap", Kind::TapTempo, 0},
};

std::uint64_t bigEndian(const std::uint8_t* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

class Message {
public:
    explicit Message(lo_message m) : m_(m) {}
    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;
    ~Message()
    {
        if (m_)
            lo_message_free(m_);
    }
    lo_message get() const { return m_; }

private:
    lo_message m_;
};

// An int32 as it is; a float32 rounded, if it is a number that fits an int.
// liblo's arguments lie on 4-byte words, short of lo_arg's own alignment, so
// they are copied out rather than read through it.
std::optional<int> integer(char type, const lo_arg* argument)
{
    if (type == LO_INT32) {
        std::int32_t i = 0;
        std::memcpy(&i, argument, sizeof i);
        return i;
    }
    // Types without data (nil, true, ...) have no argument to read.
    if (type != LO_FLOAT)
        return std::nullopt;
    float f = 0;
    std::memcpy(&f, argument, sizeof f);
    if (!std::isfinite(f))
        return std::nullopt;
    const double rounded = std::round(static_cast<double>(f));
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(rounded);
}

Result message(std::uint8_t* data, std::size_t size, std::vector<ShowAction>& actions)
{
    int error = 0;
    const Message m(lo_message_deserialise(data, size, &error));
    if (!m.get())
        return OscDrop::Malformed;
    // liblo has checked that the address is a terminated string inside `size`.
    const char* text = reinterpret_cast<const char*>(data);
    const std::string_view path(text, strnlen(text, size));
    if (!path.starts_with(Prefix))
        return OscDrop::UnknownAddress;
    const auto address = std::find_if(std::begin(Addresses), std::end(Addresses),
                                      [name = path.substr(Prefix.size())](const Address& a) { return a.name == name; });
    if (address == std::end(Addresses))
        return OscDrop::UnknownAddress;

    const int count = lo_message_get_argc(m.get());
    if (count != address->arguments)
        return OscDrop::WrongArguments;
    const char* types = lo_message_get_types(m.get());
    lo_arg** arguments = lo_message_get_argv(m.get());
    std::array<int, MostArguments> value{};
    for (int i = 0; i < count; ++i) {
        const std::optional<int> v = integer(types[i], arguments[i]);
        if (!v)
            return OscDrop::WrongArguments;
        value[i] = *v;
    }

    ShowAction action;
    action.kind = address->kind;
    switch (address->kind) {
    case Kind::Tap:
    case Kind::User:
    case Kind::Memory:
        action.number = value[0];
        break;
    case Kind::Jump:
        // As if the number were typed into the step field.
        action.text = std::to_string(value[0]);
        break;
    case Kind::Mix:
        // A level has no room for more: refused rather than wrapped or clipped.
        for (int plane = 0; plane < Planes; ++plane) {
            if (value[plane] < 0 || value[plane] > 255)
                return OscDrop::WrongArguments;
            action.levels[plane] = static_cast<std::uint8_t>(value[plane]);
        }
        break;
    default:
        break;
    }
    actions.push_back(std::move(action));
    return std::nullopt;
}

Result element(std::uint8_t* data, std::size_t size, int depth, OscTimeTag now, std::vector<ShowAction>& actions);

// "#bundle\0", a time tag, then elements each after its size (32 bits, big
// endian). `depth` is 1 for the outermost bundle.
Result bundle(std::uint8_t* data, std::size_t size, int depth, OscTimeTag now, std::vector<ShowAction>& actions)
{
    if (depth > OscBundleDepth)
        return OscDrop::TooDeep;
    if (size < BundleHeader)
        return OscDrop::Malformed;
    const OscTimeTag due = bigEndian(data + BundleTag.size(), 8);
    if (due != OscImmediately && due > now)
        return OscDrop::FutureBundle;
    for (std::size_t at = BundleHeader; at < size;) {
        if (size - at < 4)
            return OscDrop::Malformed;
        const std::uint64_t length = bigEndian(data + at, 4);
        at += 4;
        // Elements come in whole 32-bit words; anything else is not OSC.
        if (length == 0 || length % 4 != 0 || length > size - at)
            return OscDrop::Malformed;
        if (const Result drop = element(data + at, length, depth, now, actions))
            return drop;
        at += length;
    }
    return std::nullopt;
}

// `depth`: the bundles around this element.
Result element(std::uint8_t* data, std::size_t size, int depth, OscTimeTag now, std::vector<ShowAction>& actions)
{
    if (size >= BundleTag.size() && std::equal(BundleTag.begin(), BundleTag.end(), data))
        return bundle(data, size, depth + 1, now, actions);
    return message(data, size, actions);
}

}  // namespace

OscDecoded decodeOsc(std::span<const std::uint8_t> datagram, OscTimeTag now)
{
    OscDecoded decoded;
    if (datagram.size() > OscDatagramLimit) {
        decoded.drop = OscDrop::Oversized;
        return decoded;
    }
    // liblo reads from writable memory; a copy on whole words keeps the
    // caller's bytes untouched and every element aligned.
    alignas(4) std::array<std::uint8_t, OscDatagramLimit> copy;
    std::copy(datagram.begin(), datagram.end(), copy.begin());
    decoded.drop = element(copy.data(), datagram.size(), 0, now, decoded.actions);
    if (decoded.drop)
        decoded.actions.clear();
    return decoded;
}

}  // namespace tinctara
