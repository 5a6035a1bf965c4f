#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tinctara {

// Writes a whole file through a temporary file in the same folder that is
// renamed over the old one only when every byte was written: a failed save
// leaves the previous file as it was.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::string& path);

}  // namespace tinctara
