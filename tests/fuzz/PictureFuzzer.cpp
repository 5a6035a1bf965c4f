// Feeds arbitrary bytes to the picture effects as a user's file would reach
// them: the `picture` effect (size checks, decoding row by row onto a wall),
// the `animation` effect on the file itself and on a folder of numbered PNG
// files of which it is the only frame. Every format goes the same way, by its
// first bytes. Any crash, leak or out-of-bounds access is a finding.
#include "effects/Effects.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using namespace tinctara;

// A folder of its own for the input, removed when the fuzzer ends.
struct InputFolder {
    InputFolder()
    {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        path = std::string(base) + "/tinctara-fuzz-pictures-" + std::to_string(getpid());
        std::filesystem::create_directories(path);
    }
    ~InputFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

const std::string& folder()
{
    static const InputFolder input;
    return input.path;
}

// 7 x 5 lamps of cells twice as high as wide, with a gap: the mapping's
// geometry is not square and not every cell is a lamp.
const EffectWall& wall()
{
    static const EffectWall wall = [] {
        EffectWall w;
        w.columns = 7;
        w.rows = 5;
        w.cellAspect = 2.0;
        for (int row = 1; row <= 5; ++row)
            for (int column = 1; column <= 7; ++column)
                if (row != 3 || column != 4)
                    w.positions.push_back({static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row)});
        return w;
    }();
    return wall;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string frame = folder() + "/bild1.png";
    if (std::FILE* file = std::fopen(frame.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    } else {
        return 0;
    }
    EffectParameters p;
    p.picture = frame;
    p.gamma = 2.2;
    p.extractWhite = true;
    // The fit and the kind of effect come from the input's length, so that
    // each is reached without spending bytes of the picture on it.
    p.fit = static_cast<PictureFit>(size % 3);
    p.kind = EffectKind::Picture;
    GenerateEffect(wall(), p);
    p.kind = EffectKind::Animation;
    GenerateEffect(wall(), p, 8);
    p.picture = folder();
    GenerateEffect(wall(), p, 8);
    return 0;
}
