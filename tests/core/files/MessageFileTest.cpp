#include "files/MessageFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tinctara {
namespace {

TEST(MessageFile, LineRules)
{
    MessageTable table;
    parseMessageFile("; comment 121=not this\r\n"
                     "\r\n"
                     "121=Erster Text\r\n"
                     "44= Wort=\r\n"
                     "119=alt\r\n"
                     "119=neu\r\n"
                     "  96 =Titel\r\n"
                     "kein Gleichheitszeichen\r\n"
                     "151=zu gross\r\n"
                     "-1=negativ\r\n"
                     "=ohne Nummer\r\n"
                     "43=Gr\xF6\xDF"
                     "e",  // open last line, umlauts as single bytes
                     table);
    EXPECT_EQ(table[121], "Erster Text");
    EXPECT_EQ(table[44], " Wort=");
    EXPECT_EQ(table[119], "neu");
    EXPECT_EQ(table[96], "Titel");
    EXPECT_EQ(table[43], "Größe");
    EXPECT_EQ(table[0], "ohne Nummer");  // an empty number reads as 0, as the program always read it
    int filled = 0;
    for (const auto& text : table)
        filled += text.empty() ? 0 : 1;
    EXPECT_EQ(filled, 6);
}

TEST(MessageFile, OnlyTheNumberedLineOfAThreeLineFile)
{
    MessageTable table;
    parseMessageFile(";Kommentar\r\n\r\n121=Text\r\n", table);
    for (int n = 0; n < MessageNumbers; ++n)
        EXPECT_EQ(table[n].empty(), n != 121) << n;
}

TEST(MessageFile, MissingFileLeavesTheTableAndGoesOn)
{
    MessageTable table;
    table[5] = "bleibt";
    GetMsgFile(table, "/nonexistent-folder");
    EXPECT_EQ(table[5], "bleibt");

    const auto folder = std::filesystem::temp_directory_path() / "tinctara-msgfile-test";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "TINCT_D.MSG", std::ios::binary) << "96=INTERFACE\r\n";
    std::ofstream(folder / "OTHER.MSG", std::ios::binary) << "96=anders\r\n";
    GetMsgFile(table, folder.string());
    EXPECT_EQ(table[96], "INTERFACE");
    GetMsgFile(table, folder.string(), "OTHER.MSG");
    EXPECT_EQ(table[96], "anders");
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tinctara
