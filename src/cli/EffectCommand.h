#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tinctara::cli {

// The effect command's lines of the usage text.
#define TINCTARA_EFFECT_USAGE                                                                                          \
    "  tinctara-cli effect --config F.CFG --effect rainbow|plasma|chase|twinkle|text|picture|animation\n"              \
    "                      --out OUT.CSQ [--steps N] [--hold H] [--blend B] [--seed S]\n"                              \
    "                      [--colour R,G,B,W]... [--direction left|right|up|down|diagonal|centre] [--white]\n"         \
    "                      [--text TEXT] [--picture FILE|FOLDER] [--fit fit|fill|stretch] [--gamma G]\n"               \
    "                      [--append IN.CSQ]\n"                                                                        \
    "      Generates N steps (1..250, default 60; hold 0 and blend 2 ticks unless given) of an effect on\n"            \
    "      the wall of the configuration and saves them as a sequence, after the steps of IN with\n"                   \
    "      --append. The colours in order: gradient stops or palette (rainbow, plasma), foreground and\n"              \
    "      background (chase, twinkle, text). chase moves a column (left, right), a row (up, down), a\n"               \
    "      lamp along the rows (diagonal) or in element order (centre). picture maps one picture onto\n"               \
    "      the wall (one step); animation takes a GIF frame by frame (blend 1, hold from the frame's\n"                \
    "      delay) or a folder of numbered PNG files (--hold, --blend). --white takes white = min(R,G,B)\n"             \
    "      out of RGB content. Prints the program's messages and ok, or failed (exit 1, OUT not\n"                     \
    "      written) when the effect was refused.\n"

// tinctara-cli effect ...: generates an effect into sequence steps and saves
// the sequence. `args` begins with the command word.
int effectCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const std::string& programFolder);

}  // namespace tinctara::cli
