#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tinctara {

// The folder below the program folder in which each kind of show is looked up
// when its stored path fails.
namespace ShowFolder {
inline constexpr const char* Configuration = "config";
inline constexpr const char* Scene = "scenen";
inline constexpr const char* Sequence = "sequence";
inline constexpr const char* ColourTable = "farbtbl";
}  // namespace ShowFolder

// Path parts as the program always took them: the folder is the text before
// the last separator, the file-name part the text after it. "\" counts as a
// separator as well as "/", so names written by a Windows installation still
// give their file-name part.
std::string folderOf(std::string_view path);
std::string fileNamePart(std::string_view path);

// folder + "/" + name (no doubled separator).
std::string joinPath(std::string_view folder, std::string_view name);

// Looks a file up in a subfolder of `base`, matching the subfolder and the file
// name without regard to case, as the file system the shows come from did.
// An exact match is preferred. Nothing when no regular file matches.
std::optional<std::string> findIgnoringCase(const std::string& base, std::string_view subfolder,
                                            std::string_view fileName);

// A program folder is its own: a show the settings name by an absolute path
// outside `programFolder` (a copied folder's settings still name the
// original's) is taken from the kind's show folder of `programFolder` when a
// file of that name lies there. Otherwise the path as it stands.
std::string showInOwnFolder(const std::string& path, const std::string& programFolder, std::string_view showFolder);

}  // namespace tinctara
