// The OSC decoder, fed whole datagrams. Beside any crash or out-of-bounds
// access, a dropped datagram that still yields actions is a finding, as is an
// action the decoder cannot have meant: a jump whose text is no number, a
// number or levels on an action that carries none.
#include "control/OscDecoder.h"
#include "FuzzRequire.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

namespace {

using namespace tinctara;
using Kind = ShowAction::Kind;

// A moment in 2019: the seeds' timed bundles fall on either side of it.
constexpr OscTimeTag Now = 0xE000'0000'8000'0000;

void require(bool condition, const char* what) { fuzz::require(condition, "osc", what); }

bool isNumberText(const std::string& text)
{
    const std::size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() <= start || text.size() > 11)
        return false;
    for (std::size_t i = start; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

void check(const ShowAction& a)
{
    const bool numbered = a.kind == Kind::Tap || a.kind == Kind::User || a.kind == Kind::Memory;
    require(numbered || a.number == 0, "a number on an action without one");
    require(a.kind == Kind::Jump ? isNumberText(a.text) : a.text.empty(), "a jump's text is not a number");
    if (a.kind != Kind::Mix)
        for (const std::uint8_t level : a.levels)
            require(level == 0, "levels on an action that is no mix");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const OscDecoded decoded = decodeOsc(std::span(data, size), Now);
    require(!decoded.drop || decoded.actions.empty(), "a dropped datagram yields actions");
    require(size <= OscDatagramLimit || decoded.drop == OscDrop::Oversized, "an oversized datagram is decoded");
    for (const ShowAction& a : decoded.actions)
        check(a);
    return 0;
}
