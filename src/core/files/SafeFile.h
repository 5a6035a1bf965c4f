#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tinctara {

// Writes a whole file through a temporary file in the same folder that is
// renamed over the old one only when every byte was written: a failed save
// leaves the previous file as it was.
// - A symbolic link is saved through: the file it points to is replaced and
//   the link stays.
// - The new file keeps the old one's permission bits, and its owner and group
//   as far as the process may set them.
// - A file nobody may write (no write bit, such as 0444) is refused, also for
//   root, as is one the process may not write.
// - Temporary files of this writer in the target's folder that a killed save
//   left behind are removed once they are some minutes old.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

// The temporary files of writeFileAtomically: "." + this + six characters.
inline constexpr std::string_view SaveTemporaryPrefix = ".tinctara-save-";
// How old a temporary file must be before a later save treats it as left over.
inline constexpr int StaleTemporarySeconds = 5 * 60;

// The largest show file or settings file the program reads (the largest
// sequence is about 0.6 MB).
inline constexpr std::uint64_t MaxReadableFileBytes = 16ull * 1024 * 1024;

enum class ReadProblem {
    None,
    NotFound,  // missing, not a regular file, or cannot be opened or read
    TooLarge,  // above MaxReadableFileBytes; refused before reading
    Empty,     // 0 bytes
    Blank,     // only blanks and line ends
};

struct ReadResult {
    std::string bytes;
    ReadProblem problem = ReadProblem::NotFound;
};

// A regular file read whole, checked for size with stat before reading.
ReadResult readShowFileBytes(const std::string& path);

// The whole file, or nothing when it cannot be opened or read, is not a
// regular file or is larger than MaxReadableFileBytes.
std::optional<std::string> readWholeFile(const std::string& path);

}  // namespace tinctara
