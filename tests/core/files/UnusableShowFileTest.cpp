#include "core/files/FileHarness.h"
#include "files/SettingsFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <unistd.h>

namespace tinctara::testing {
namespace {

// A file of `size` bytes that takes no room: reading it whole would take
// seconds and gigabytes, refusing it by its size takes nothing.
bool makeSparseFile(const std::string& path, off_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool sized = ::ftruncate(fd, size) == 0;
    ::close(fd);
    return sized;
}

constexpr off_t Oversized = off_t{8} << 30;  // 8 GiB

struct Kind {
    const char* name;
    const char* extension;
    LoadOutcome (FileHarness::*load)(const std::string&);
    const char* anyOtherFailure;
    std::string ShowModel::*currentName;
    bool nameCleared;
};

const Kind kinds[] = {
    {"configuration", "CFG", &FileHarness::loadConfiguration, "Fehler beim laden der Konfigurationsdatei",
     &ShowModel::ConfigFileName, false},
    {"scene", "CSC", &FileHarness::loadScene, "Fehler beim laden der Scene!", &ShowModel::SceneFileName, true},
    {"sequence", "CSQ", &FileHarness::loadSequence, "Fehler beim Laden der Sequenz", &ShowModel::SequenceFileName,
     false},
    {"colour table", "CCT", &FileHarness::loadColourTable, "Fehler beim laden der Farbtabelle",
     &ShowModel::ColourTableFileName, true},
};

TEST(UnusableShowFile, EmptyBlankAndOversizedFilesFailWithTheKindsMessage)
{
    struct Content {
        const char* name;
        std::string bytes;
        bool sparse;
    } contents[] = {
        {"0 bytes", "", false},
        {"blanks and line ends", " \r\n\t \r\n\r\n  ", false},
        {"larger than 16 MiB", "", true},
    };
    for (const auto& kind : kinds) {
        for (const auto& content : contents) {
            FileHarness h;
            h.buildWall(2, 2);
            const std::string path = h.path(std::string("SHOW.") + kind.extension);
            if (content.sparse)
                ASSERT_TRUE(makeSparseFile(path, Oversized));
            else
                writeBytes(path, content.bytes);

            const auto started = std::chrono::steady_clock::now();
            EXPECT_EQ((h.*kind.load)(path), LoadOutcome::Failed) << kind.name << ", " << content.name;
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5))
                << kind.name << ", " << content.name << ": refused before reading";
            EXPECT_EQ(h.messageTexts(), std::vector<std::string>{kind.anyOtherFailure})
                << kind.name << ", " << content.name;
            EXPECT_EQ(h.model.ElementCount, 4) << kind.name << ", " << content.name << ": the wall stays";
            if (kind.nameCleared) {
                EXPECT_EQ(h.model.*kind.currentName, "") << kind.name << ", " << content.name;
            }
        }
    }
}

TEST(UnusableShowFile, AnEmptyFileInTheFallBackFolderFailsToo)
{
    FileHarness h;
    h.buildWall(2, 2);
    writeBytes(std::filesystem::path(h.context.programFolder) / "scenen" / "GONE.CSC", "");
    EXPECT_EQ(h.loadScene(h.path("moved/GONE.CSC")), LoadOutcome::Failed);
    EXPECT_EQ(h.messageTexts(), std::vector<std::string>{"Fehler beim laden der Scene!"});
}

TEST(UnusableShowFile, HeaderWithoutSectionsKeepsTheFileRule)
{
    // Only a file with nothing in it fails as a whole; a header alone still
    // leaves every section unsearched.
    FileHarness h;
    h.buildWall(2, 2);
    h.setElement(1, 9, 8, 7, 6);
    EXPECT_EQ(h.loadScene(h.file("HEAD.CSC", "Scene von TINCTARA 99\r\n")), LoadOutcome::Loaded);
    EXPECT_EQ(h.element(1), (std::array<int, 4>{9, 8, 7, 6}));
}

TEST(UnusableSettingsFile, EmptyIsMissingBlankAndOversizedAreUnreadable)
{
    FileHarness h;
    const std::string path = h.path("TINCTARA.ini");
    auto failedSections = [](const SettingsFileSections& s) {
        return std::string{s.dmxTiming.failed ? 'f' : '-', s.options.failed ? 'f' : '-', s.files.failed ? 'f' : '-',
                           s.windowPositions.failed ? 'f' : '-'};
    };

    writeBytes(path, "");
    auto sections = readSettingsFile(path);
    EXPECT_EQ(failedSections(sections), "ffff") << "0 bytes: as if missing";
    EXPECT_FALSE(sections.unreadable);

    writeBytes(path, "\r\n   \r\n");
    sections = readSettingsFile(path);
    EXPECT_EQ(failedSections(sections), "----");
    EXPECT_TRUE(sections.unreadable);

    ASSERT_TRUE(makeSparseFile(path, Oversized));
    sections = readSettingsFile(path);
    EXPECT_EQ(failedSections(sections), "----");
    EXPECT_TRUE(sections.unreadable);
    EXPECT_FALSE(sections.files.values);
}

}  // namespace
}  // namespace tinctara::testing
