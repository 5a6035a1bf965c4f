#include "files/ShowPaths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

namespace tinctara {

namespace {

std::size_t lastSeparator(std::string_view path) { return path.find_last_of("/\\"); }

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The entry of `folder` named `name`, ignoring case; the exact name first, then
// the first case-insensitive match in name order, so the choice is stable.
std::optional<std::filesystem::path> entryIgnoringCase(const std::filesystem::path& folder, std::string_view name,
                                                       bool wantDirectory)
{
    namespace fs = std::filesystem;
    std::error_code error;
    auto fits = [&](const fs::path& candidate) {
        return wantDirectory ? fs::is_directory(candidate, error) : fs::is_regular_file(candidate, error);
    };
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    const fs::path exact = folder / std::string(name);
    if (fits(exact))
        return exact;
    std::vector<fs::path> matches;
    fs::directory_iterator it(folder, error);
    if (error)
        return std::nullopt;
    for (const auto& entry : it) {
        const fs::path candidate = entry.path();
        if (sameIgnoringCase(candidate.filename().string(), name) && fits(candidate))
            matches.push_back(candidate);
    }
    if (matches.empty())
        return std::nullopt;
    return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

std::string folderOf(std::string_view path)
{
    const std::size_t at = lastSeparator(path);
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at));
}

std::string fileNamePart(std::string_view path)
{
    const std::size_t at = lastSeparator(path);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path.push_back('/');
    path.append(name);
    return path;
}

std::optional<std::string> findIgnoringCase(const std::string& base, std::string_view subfolder,
                                            std::string_view fileName)
{
    if (base.empty())
        return std::nullopt;
    const auto folder = entryIgnoringCase(std::filesystem::path(base), subfolder, true);
    if (!folder)
        return std::nullopt;
    const auto file = entryIgnoringCase(*folder, fileName, false);
    if (!file)
        return std::nullopt;
    return file->string();
}

std::string showInOwnFolder(const std::string& path, const std::string& programFolder, std::string_view showFolder)
{
    namespace fs = std::filesystem;
    if (path.empty() || path.front() != '/' || programFolder.empty())
        return path;
    const fs::path folder = fs::path(programFolder).lexically_normal();
    const fs::path relative = fs::path(path).lexically_normal().lexically_relative(folder);
    const bool inside = !relative.empty() && *relative.begin() != "..";
    if (inside)
        return path;
    return findIgnoringCase(programFolder, showFolder, fileNamePart(path)).value_or(path);
}

}  // namespace tinctara
