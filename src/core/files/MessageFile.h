#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tinctara {

// The numbered texts of the message file, 0..150, empty until read.
inline constexpr int MessageNumbers = 151;
using MessageTable = std::array<std::string, MessageNumbers>;

inline constexpr const char* DefaultMessageFile = "TINCT_D.MSG";

// Reads the message file's lines ("number=text", ";" comments, empty lines)
// into the table; a later line for a number replaces an earlier one. Lines
// without "=" or with a number outside 0..150 are skipped.
void parseMessageFile(std::string_view windows1252Bytes, MessageTable& table);

// Reads `name` (empty: TINCT_D.MSG) from the program folder. A missing or
// unreadable file leaves the table as it is: start-up goes on without it.
void GetMsgFile(MessageTable& table, const std::string& programFolder, std::string name = {});

}  // namespace tinctara
