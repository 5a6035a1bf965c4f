#include "files/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tinctara {

namespace {

// The folder part of a path with its trailing "/", or "" for a bare name
// (the current folder).
std::string folderPart(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

const char* folderForCalls(const std::string& folder) { return folder.empty() ? "." : folder.c_str(); }

// The file a save replaces: `path` with the links of its last part followed,
// so that a link to a show file keeps pointing at it. A link to a file that
// does not exist yet names the file to create. Nothing for a loop of links.
std::optional<std::string> followLinks(std::string path)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
            return std::nullopt;
        target.resize(static_cast<std::size_t>(length));
        path = target.front() == '/' ? target : folderPart(path) + target;
    }
    return std::nullopt;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool isTemporaryName(std::string_view name)
{
    if (name.size() != SaveTemporaryPrefix.size() + 6 ||
        name.substr(0, SaveTemporaryPrefix.size()) != SaveTemporaryPrefix)
        return false;
    const auto suffix = name.substr(SaveTemporaryPrefix.size());
    return std::all_of(suffix.begin(), suffix.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

// A save killed between creating its temporary file and the rename leaves
// that file behind. Ours (by name and owner) that are old enough that no save
// can still be writing them are removed.
void removeLeftoverTemporaries(const std::string& folder)
{
    DIR* listing = ::opendir(folderForCalls(folder));
    if (!listing)
        return;
    const int folderFd = ::dirfd(listing);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        if (!isTemporaryName(entry->d_name))
            continue;
        struct stat info {};
        if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid() || now - info.st_mtime < StaleTemporarySeconds)
            continue;
        ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::closedir(listing);
}

// The replaced file's owner and group where the process may set them (root:
// both; a user: a group of theirs).
void keepOwner(int fd, const struct stat& old)
{
    if (old.st_uid == ::geteuid() && old.st_gid == ::getegid())
        return;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
}

// Makes the rename itself durable. Only an input/output error counts: some
// file systems cannot sync a folder, and a folder may not be readable.
bool syncFolder(const std::string& folder)
{
    const int fd = ::open(folderForCalls(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool synced = ::fsync(fd) == 0 || errno != EIO;
    ::close(fd);
    return synced;
}

}  // namespace

bool writeFileAtomically(const std::string& requested, std::string_view bytes)
{
    if (requested.empty())
        return false;
    const auto resolved = followLinks(requested);
    if (!resolved)
        return false;
    const std::string& path = *resolved;
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    if (replacing) {
        // A read-only file is refused even where the process could rename
        // over it (root, or a writable folder).
        if (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 ||
            ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
            return false;
    }
    const std::string folder = folderPart(path);
    removeLeftoverTemporaries(folder);

    std::string temporary = folder + std::string(SaveTemporaryPrefix) + "XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    if (replacing)
        keepOwner(fd, old);
    // Keep the old file's permissions; a new file gets the usual 0644 rather
    // than mkstemp's private 0600.
    ::fchmod(fd, replacing ? (old.st_mode & 07777) : 0644);
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return syncFolder(folder);
}

ReadResult readShowFileBytes(const std::string& path)
{
    ReadResult result;
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return result;
    if (static_cast<std::uint64_t>(info.st_size) > MaxReadableFileBytes) {
        result.problem = ReadProblem::TooLarge;
        return result;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return result;
    // The file may have been swapped or grown since the stat: what is read is
    // held to the same limit.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return result;
    }
    std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(info.st_size, MaxReadableFileBytes)) + 1, '\0');
    std::size_t used = 0;
    bool failed = false;
    for (;;) {
        if (used == bytes.size()) {
            if (bytes.size() > MaxReadableFileBytes)
                break;
            bytes.resize(std::min<std::size_t>(bytes.size() * 2, MaxReadableFileBytes + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failed = true;
        if (got <= 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    ::close(fd);
    if (failed)
        return result;
    if (used > MaxReadableFileBytes) {
        result.problem = ReadProblem::TooLarge;
        return result;
    }
    bytes.resize(used);
    if (bytes.empty())
        result.problem = ReadProblem::Empty;
    else if (bytes.find_first_not_of(" \t\r\n") == std::string::npos)
        result.problem = ReadProblem::Blank;
    else
        result.problem = ReadProblem::None;
    result.bytes = std::move(bytes);
    return result;
}

std::optional<std::string> readWholeFile(const std::string& path)
{
    ReadResult read = readShowFileBytes(path);
    if (read.problem == ReadProblem::NotFound || read.problem == ReadProblem::TooLarge)
        return std::nullopt;
    return std::move(read.bytes);
}

}  // namespace tinctara
