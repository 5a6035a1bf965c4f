#include "remote/RemoteMessages.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

TEST(RemoteMessages, ActionsDecodeToTheirKindAndValues)
{
    using Kind = RemoteAction::Kind;
    struct Case {
        const char* message;
        Kind kind;
        int number;
        std::array<std::uint8_t, Planes> levels;
        const char* text;
    };
    const Case cases[] = {
        {"tap 1", Kind::Tap, 1, {}, ""},
        {"  tap   255 ", Kind::Tap, 255, {}, ""},
        {"user 20", Kind::User, 20, {}, ""},
        {"mix 0 128 255 7", Kind::Mix, 0, {0, 128, 255, 7}, ""},
        {"mix 000255 0 0 0", Kind::Mix, 0, {255, 0, 0, 0}, ""},
        {"none", Kind::None, 0, {}, ""},
        {"forward", Kind::Forward, 0, {}, ""},
        {"jump 12a", Kind::Jump, 0, {}, "12a"},
    };
    for (const auto& c : cases) {
        const auto action = parseRemoteAction(c.message);
        ASSERT_TRUE(action) << c.message;
        EXPECT_EQ(action->kind, c.kind) << c.message;
        EXPECT_EQ(action->number, c.number) << c.message;
        EXPECT_EQ(action->levels, c.levels) << c.message;
        EXPECT_EQ(action->text, c.text) << c.message;
    }
    for (const char* message : {"tap 256", "tap +1", "user 1 2", "mix 1 2 3 0x4", "mix 1 2 3 4 5 6", "jump 1 2",
                                "stop now", "tap\t1", "Tap 1", "all\n"})
        EXPECT_FALSE(parseRemoteAction(message)) << message;
}

TEST(RemoteMessages, MemoriesAreTheElevenFunctionKeys)
{
    for (const auto& [message, number] : {std::pair{"memory 1", 1}, {"memory 11", 11}, {"memory 007", 7}}) {
        const auto action = parseRemoteAction(message);
        ASSERT_TRUE(action) << message;
        EXPECT_EQ(action->kind, RemoteAction::Kind::Memory) << message;
        EXPECT_EQ(action->number, number) << message;
    }
    for (const char* message : {"memory 0", "memory 12", "memory", "memory 1 2", "memory -1", "Memory 1"})
        EXPECT_FALSE(parseRemoteAction(message)) << message;
}

}  // namespace
}  // namespace tinctara
