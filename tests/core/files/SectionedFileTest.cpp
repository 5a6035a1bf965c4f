#include "files/SectionedFile.h"
#include "files/ShowPaths.h"
#include "core/files/FileHarness.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using testing::FileHarness;

std::vector<std::string> fieldsOf(std::string_view bytes)
{
    std::vector<std::string> fields;
    FieldCursor cursor(bytes);
    while (auto field = cursor.next())
        fields.emplace_back(*field);
    return fields;
}

TEST(FieldCursor, SplitsAtCommasAndLineEnds)
{
    struct Case {
        const char* bytes;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"a,b\r\nc", {"a", "b", "c"}},
        {" 0, 255, 17\r\n", {"0", "255", "17"}},  // blanks before a field are skipped
        {"Name  \r\nx", {"Name", "x"}},           // blanks after it are dropped
        {"a\nb\rc", {"a", "b", "c"}},             // LF or CR alone end a line too
        {"\"x, y\" tail,z", {"x, y", "z"}},       // a quoted field keeps its comma
        {"\"open", {"open"}},                     // an unclosed quote runs to the end
        {"n1   ,n2   ,", {"n1", "n2"}},           // the colour table's open last line
        {"1, 2,\r\n3", {"1", "2", "3"}},          // a trailing comma adds no field
        {"\r\n\r\nx", {"", "", "x"}},             // empty lines are empty fields
    };
    for (const auto& c : cases)
        EXPECT_EQ(fieldsOf(c.bytes), c.fields) << c.bytes;
}

TEST(ShowFileReader, FindsMarkersInAnyCaseOrderAndSpacing)
{
    const ShowFileReader reader(
        "Header\r\nnoise, [NOT]\r\n  [farbKorrektur]  \r\n 7\r\n[Config]\r\nXmax = 12\r\n[Wall]\r\n");
    for (const char* marker : {"[FARBKORREKTUR]", "[CONFIG]", "[WALL]"}) {
        Section section = reader.section(marker);
        EXPECT_TRUE(section.found()) << marker;
    }
    Section correction = reader.section("[FARBKORREKTUR]");
    EXPECT_EQ(correction.number(0, 255), 7);
    Section missing = reader.section("[VALUES]");
    EXPECT_EQ(missing.state(), Section::State::Missing);
    EXPECT_TRUE(missing.failed());
    EXPECT_EQ(reader.header(), "Header");
}

TEST(ShowFileReader, FileEndingAfterItsHeaderSearchesNoSection)
{
    for (const char* bytes : {"Scene von TINCTARA 99\r\n", "Scene von TINCTARA 99", ""}) {
        const ShowFileReader reader(bytes);
        Section section = reader.section("[VALUES]");
        EXPECT_TRUE(section.notSearched()) << bytes;
        EXPECT_FALSE(section.failed());
    }
}

TEST(Section, ReadsValuesByTheirRules)
{
    struct Case {
        const char* line;
        bool isKey;
        std::size_t characters;
        long long low, high;
        std::optional<long long> expected;
    };
    const Case cases[] = {
        {"ElementeMax =  121", true, 3, 0, 255, 121},
        {"ElementeMax = 121", true, 3, 0, 255, 121},  // one blank or two: the same value
        {"Xmax =  4", true, 3, 0, 255, 4},
        {"Xmax = 1000", true, 3, 0, 255, 0},  // only the last three characters count
        {"Speed =   20", true, 4, -32768, 32767, 20},
        {"Speed =   2500", true, 4, -32768, 32767, 2500},
        {"Speed =   65000", true, 4, -32768, 32767, 5000},
        {"Xmax =  300", true, 3, 0, 255, std::nullopt},  // does not fit a byte: a section error
        {" 255", false, 0, 0, 255, 255},
        {" 256", false, 0, 0, 255, std::nullopt},
        {"-1", false, 0, 0, 255, std::nullopt},
        {"-1", false, 0, -32768, 32767, -1},
        {" 65535", false, 0, 0, 65535, 65535},
        {" 2.5", false, 0, 0, 255, 2},  // rounded, halves to even
        {"abc", false, 0, 0, 255, 0},   // no number at all reads as 0
        {"99999999999999999999999", false, 0, 0, 2147483647, std::nullopt},
    };
    for (const auto& c : cases) {
        const ShowFileReader reader(std::string("H\r\n[S]\r\n") + c.line + "\r\n");
        Section section = reader.section("[S]");
        const auto value = c.isKey ? section.key(c.low, c.high, c.characters) : section.number(c.low, c.high);
        EXPECT_EQ(value, c.expected) << c.line;
        EXPECT_EQ(section.failed(), !c.expected.has_value()) << c.line;
    }
}

TEST(Section, FailsAtTheEndOfTheFileAndStaysFailed)
{
    const ShowFileReader reader("H\r\n[S]\r\n 1, 2\r\n");
    Section section = reader.section("[S]");
    std::uint8_t a = 0, b = 0, c = 9;
    EXPECT_TRUE(section.number(a));
    EXPECT_TRUE(section.number(b));
    EXPECT_FALSE(section.number(c));
    EXPECT_EQ(c, 9);
    EXPECT_TRUE(section.failed());
    EXPECT_FALSE(section.number(a));
}

TEST(Section, TextComesBackAsUtf8)
{
    const ShowFileReader reader(std::string("H\r\n[NAMES]\r\nGr\xFCn  ,Wei\xDF,"));
    Section section = reader.section("[NAMES]");
    EXPECT_EQ(section.text(), "Grün");
    EXPECT_EQ(section.text(), "Weiß");
}

TEST(ShowFileWriter, WritesNumberFormListsAndLineEnds)
{
    ShowFileWriter out;
    out.line("Scene von TINCTARA 99");
    out.keyLine("ElementeMax = ", 4);
    out.keyLine("ElementeMax =   ", 121);
    out.valueList(std::array<int, 4>{0, 255, 17, -3});
    out.textField("Grün");
    EXPECT_EQ(out.bytes(), "Scene von TINCTARA 99\r\nElementeMax =  4\r\nElementeMax =    121\r\n"
                           " 0, 255, 17,-3\r\nGr\xFCn,");
}

TEST(ShowPaths, TakesPathPartsAtEitherSeparator)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\TINCTARA\\config\\DEMO.CFG", "C:\\TINCTARA\\config", "DEMO.CFG"},
        {"/home/show/scenen/a.csc", "/home/show/scenen", "a.csc"},
        {"C:\\mixed/dir\\x.CCT", "C:\\mixed/dir", "x.CCT"},
        {"ALONE.CSQ", "", "ALONE.CSQ"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(folderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(fileNamePart(c.path), c.name) << c.path;
    }
}

TEST(ShowPaths, FallBackLookUpIgnoresCaseButKeepsFolderNames)
{
    FileHarness h;
    h.file("program/Farbtbl/User.cct", "x");
    h.file("program/sequencen/SHOW.CSQ", "x");
    EXPECT_EQ(findIgnoringCase(h.context.programFolder, "farbtbl", "USER.CCT"),
              (h.root / "program/Farbtbl/User.cct").string());
    // "sequencen" is the save folder, "sequence" the fall-back: never the same.
    EXPECT_EQ(findIgnoringCase(h.context.programFolder, "sequence", "SHOW.CSQ"), std::nullopt);
    EXPECT_EQ(findIgnoringCase(h.context.programFolder, "farbtbl", ""), std::nullopt);
    EXPECT_EQ(findIgnoringCase(h.context.programFolder, "farbtbl", ".."), std::nullopt);
}

}  // namespace
}  // namespace tinctara
