#include "files/SafeFile.h"
#include "core/files/FileHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tinctara {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

struct Folder {
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "tinctara-safe-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~Folder()
    {
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_all, ignored);
        fs::remove_all(path, ignored);
    }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path path;
};

TEST(SafeFile, SavesThroughSymbolicLinks)
{
    struct Case {
        const char* name;
        const char* linkTarget;  // as written into the link
        const char* realFile;    // below the folder
        bool realExists;
    } cases[] = {
        {"relative link", "shows/real.CSC", "shows/real.CSC", true},
        {"absolute link", "", "shows/real.CSC", true},
        {"chain of links", "second.CSC", "shows/real.CSC", true},
        {"link to a file not yet there", "shows/new.CSC", "shows/new.CSC", false},
    };
    for (const auto& c : cases) {
        Folder folder;
        fs::create_directories(folder.path / "shows");
        const fs::path real = folder.path / c.realFile;
        if (c.realExists)
            writeBytes(real, "old");
        const fs::path link = folder.path / "link.CSC";
        if (std::string(c.name) == "absolute link") {
            fs::create_symlink(real, link);
        } else if (std::string(c.name) == "chain of links") {
            fs::create_symlink("shows/real.CSC", folder.path / "second.CSC");
            fs::create_symlink(c.linkTarget, link);
        } else {
            fs::create_symlink(c.linkTarget, link);
        }

        ASSERT_TRUE(writeFileAtomically(link.string(), "new")) << c.name;
        EXPECT_TRUE(fs::is_symlink(link)) << c.name << ": the link stays a link";
        EXPECT_EQ(readBytes(real), "new") << c.name;
        EXPECT_EQ(readBytes(link), "new") << c.name;
    }

    Folder loop;
    fs::create_symlink("b", loop.path / "a");
    fs::create_symlink("a", loop.path / "b");
    EXPECT_FALSE(writeFileAtomically((loop.path / "a").string(), "x"));
    EXPECT_EQ(loop.entries(), (std::vector<std::string>{"a", "b"}));
}

TEST(SafeFile, ReadOnlyTargetIsRefusedEvenForRoot)
{
    Folder folder;
    const fs::path target = folder.path / "SHOW.CFG";
    writeBytes(target, "old");
    for (const auto mode : {0444, 0400, 0}) {
        ::chmod(target.c_str(), static_cast<mode_t>(mode));
        EXPECT_FALSE(writeFileAtomically(target.string(), "new")) << std::oct << mode;
        ::chmod(target.c_str(), 0644);
        EXPECT_EQ(readBytes(target), "old") << std::oct << mode;
    }
    // Through a link too.
    ::chmod(target.c_str(), 0444);
    fs::create_symlink(target, folder.path / "link.CFG");
    EXPECT_FALSE(writeFileAtomically((folder.path / "link.CFG").string(), "new"));
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"SHOW.CFG", "link.CFG"})) << "no temporary file left";

    ::chmod(target.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(target.string(), "new"));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u) << "permission bits are kept";
}

TEST(SafeFile, ShowSaveOverAReadOnlyFileSaysSavingWasAborted)
{
    testing::FileHarness h;
    h.buildWall(2, 2);
    const std::string path = h.file("KEEP.CSC", "old");
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(h.saveScene(path), SaveOutcome::Failed);
    EXPECT_EQ(h.messageTexts(), std::vector<std::string>{"Speichern wurde abgebrochen."});
    EXPECT_EQ(readBytes(path), "old");
}

TEST(SafeFile, KeepsTheOwnerWhereTheProcessMay)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "changing a file's owner needs root; not run as root";
    Folder folder;
    const fs::path target = folder.path / "SHOW.CSQ";
    writeBytes(target, "old");
    ASSERT_EQ(::chown(target.c_str(), 4321, 4322), 0);
    ASSERT_TRUE(writeFileAtomically(target.string(), "new"));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
    EXPECT_EQ(readBytes(target), "new");
}

TEST(SafeFile, LeftoverTemporaryFilesAreRemovedByTheNextSave)
{
    Folder folder;
    const auto age = [&](const char* name, std::chrono::minutes minutes) {
        writeBytes(folder.path / name, std::string(1000, 'x'));
        fs::last_write_time(folder.path / name, fs::file_time_type::clock::now() - minutes);
    };
    age(".tinctara-save-Ab12Cd", std::chrono::minutes(30));   // left over: removed
    age(".tinctara-save-Zz99yY", std::chrono::minutes(6));    // left over: removed
    age(".tinctara-save-Ef34Gh", std::chrono::minutes(1));    // a save may still be writing it
    age(".tinctara-save-short", std::chrono::minutes(30));    // not our pattern
    age(".tinctara-save-Ab12Cd7", std::chrono::minutes(30));  // not our pattern
    age("notes.tmp", std::chrono::minutes(30));
    fs::create_directory(folder.path / ".tinctara-save-Dir123");
    fs::last_write_time(folder.path / ".tinctara-save-Dir123",
                        fs::file_time_type::clock::now() - std::chrono::hours(1));

    // A bare file name saves into the current folder and cleans up there.
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path);
    const bool saved = writeFileAtomically("SHOW.CSC", "new");
    fs::current_path(previous);
    ASSERT_TRUE(saved);

    EXPECT_EQ(folder.entries(),
              (std::vector<std::string>{".tinctara-save-Ab12Cd7", ".tinctara-save-Dir123", ".tinctara-save-Ef34Gh",
                                        ".tinctara-save-short", "SHOW.CSC", "notes.tmp"}));
    EXPECT_EQ(readBytes(folder.path / "SHOW.CSC"), "new");
}

TEST(SafeFile, ReadingChecksSizeAndContent)
{
    Folder folder;
    struct Case {
        const char* name;
        std::string bytes;
        ReadProblem problem;
    } cases[] = {
        {"empty", "", ReadProblem::Empty},
        {"blanks and line ends", "  \r\n\t\r\n \n", ReadProblem::Blank},
        {"one character", "x", ReadProblem::None},
        {"header only", "Scene von TINCTARA 99\r\n", ReadProblem::None},
        {"at the limit", std::string(MaxReadableFileBytes, 'a'), ReadProblem::None},
        {"one byte above", std::string(MaxReadableFileBytes + 1, 'a'), ReadProblem::TooLarge},
    };
    for (const auto& c : cases) {
        writeBytes(folder.path / "f", c.bytes);
        const ReadResult read = readShowFileBytes((folder.path / "f").string());
        EXPECT_EQ(read.problem, c.problem) << c.name;
        if (c.problem == ReadProblem::None) {
            EXPECT_EQ(read.bytes.size(), c.bytes.size()) << c.name;
        }
    }
    EXPECT_EQ(readShowFileBytes((folder.path / "missing").string()).problem, ReadProblem::NotFound);
    EXPECT_EQ(readShowFileBytes(folder.path.string()).problem, ReadProblem::NotFound);
    EXPECT_EQ(readShowFileBytes("").problem, ReadProblem::NotFound);
}

}  // namespace
}  // namespace tinctara
