#include "files/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace tinctara {
namespace {

TEST(SettingsFile, WrittenAndReadBackRestoresEverything)
{
    auto model = std::make_unique<ShowModel>();
    for (int i = 0; i < DmxTimingValues; ++i)
        model->DmxTiming[i] = static_cast<std::int16_t>(i * 37 - 100);
    for (int i = 0; i < WindowSlots * WindowFields; ++i)
        model->WindowPositions[i] = i * 1000 - 7;
    model->WallZoom = 125;
    model->ConfigFileName = "/home/licht/config/Bühne.CFG";
    model->SceneFileName = "";
    model->SequenceFileName = "/home/licht/sequencen/Show 1.CSQ";
    model->ColourTableFileName = "C:\\TINCTARA\\Farbtbl\\A.CCT";

    const auto sections = parseSettingsFile(settingsFileBytes(*model, 0x1A0410));
    ASSERT_TRUE(sections.dmxTiming.values && sections.options.values && sections.files.values &&
                sections.windowPositions.values);
    EXPECT_EQ(*sections.dmxTiming.values, model->DmxTiming);
    EXPECT_EQ(*sections.windowPositions.values, model->WindowPositions);
    EXPECT_EQ(sections.options.values->savedOptions, 0x1A0410u);
    EXPECT_EQ(sections.options.values->wallZoom, 125);
    const std::array<std::string, 4> names{model->ConfigFileName, "", model->SequenceFileName,
                                           model->ColourTableFileName};
    EXPECT_EQ(*sections.files.values, names);
}

TEST(SettingsFile, ExactLayout)
{
    auto model = std::make_unique<ShowModel>();
    model->DmxTiming[0] = 0;
    model->DmxTiming[1] = 255;
    model->DmxTiming[2] = 17;
    model->DmxTiming[15] = -2;
    model->WallZoom = 80;
    model->ConfigFileName = "Grün.CFG";
    model->WindowPositions[49] = 3;
    const std::string bytes = settingsFileBytes(*model, 0x30000);
    const std::string expected = "ini-Datei von TINCTARA 98\r\n"
                                 "[DMXINI]\r\n"
                                 " 0, 255, 17, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,-2\r\n"
                                 "[OPTIONS]\r\n"
                                 " 196608\r\n"
                                 " 80\r\n"
                                 "[FILES]\r\n"
                                 "Gr\xFCn.CFG\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "[WINDOWSPOS]\r\n"
                                 " 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,"
                                 " 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3\r\n";
    EXPECT_EQ(bytes, expected);
}

TEST(SettingsFile, DamagedSectionsFailOnTheirOwn)
{
    // Per section: 'r' read, 'f' failed, '-' left alone (the file ends after its first line).
    struct Case {
        const char* name;
        std::string text;
        const char* outcome;  // [DMXINI], [OPTIONS], [FILES], [WINDOWSPOS]
    } cases[] = {
        {"empty", "", "----"},
        {"header only", "ini-Datei von TINCTARA 98\r\n", "----"},
        {"cut short", "x\r\n[DMXINI]\r\n 1, 2, 3\r\n[options]\r\n 5\r\n", "ffff"},
        {"out of range", "x\r\n[DMXINI]\r\n 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 40000\r\n", "ffff"},
        {"any case and order, blanks around markers",
         "x\r\n  [files]  \r\na\r\nb\r\nc\r\nd\r\n[OpTiOnS]\r\n 7\r\n 9\r\n[dmxini]\r\n"
         " 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16\r\n",
         "rrrf"},
    };
    auto outcome = [](const auto& section) { return section.values ? 'r' : section.failed ? 'f' : '-'; };
    for (const auto& c : cases) {
        const auto sections = parseSettingsFile(c.text);
        const std::string got{outcome(sections.dmxTiming), outcome(sections.options), outcome(sections.files),
                              outcome(sections.windowPositions)};
        EXPECT_EQ(got, c.outcome) << c.name;
    }
    const auto sections = parseSettingsFile(cases[4].text);
    EXPECT_EQ((*sections.files.values)[3], "d");
    EXPECT_EQ((*sections.dmxTiming.values)[15], 16);
    const auto missing = readSettingsFile("/nonexistent/TINCTARA.ini");
    EXPECT_TRUE(missing.dmxTiming.failed && missing.options.failed && missing.files.failed &&
                missing.windowPositions.failed);
}

TEST(SettingsFile, WindowTableIsListedWindowByWindow)
{
    // Window w, field f holds 100 w + f: the line must run 101, 102, ..., 105, 201, ...
    auto model = std::make_unique<ShowModel>();
    std::string line = "[WINDOWSPOS]\r\n";
    for (int window = 1; window <= WindowSlots; ++window)
        for (int field = 1; field <= WindowFields; ++field) {
            model->windowPosition(window, field) = 100 * window + field;
            line += (window == 1 && field == 1 ? " " : ", ") + std::to_string(100 * window + field);
        }
    line += "\r\n";
    const std::string bytes = settingsFileBytes(*model, 0);
    ASSERT_GE(bytes.size(), line.size());
    EXPECT_EQ(bytes.substr(bytes.size() - line.size()), line);

    // A line written by another installation: the main window's five values come first.
    const auto sections = parseSettingsFile("x\r\n" + line);
    ASSERT_TRUE(sections.windowPositions.values);
    const auto& read = *sections.windowPositions.values;
    EXPECT_EQ(read[ShowModel::windowPositionIndex(1, 1)], 101);
    EXPECT_EQ(read[ShowModel::windowPositionIndex(1, 4)], 104);
    EXPECT_EQ(read[ShowModel::windowPositionIndex(1, 5)], 105);
    EXPECT_EQ(read[ShowModel::windowPositionIndex(7, 3)], 703);
    EXPECT_EQ(read, model->WindowPositions);
}

TEST(SettingsFile, NamesBelowAFolderMoveToItsCopy)
{
    const std::string before = "ini-Datei von TINCTARA 98\r\n[DMXINI]\r\n 1, 2\r\n[OPTIONS]\r\n 0\r\n 80\r\n"
                               " [files] \r\n"
                               "/usr/share/tinctara/config/DEMO.CFG\r\n"
                               "\r\n"
                               "/usr/share/tinctara-old/sequence/A.CSQ\r\n"
                               "/home/licht/Farbtbl/M\xFC"
                               "de.CCT\r\n"
                               "[WINDOWSPOS]\r\n/usr/share/tinctara/config/not a name\r\n";
    const std::string after = "ini-Datei von TINCTARA 98\r\n[DMXINI]\r\n 1, 2\r\n[OPTIONS]\r\n 0\r\n 80\r\n"
                              " [files] \r\n"
                              "/home/b\xE4r/.local/share/tinctara/config/DEMO.CFG\r\n"
                              "\r\n"
                              "/usr/share/tinctara-old/sequence/A.CSQ\r\n"
                              "/home/licht/Farbtbl/M\xFC"
                              "de.CCT\r\n"
                              "[WINDOWSPOS]\r\n/usr/share/tinctara/config/not a name\r\n";
    EXPECT_EQ(moveSettingsFileNames(before, "/usr/share/tinctara", "/home/bär/.local/share/tinctara"), after);
    EXPECT_EQ(moveSettingsFileNames(after, "/usr/share/tinctara", "/elsewhere"), after);
    // A header that reads like the marker is not the section.
    const std::string odd = "[FILES]\n/a/x.CFG\n";
    EXPECT_EQ(moveSettingsFileNames(odd, "/a", "/b"), odd);
}

TEST(SettingsFile, FailedWriteLeavesThePreviousFile)
{
    const auto folder = std::filesystem::temp_directory_path() / "tinctara-settings-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "TINCTARA.ini").string();
    auto model = std::make_unique<ShowModel>();
    model->WallZoom = 55;
    ASSERT_TRUE(writeSettingsFile(path, *model, 0));
    EXPECT_EQ(readSettingsFile(path).options.values->wallZoom, 55);

    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    model->WallZoom = 99;
    const bool canStillWrite = ::access(folder.c_str(), W_OK) == 0;  // root ignores permissions
    if (!canStillWrite) {
        EXPECT_FALSE(writeSettingsFile(path, *model, 0));
        EXPECT_EQ(readSettingsFile(path).options.values->wallZoom, 55);
    }
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    EXPECT_FALSE(writeSettingsFile((folder / "no-such-folder" / "TINCTARA.ini").string(), *model, 0));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary file left";
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tinctara
