#include "control/OscDecoder.h"

#include <gtest/gtest.h>
#include <lo/lo_lowlevel.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tinctara {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = ShowAction::Kind;
struct Int64 {
    std::int64_t value;
};
struct Nil {};  // a type tag without data
using Argument = std::variant<std::int32_t, float, std::string, Int64, Nil>;

constexpr OscTimeTag Now = 0xE000'0000'8000'0000;

void put32(Bytes& bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}
void putString(Bytes& bytes, std::string_view text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
    do
        bytes.push_back(0);
    while (bytes.size() % 4 != 0);
}

Bytes message(std::string_view path, const std::vector<Argument>& arguments = {})
{
    Bytes bytes;
    putString(bytes, path);
    std::string types = ",";
    for (const Argument& a : arguments)
        types += "ifshN"[a.index()];
    putString(bytes, types);
    for (const Argument& a : arguments) {
        if (const auto* i = std::get_if<std::int32_t>(&a))
            put32(bytes, static_cast<std::uint32_t>(*i));
        else if (const auto* f = std::get_if<float>(&a))
            put32(bytes, std::bit_cast<std::uint32_t>(*f));
        else if (const auto* s = std::get_if<std::string>(&a))
            putString(bytes, *s);
        else if (const auto* h64 = std::get_if<Int64>(&a)) {
            const auto h = static_cast<std::uint64_t>(h64->value);
            put32(bytes, static_cast<std::uint32_t>(h >> 32));
            put32(bytes, static_cast<std::uint32_t>(h));
        }
    }
    return bytes;
}

Bytes bundle(OscTimeTag due, const std::vector<Bytes>& elements)
{
    Bytes bytes;
    putString(bytes, "#bundle");
    put32(bytes, static_cast<std::uint32_t>(due >> 32));
    put32(bytes, static_cast<std::uint32_t>(due));
    for (const Bytes& e : elements) {
        put32(bytes, static_cast<std::uint32_t>(e.size()));
        bytes.insert(bytes.end(), e.begin(), e.end());
    }
    return bytes;
}

Bytes cut(Bytes bytes, std::size_t less)
{
    bytes.resize(bytes.size() - less);
    return bytes;
}

// An action as text, so that a mismatch reads as what was meant.
std::string describe(const ShowAction& a)
{
    static constexpr const char* Names[] = {"tap",  "all",  "none", "user", "mix",    "play",
                                            "stop", "back", "fwd",  "jump", "memory", "tempo tap"};
    std::string text = Names[static_cast<int>(a.kind)];
    switch (a.kind) {
    case Kind::Tap:
    case Kind::User:
    case Kind::Memory:
        return text + " " + std::to_string(a.number);
    case Kind::Jump:
        return text + " '" + a.text + "'";
    case Kind::Mix:
        for (const std::uint8_t level : a.levels)
            text += " " + std::to_string(level);
        return text;
    default:
        return text;
    }
}

std::vector<std::string> actions(const Bytes& datagram)
{
    const OscDecoded decoded = decodeOsc(datagram, Now);
    EXPECT_FALSE(decoded.drop) << "dropped as " << static_cast<int>(*decoded.drop);
    std::vector<std::string> texts;
    for (const ShowAction& a : decoded.actions)
        texts.push_back(describe(a));
    return texts;
}

std::optional<OscDrop> drop(const Bytes& datagram)
{
    const OscDecoded decoded = decodeOsc(datagram, Now);
    EXPECT_TRUE(decoded.actions.empty()) << "a dropped datagram still yields actions";
    return decoded.drop;
}

TEST(OscDecoder, EveryAddressTakesIntAndFloatArguments)
{
    const float largestBelowIntMax = std::nextafter(2147483648.0F, 0.0F);
    const struct {
        const char* name;
        Bytes datagram;
        std::string action;
    } cases[] = {
        {"play", message("/tinctara/play"), "play"},
        {"stop", message("/tinctara/stop"), "stop"},
        {"back", message("/tinctara/back"), "back"},
        {"forward", message("/tinctara/forward"), "fwd"},
        {"all", message("/tinctara/all"), "all"},
        {"none", message("/tinctara/none"), "none"},
        {"tempo tap", message("/tinctara/tempo/tap"), "tempo tap"},
        {"tap int", message("/tinctara/tap", {7}), "tap 7"},
        {"tap float rounds down", message("/tinctara/tap", {7.4F}), "tap 7"},
        {"tap float half rounds away", message("/tinctara/tap", {6.5F}), "tap 7"},
        {"tap out of range is ShowControl's", message("/tinctara/tap", {999}), "tap 999"},
        {"user int", message("/tinctara/user", {20}), "user 20"},
        {"user float", message("/tinctara/user", {2.6F}), "user 3"},
        {"memory int", message("/tinctara/memory", {11}), "memory 11"},
        {"memory float", message("/tinctara/memory", {0.9F}), "memory 1"},
        {"jump int", message("/tinctara/jump", {12}), "jump '12'"},
        {"jump float", message("/tinctara/jump", {12.2F}), "jump '12'"},
        {"jump negative", message("/tinctara/jump", {-4}), "jump '-4'"},
        {"mix ints", message("/tinctara/mix", {0, 1, 128, 255}), "mix 0 1 128 255"},
        {"mix floats", message("/tinctara/mix", {0.4F, 254.6F, 128.0F, -0.4F}), "mix 0 255 128 0"},
        {"mix mixed", message("/tinctara/mix", {10, 20.0F, 30, 40.0F}), "mix 10 20 30 40"},
        {"float at int's top", message("/tinctara/tap", {largestBelowIntMax}), "tap 2147483520"},
        {"float at int's bottom", message("/tinctara/tap", {-2147483648.0F}), "tap -2147483648"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(actions(c.datagram), std::vector<std::string>{c.action}) << c.name;
}

TEST(OscDecoder, ArgumentsOfTheWrongCountOrTypeAreRefused)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* name;
        Bytes datagram;
    } cases[] = {
        {"play with an argument", message("/tinctara/play", {1})},
        {"none with an argument", message("/tinctara/none", {0.0F})},
        {"tempo tap with an argument", message("/tinctara/tempo/tap", {120})},
        {"tap without", message("/tinctara/tap")},
        {"tap with two", message("/tinctara/tap", {1, 2})},
        {"jump without", message("/tinctara/jump")},
        {"mix with three", message("/tinctara/mix", {1, 2, 3})},
        {"mix with five", message("/tinctara/mix", {1, 2, 3, 4, 5})},
        {"tap string", message("/tinctara/tap", {std::string("7")})},
        {"jump string", message("/tinctara/jump", {std::string("12")})},
        {"tap int64", message("/tinctara/tap", {Int64{7}})},
        {"mix with a string", message("/tinctara/mix", {1, 2, std::string("3"), 4})},
        {"tap nil", message("/tinctara/tap", {Nil{}})},
        {"mix with a nil", message("/tinctara/mix", {1, Nil{}, 2, 3})},
        {"tap NaN", message("/tinctara/tap", {nan})},
        {"tap inf", message("/tinctara/tap", {inf})},
        {"user -inf", message("/tinctara/user", {-inf})},
        {"float above int", message("/tinctara/tap", {2147483648.0F})},
        {"float below int", message("/tinctara/jump", {-3e9F})},
        {"mix level 256", message("/tinctara/mix", {256, 0, 0, 0})},
        {"mix level -1", message("/tinctara/mix", {0, 0, 0, -1})},
        {"mix level rounds to 256", message("/tinctara/mix", {0, 255.5F, 0, 0})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(drop(c.datagram), OscDrop::WrongArguments) << c.name;
}

TEST(OscDecoder, AddressesOutsideTheVocabularyAreUnknown)
{
    for (const char* path : {"/tinctara/dance", "/tinctara/", "/tinctara", "/other/play", "/TINCTARA/play",
                             "/tinctara/play/", "/tinctara/play/1", "/tinctara/tapx", "/play", "tinctara/play"})
        EXPECT_EQ(drop(message(path)), OscDrop::UnknownAddress) << path;
}

TEST(OscDecoder, BundlesYieldTheirMessagesInOrderWhenDue)
{
    const Bytes tap = message("/tinctara/tap", {3});
    const Bytes play = message("/tinctara/play");
    const std::vector<std::string> both = {"tap 3", "play"};
    EXPECT_EQ(actions(bundle(OscImmediately, {tap, play})), both);
    EXPECT_EQ(actions(bundle(Now, {tap, play})), both) << "due now";
    EXPECT_EQ(actions(bundle(Now - 1, {tap, play})), both) << "late";
    EXPECT_EQ(actions(bundle(0, {tap, play})), both) << "time tag zero is long past";
    EXPECT_TRUE(actions(bundle(OscImmediately, {})).empty());

    // Four deep is the most, the time tags of each level checked.
    const Bytes nested =
        bundle(OscImmediately, {tap, bundle(Now, {bundle(OscImmediately, {bundle(Now - 5, {play})})}), tap});
    EXPECT_EQ(actions(nested), (std::vector<std::string>{"tap 3", "play", "tap 3"}));
}

TEST(OscDecoder, ABundleIsTakenWholeOrNotAtAll)
{
    const Bytes tap = message("/tinctara/tap", {3});
    const Bytes deep = bundle(1, {bundle(1, {bundle(1, {bundle(1, {bundle(1, {tap})})})})});
    const struct {
        const char* name;
        Bytes datagram;
        OscDrop drop;
    } cases[] = {
        {"due later", bundle(Now + 1, {tap}), OscDrop::FutureBundle},
        {"a later one inside", bundle(OscImmediately, {tap, bundle(Now + 1, {tap})}), OscDrop::FutureBundle},
        {"five deep", deep, OscDrop::TooDeep},
        {"an unknown address after a good one", bundle(1, {tap, message("/tinctara/x")}), OscDrop::UnknownAddress},
        {"wrong arguments after a good one", bundle(1, {tap, message("/tinctara/tap")}), OscDrop::WrongArguments},
        {"a malformed element after a good one", bundle(1, {tap, Bytes{'a', 'b', 'c', 0}}), OscDrop::Malformed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(drop(c.datagram), c.drop) << c.name;
}

TEST(OscDecoder, BrokenPacketsAreMalformed)
{
    const Bytes tap = message("/tinctara/tap", {3});
    const auto withSize = [&](std::uint32_t size) {
        Bytes bytes = bundle(1, {});
        put32(bytes, size);
        bytes.insert(bytes.end(), tap.begin(), tap.end());
        return bytes;
    };
    Bytes unterminated = message("/tinctara/play");
    std::fill(unterminated.begin() + 14, unterminated.end(), 'y');
    const struct {
        const char* name;
        Bytes datagram;
    } cases[] = {
        {"empty", {}},
        {"garbage", {0xFF, 0x00, 0x13, 0x37, 0xDE, 0xAD, 0xBE, 0xEF}},
        {"text", {'h', 'e', 'l', 'l', 'o', '\n', 0, 0}},
        {"no type tags", Bytes{'/', 't', 0, 0}},
        {"address without its end", unterminated},
        {"message cut in its argument", cut(tap, 4)},
        {"message cut in its padding", cut(message("/tinctara/play"), 2)},
        {"bundle header cut", cut(bundle(1, {}), 4)},
        {"bundle cut in a size", cut(bundle(1, {tap}), tap.size() + 2)},
        {"bundle cut in an element", cut(bundle(1, {tap}), 4)},
        {"element larger than what is left", withSize(static_cast<std::uint32_t>(tap.size() + 4))},
        {"element size beyond every datagram", withSize(0xFFFF'FFFC)},
        {"element size zero", withSize(0)},
        {"element size not in words", withSize(static_cast<std::uint32_t>(tap.size() - 1))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(drop(c.datagram), OscDrop::Malformed) << c.name;
}

TEST(OscDecoder, DatagramsBeyondOneEthernetFrameAreOversized)
{
    // 16 bytes of bundle header and 52 elements of 4 + 24 bytes: 1472.
    const std::vector<Bytes> elements(52, message("/tinctara/forward"));
    Bytes largest = bundle(OscImmediately, elements);
    ASSERT_EQ(largest.size(), OscDatagramLimit);
    EXPECT_EQ(actions(largest).size(), 52U);

    largest.push_back(0);
    EXPECT_EQ(drop(largest), OscDrop::Oversized);
}

TEST(OscDecoder, MessagesLibloSerialisesDecode)
{
    lo_message m = lo_message_new();
    lo_message_add_float(m, 9.0F);
    lo_message_add_int32(m, 8);
    lo_message_add_float(m, 7.0F);
    lo_message_add_int32(m, 6);
    std::size_t size = 0;
    void* data = lo_message_serialise(m, "/tinctara/mix", nullptr, &size);
    const Bytes bytes(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
    std::free(data);
    lo_message_free(m);
    EXPECT_EQ(bytes, message("/tinctara/mix", {9.0F, 8, 7.0F, 6}));
    EXPECT_EQ(actions(bytes), std::vector<std::string>{"mix 9 8 7 6"});
}

}  // namespace
}  // namespace tinctara
